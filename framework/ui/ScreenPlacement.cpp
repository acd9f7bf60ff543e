#include "framework/ui/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace korvex::ui {

QPoint AdjustScreenPosition(QPoint topLeft, const QRect& screen) {
    const int left = topLeft.x() - screen.left();
    const int top = topLeft.y() - screen.top();
    if (left < 0 || left > screen.width() - kDefaultWindowPixels) {
        topLeft.setX(screen.left() + kDefaultWindowPixels);
    }
    if (top < 0 || top > screen.height() - kDefaultWindowPixels) {
        topLeft.setY(screen.top() + kDefaultWindowPixels);
    }
    return topLeft;
}

void AdjustScreenPosition(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) window.move(AdjustScreenPosition(window.pos(), screen->geometry()));
}

}  // namespace korvex::ui
