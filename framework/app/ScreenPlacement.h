// Keeping a restored window on screen.
#pragma once

#include <QPoint>
#include <QSize>

namespace korvex {

inline constexpr int kDefaultWindowPixels = 100;

// AdjustScreenPosition: a left edge that is negative or past the screen width less 100 pixels
// becomes 100 pixels; the top edge likewise with the screen height.
QPoint AdjustScreenPosition(QPoint topLeft, QSize screen);

}  // namespace korvex
