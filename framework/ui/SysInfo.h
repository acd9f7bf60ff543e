// The system information tool of the About box. There is no single such tool on Linux, so the
// first of a short list of common ones found on PATH is started, detached.
#pragma once

#include <QString>
#include <QStringList>

#include "framework/core/MessageBoxService.h"
#include "framework/core/ProcessLauncher.h"

namespace korvex::ui {

// Searched in this order: hardinfo2, hardinfo, kinfocenter, gnome-system-monitor,
// mate-system-monitor, xfce4-taskmanager.
QStringList SysInfoCandidates();

// Absolute path of the first candidate found on PATH, "" when none is.
QString FindSysInfoTool(const QStringList& candidates = SysInfoCandidates());

// Starts the tool found by FindSysInfoTool without waiting for it. When none is found or it
// does not start: "System information is not available at this moment" (OK button, no icon,
// titled `title`). True when the tool was started.
bool StartSysInfo(ProcessLauncher& launcher, MessageBoxService& boxes, const QString& title,
                  const QStringList& candidates = SysInfoCandidates());

}  // namespace korvex::ui
