#include <gtest/gtest.h>

#include <cmath>

#include "korvex/rotator/ui/RotatorPictures.h"

namespace korvex::rotator::ui {
namespace {

constexpr double kEps = 1e-6;
const QPointF kCentre(3210, 600);

void ExpectNear(const QPointF& actual, const QPointF& expected) {
    EXPECT_NEAR(actual.x(), expected.x(), 1e-3);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-3);
}

TEST(OrientationLines, UprightCameraAtZeroAndFlipped) {
    struct Case {
        double position;
        bool flip;
        QPointF firstCorner;  // centre + 400 (C, S) + 180 (S, -C)
        double markY;         // the top mark, 90 twips from the centre towards (-S, C)
    };
    const Case cases[] = {
        {0, false, {3610, 420}, 690},
        {0, true, {2810, 780}, 510},
        {180, false, {2810, 780}, 510},
        {180, true, {3610, 420}, 690},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.position << (c.flip ? " flipped" : ""));
        const QList<QLineF> lines = OrientationLines(c.position, c.flip);
        ASSERT_EQ(lines.size(), 5);
        ExpectNear(lines[0].p1(), c.firstCorner);
        // The mark is horizontal, 400 twips long, centred on x = 3210.
        EXPECT_NEAR(lines[4].p1().y(), c.markY, 1e-3);
        EXPECT_NEAR(lines[4].p2().y(), c.markY, 1e-3);
        EXPECT_NEAR(std::abs(lines[4].dx()), 400, 1e-3);
        EXPECT_NEAR((lines[4].p1().x() + lines[4].p2().x()) / 2, 3210, 1e-3);
    }
}

TEST(OrientationLines, RectangleIsClosedAndSizedAndFlipTurnsItHalfway) {
    for (double position : {0.0, 12.3, 37.5, 90.0, 200.0, 359.0, 360.0}) {
        SCOPED_TRACE(position);
        const QList<QLineF> lines = OrientationLines(position, false);
        const QList<QLineF> flipped = OrientationLines(position, true);
        ASSERT_EQ(lines.size(), 5);
        ASSERT_EQ(flipped.size(), 5);
        // One short side, then three connected lines back to the first corner.
        for (int i = 0; i < 4; ++i) ExpectNear(lines[i].p2(), lines[(i + 1) % 4].p1());
        EXPECT_NEAR(lines[0].length(), 360, 1.0);  // short sides (400 C rounded: within 1)
        EXPECT_NEAR(lines[1].length(), 800, 1.0);  // long sides
        EXPECT_NEAR(lines[4].length(), 400, 1.0);  // top mark
        // Pier flip: every point mirrored through the centre.
        for (int i = 0; i < 5; ++i) {
            ExpectNear(flipped[i].p1(), 2 * kCentre - lines[i].p1());
            ExpectNear(flipped[i].p2(), 2 * kCentre - lines[i].p2());
        }
    }
}

TEST(OrientationLines, CosineTermsAreWholeTwips) {
    // a = 322.5: 400 C = 317.34 -> 317, 200 C = 158.67 -> 159.
    const QList<QLineF> lines = OrientationLines(37.5, false);
    const double s = std::sin(322.5 * kPictureRadPerDeg);
    EXPECT_NEAR(lines[0].p1().x(), 3210 + 317 + 180 * s, kEps);
    EXPECT_NEAR(lines[4].p2().x(), 3210 - 90 * s + 159, kEps);
    EXPECT_NEAR(lines[4].p1().x(), 3210 - 90 * s - 159, kEps);
}

TEST(ZoneLines, RaysColouredByZoneThenBluePosition) {
    const QList<ZoneLine> rays = ZoneLines(170, 200, 90);
    ASSERT_EQ(rays.size(), 361);
    const struct {
        int degree;
        QColor colour;
        QPointF end;
    } cases[] = {
        {0, Qt::white, {93, 34}},   // straight up
        {90, Qt::white, {40, 87}},  // anticlockwise: left
        {169, Qt::white, {93 - 53 * std::sin(169 * kPictureRadPerDeg), 87 + 52}},
        {170, Qt::red, {93 - 53 * std::sin(170 * kPictureRadPerDeg), 87 + 52}},
        {180, Qt::red, {93, 140}},
        {200, Qt::red, {93 - 53 * std::sin(200 * kPictureRadPerDeg), 87 + 50}},
        {201, Qt::white, {93 - 53 * std::sin(201 * kPictureRadPerDeg), 87 + 49}},
        {270, Qt::white, {146, 87}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degree);
        const ZoneLine& ray = rays[c.degree];
        EXPECT_EQ(ray.color, c.colour);
        EXPECT_EQ(ray.width, 2);
        ExpectNear(ray.line.p1(), {93, 87});
        ExpectNear(ray.line.p2(), c.end);
    }
    EXPECT_EQ(rays[360].color, QColor(Qt::blue));
    EXPECT_EQ(rays[360].width, 3);
    ExpectNear(rays[360].line.p2(), {40, 87});
}

TEST(ZoneLines, SinglePointZoneAndEmptyZone) {
    int red = 0;
    for (const ZoneLine& ray : ZoneLines(180, 180, 0)) red += ray.color == QColor(Qt::red);
    EXPECT_EQ(red, 1);
    red = 0;
    for (const ZoneLine& ray : ZoneLines(200, 100, 0)) red += ray.color == QColor(Qt::red);
    EXPECT_EQ(red, 0);
}

}  // namespace
}  // namespace korvex::rotator::ui
