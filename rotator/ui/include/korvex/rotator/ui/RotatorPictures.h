// Geometry of the two rotator drawings, kept apart from the painting so that it can be checked
// line by line: the camera orientation of the hand box and the zone picture of the setup dialog.
#pragma once

#include <QColor>
#include <QLineF>
#include <QList>

namespace korvex::rotator::ui {

// The drawings turn degrees into radians with pi taken as 3.141592.
inline constexpr double kPictureRadPerDeg = 3.141592 / 180.0;

// Camera orientation in window twips (x to the right, y downwards), in drawing order: the first
// short side, then three connected lines closing the rectangle (long, short, long), then the
// top mark. The rectangle is 800 x 360 twips around (3210, 600), its long axis at
// a = 360 - position (+180 with pier flip).
QList<QLineF> OrientationLines(double positionDeg, bool pierFlip);

struct ZoneLine {
    QLineF line;  // pixels, in picDegrees
    QColor color;
    int width;
};

// Zone picture in pixels around (93, 87): one 53-pixel ray per whole degree 0..359 (0 at the
// top, growing anticlockwise), red for from <= i <= to and white otherwise, width 2; then the
// current position as a blue ray of width 3. 361 rays.
QList<ZoneLine> ZoneLines(int fromDeg, int toDeg, double positionDeg);

}  // namespace korvex::rotator::ui
