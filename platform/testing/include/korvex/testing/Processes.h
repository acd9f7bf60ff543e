// The program folder and ending processes a test started, or that were started for it.
#pragma once

#include <QProcess>
#include <QString>

namespace korvex::testing {

// The program folder: build/bin, or KORVEX_BIN_DIR from the environment when set.
QString BinDir();

// True when process `pid` has ended (gone, or a zombie not reaped yet).
bool ProcessEnded(qint64 pid);

// Ends process `pid`: SIGTERM, then SIGKILL when it has not ended within `graceMs`.
void EndProcess(qint64 pid, int graceMs = 5000);

// Ends a child process the same way and reaps it; nothing when it is not running.
void EndChild(QProcess& process, int graceMs = 5000);

}  // namespace korvex::testing
