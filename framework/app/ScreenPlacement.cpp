#include "framework/app/ScreenPlacement.h"

namespace korvex {

QPoint AdjustScreenPosition(QPoint p, QSize screen) {
    if (p.x() < 0 || p.x() > screen.width() - kDefaultWindowPixels) p.setX(kDefaultWindowPixels);
    if (p.y() < 0 || p.y() > screen.height() - kDefaultWindowPixels) p.setY(kDefaultWindowPixels);
    return p;
}

}  // namespace korvex
