// A client holding one device object: korvex-call in its standard-input mode, one operation per
// line, each answered "ok <json>" or "error 0x........ source: description".
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

namespace korvex::testing {

class PrivateBus;

struct Answer {
    bool ok = false;
    QByteArray text;  // the JSON value after "ok ", or the error after "error "
};

class CallSession {
  public:
    // Starts the client; it creates its object (and the bus may start the program for it).
    CallSession(const PrivateBus& bus, const QString& progId);
    ~CallSession();
    CallSession(const CallSession&) = delete;
    CallSession& operator=(const CallSession&) = delete;

    // Sends one operation line and waits for its answer; a missing answer is an error whose
    // text says so (with what the client wrote on standard error).
    Answer Do(const QString& line, int timeoutMs = 20000);
    // Ends the input: the client releases its object and exits. True when it exited with 0.
    bool Close(int timeoutMs = 20000);

  private:
    QProcess process_;
};

}  // namespace korvex::testing
