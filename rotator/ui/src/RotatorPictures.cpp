#include "korvex/rotator/ui/RotatorPictures.h"

#include <cmath>

namespace korvex::rotator::ui {
namespace {

// Halves to even, as the drawings' integer rounding does.
double RoundEven(double v) { return std::nearbyint(v); }

constexpr double kCentreX = 3210;  // twips
constexpr double kCentreY = 600;

constexpr double kZoneCentreX = 93;  // pixels
constexpr double kZoneCentreY = 87;
constexpr double kZoneRadius = 53;

QLineF Ray(double deg) {
    const double rad = deg * kPictureRadPerDeg;
    return {kZoneCentreX, kZoneCentreY, kZoneCentreX - kZoneRadius * std::sin(rad),
            kZoneCentreY - RoundEven(kZoneRadius * std::cos(rad))};
}

}  // namespace

QList<QLineF> OrientationLines(double positionDeg, bool pierFlip) {
    double a = 360 - positionDeg;
    if (pierFlip) a += 180;
    const double c = std::cos(a * kPictureRadPerDeg);
    const double s = std::sin(a * kPictureRadPerDeg);
    // Half the long axis along (c, s), half the short side along (s, -c).
    const double lx = RoundEven(400 * c), ly = 400 * s;
    const double wx = 180 * s, wy = -180 * c;
    const QPointF centre(kCentreX, kCentreY);
    const QPointF p1 = centre + QPointF(lx + wx, ly + wy);
    const QPointF p2 = centre + QPointF(lx - wx, ly - wy);
    const QPointF p3 = centre + QPointF(-lx - wx, -ly - wy);
    const QPointF p4 = centre + QPointF(-lx + wx, -ly + wy);
    // The top mark: 400 twips along the long axis, 90 twips from the centre towards (-s, c).
    const QPointF mark = centre + QPointF(-90 * s, 90 * c);
    const QPointF half(RoundEven(200 * c), 200 * s);
    return {{p1, p2}, {p2, p3}, {p3, p4}, {p4, p1}, {mark - half, mark + half}};
}

QList<ZoneLine> ZoneLines(int fromDeg, int toDeg, double positionDeg) {
    QList<ZoneLine> lines;
    lines.reserve(361);
    for (int i = 0; i < 360; ++i) {
        const bool forbidden = fromDeg <= i && i <= toDeg;
        lines.append({Ray(i), forbidden ? QColor(255, 0, 0) : QColor(255, 255, 255), 2});
    }
    lines.append({Ray(positionDeg), QColor(0, 0, 255), 3});
    return lines;
}

}  // namespace korvex::rotator::ui
