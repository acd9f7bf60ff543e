#include <gtest/gtest.h>

#include "framework/ui/ScreenPlacement.h"

namespace korvex::ui {
namespace {

TEST(ScreenPlacement, KeepsTheWindowOnScreen) {
    const struct {
        QRect screen;
        QPoint in, out;
    } cases[] = {
        {{0, 0, 1024, 768}, {200, 300}, {200, 300}},
        {{0, 0, 1024, 768}, {-50, 300}, {100, 300}},
        {{0, 0, 1024, 768}, {925, 300}, {100, 300}},  // past the width less 100
        {{0, 0, 1024, 768}, {924, 668}, {924, 668}},  // the last places that stay
        {{0, 0, 1024, 768}, {200, -1}, {200, 100}},
        {{0, 0, 1024, 768}, {200, 669}, {200, 100}},
        {{1024, 0, 800, 600}, {1100, 50}, {1100, 50}},  // a second screen to the right
        {{1024, 0, 800, 600}, {900, 50}, {1124, 50}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AdjustScreenPosition(c.in, c.screen), c.out) << c.in.x() << "," << c.in.y();
    }
}

}  // namespace
}  // namespace korvex::ui
