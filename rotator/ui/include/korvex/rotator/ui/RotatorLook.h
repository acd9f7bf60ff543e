// The look the rotator's windows share: black background, white texts, a small font, controls
// placed in twips.
#pragma once

#include <QFont>

class QWidget;

namespace korvex::rotator::ui {

// Black window, white texts, light controls with black texts, the base font.
void ApplyWindowLook(QWidget& window);

// "Tahoma" at `points` (8.25, 15.75 as designed), else a sans-serif of similar width.
QFont TahomaFont(double points);

// Places `control` at (left, top) twips in its parent with a size in twips.
void PlaceTwips(QWidget& control, int left, int top, int width, int height);

}  // namespace korvex::rotator::ui
