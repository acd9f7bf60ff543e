#include "korvex/testing/CallSession.h"

#include <QDeadlineTimer>

#include "korvex/testing/PrivateBus.h"
#include "korvex/testing/Processes.h"

namespace korvex::testing {

CallSession::CallSession(const PrivateBus& bus, const QString& progId) {
    process_.setProcessEnvironment(bus.Environment());
    process_.start(BinDir() + QStringLiteral("/korvex-call"), {progId});
    process_.waitForStarted(10000);
}

CallSession::~CallSession() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(5000);
}

Answer CallSession::Do(const QString& line, int timeoutMs) {
    Answer answer;
    if (process_.state() != QProcess::Running) {
        answer.text = "client not running: " + process_.readAllStandardError();
        return answer;
    }
    process_.write(line.toUtf8() + '\n');
    QDeadlineTimer deadline(timeoutMs);
    while (!process_.canReadLine()) {
        if (deadline.hasExpired() || process_.state() != QProcess::Running) {
            answer.text =
                "no answer to \"" + line.toUtf8() + "\": " + process_.readAllStandardError();
            return answer;
        }
        process_.waitForReadyRead(int(qBound(qint64{1}, deadline.remainingTime(), qint64{100})));
    }
    const QByteArray reply = process_.readLine().trimmed();
    if (reply.startsWith("ok ")) {
        answer.ok = true;
        answer.text = reply.mid(3);
    } else {
        answer.text = reply.startsWith("error ") ? reply.mid(6) : reply;
    }
    return answer;
}

bool CallSession::Close(int timeoutMs) {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(timeoutMs)) return false;
    return process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

}  // namespace korvex::testing
