#include "framework/ui/WindowsAPI.h"

#include <QDesktopServices>
#include <QWidget>

namespace korvex::ui {

void SetAlwaysOnTop(QWidget& window, bool onTop) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        if (onTop) window.raise();
        return;
    }
    // Changing a window flag re-creates the native window hidden and may lose its place.
    const QRect geometry = window.geometry();
    const bool visible = window.isVisible();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window.setGeometry(geometry);
    if (visible) {
        window.show();
        if (onTop) window.raise();
    }
}

bool OpenUrl(const QString& target, MessageBoxService& boxes, const UrlOpener& open) {
    const QUrl url = QUrl::fromUserInput(target);
    const bool opened = url.isValid() && (open ? open(url) : QDesktopServices::openUrl(url));
    if (!opened) {
        MessageRequest request;
        request.text = QStringLiteral("It seems as if you don't have an Internet browser!");
        request.title = QStringLiteral("Problem");
        request.icon = MsgIcon::Warning;
        request.foreground = true;
        boxes.Show(request);
    }
    return opened;
}

}  // namespace korvex::ui
