#include "framework/ui/SysInfo.h"

#include <QStandardPaths>

namespace korvex::ui {

QStringList SysInfoCandidates() {
    return {QStringLiteral("hardinfo2"),           QStringLiteral("hardinfo"),
            QStringLiteral("kinfocenter"),         QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"), QStringLiteral("xfce4-taskmanager")};
}

QString FindSysInfoTool(const QStringList& candidates) {
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return {};
}

}  // namespace korvex::ui

namespace korvex::ui {

bool StartSysInfo(ProcessLauncher& launcher, MessageBoxService& boxes, const QString& title,
                  const QStringList& candidates) {
    const QString tool = FindSysInfoTool(candidates);
    if (!tool.isEmpty() && launcher.StartDetached(tool, {}) > 0) return true;
    MessageRequest request;
    request.text = QStringLiteral("System information is not available at this moment");
    request.title = title;
    request.buttons = MsgButtons::OK;
    boxes.Show(request);
    return false;
}

}  // namespace korvex::ui
