// A program started by the test as the user would start it (no arguments), on a private bus.
#pragma once

#include <QProcess>
#include <QString>

namespace korvex::testing {

class PrivateBus;

// Ended (SIGTERM, then SIGKILL) when the guard goes.
class UserProgram {
  public:
    // `program` is a name in the program folder.
    UserProgram(const PrivateBus& bus, const QString& program);
    ~UserProgram();
    UserProgram(const UserProgram&) = delete;
    UserProgram& operator=(const UserProgram&) = delete;

    QProcess& Process() { return process_; }
    qint64 Pid() const { return pid_; }
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    // SIGTERM and wait for the end; true when it ended by itself with status 0.
    bool Terminate(int timeoutMs = 20000);

  private:
    QProcess process_;
    qint64 pid_ = 0;
};

}  // namespace korvex::testing
