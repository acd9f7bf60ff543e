#include "korvex/testing/Processes.h"

#include <signal.h>
#include <sys/types.h>

#include <QByteArray>
#include <QFile>

#include "korvex/testing/WaitFor.h"

namespace korvex::testing {

QString BinDir() {
    const QByteArray fromEnv = qgetenv("KORVEX_BIN_DIR");
    return fromEnv.isEmpty() ? QStringLiteral(KORVEX_BIN_DIR) : QString::fromLocal8Bit(fromEnv);
}

bool ProcessEnded(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    const QByteArray text = stat.readAll();
    // The state letter follows the command name, which is in parentheses.
    const qsizetype close = text.lastIndexOf(')');
    return close < 0 || text.mid(close + 2, 1) == "Z";
}

void EndProcess(qint64 pid, int graceMs) {
    if (pid <= 0 || ProcessEnded(pid)) return;
    ::kill(pid_t(pid), SIGTERM);
    if (WaitFor([pid] { return ProcessEnded(pid); }, graceMs)) return;
    ::kill(pid_t(pid), SIGKILL);
    WaitFor([pid] { return ProcessEnded(pid); }, graceMs);
}

void EndChild(QProcess& process, int graceMs) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(graceMs)) {
        process.kill();
        process.waitForFinished(graceMs);
    }
}

}  // namespace korvex::testing
