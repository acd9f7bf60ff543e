#include "framework/core/ProcessLauncher.h"

#include <QProcess>
#include <QProcessEnvironment>

#include "framework/core/ProgramFolder.h"

namespace korvex {

DetachedProcessLauncher::DetachedProcessLauncher(QString programFolder)
    : programFolder_(std::move(programFolder)) {}

int64_t DetachedProcessLauncher::StartDetached(const QString& program, const QStringList& args) {
    if (program.isEmpty()) return 0;
    const QString folder = programFolder_.isEmpty() ? ProgramFolder() : programFolder_;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString path = env.value(QStringLiteral("PATH"));
    env.insert(QStringLiteral("PATH"), path.isEmpty() ? folder : folder + QLatin1Char(':') + path);

    // startDetached forks twice and calls setsid: the child is reaped by init, not by us.
    QProcess process;
    process.setProgram(program);
    process.setArguments(args);
    process.setProcessEnvironment(env);
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0) return 0;
    return pid;
}

int64_t RecordingProcessLauncher::StartDetached(const QString& program, const QStringList& args) {
    launches.append({program, args});
    if (refuse) return 0;
    return nextPid++;
}

}  // namespace korvex
