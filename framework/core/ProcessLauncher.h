// Seam for starting other programs (the hub, scripts) without waiting for them.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace korvex {

class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` with the argument vector `args` (no shell parsing) and does not wait.
    // Returns the process id (> 0), or 0 when nothing was started.
    virtual int64_t StartDetached(const QString& program, const QStringList& args) = 0;
};

// The real launcher: the child runs in a session of its own (double fork, so it never becomes
// a zombie of the driver), in the current directory, with `programFolder` first on PATH so
// that scripts find korvex-call and the other tools.
class DetachedProcessLauncher final : public ProcessLauncher {
  public:
    // An empty folder means ProgramFolder() at the time of each start.
    explicit DetachedProcessLauncher(QString programFolder = {});
    int64_t StartDetached(const QString& program, const QStringList& args) override;

  private:
    QString programFolder_;
};

// Test double: records every start and answers with a made-up pid, or refuses when told to.
class RecordingProcessLauncher final : public ProcessLauncher {
  public:
    struct Launch {
        QString program;
        QStringList args;
    };

    int64_t StartDetached(const QString& program, const QStringList& args) override;

    bool refuse = false;     // true: every start fails (returns 0)
    int64_t nextPid = 4242;  // pid returned by the next start; incremented after each
    QList<Launch> launches;  // every start asked for, refused ones included
};

}  // namespace korvex
