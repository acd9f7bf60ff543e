// Keeping a restored window on screen.
#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace korvex::ui {

inline constexpr int kDefaultWindowPixels = 100;

// AdjustScreenPosition: a left edge that is negative or past the screen width less 100 pixels
// becomes 100 pixels from the screen's left; the top edge likewise with the screen height.
QPoint AdjustScreenPosition(QPoint topLeft, const QRect& screen);

// The same for a window on its current screen (the primary one when it has none yet).
void AdjustScreenPosition(QWidget& window);

}  // namespace korvex::ui
