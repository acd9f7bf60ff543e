#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/core/CallSpy.h"
#include "framework/core/WindowsAPI.h"

namespace korvex {
namespace {

TEST(WindowsAPI, StartedMinimizedFromEnvironment) {
    const struct {
        const char* value;  // null: unset
        int result;
    } cases[] = {{nullptr, 0}, {"1", 1}, {"0", 0}, {"", 0}, {"2", 0}, {"yes", 0}, {" 1", 0}};
    for (const auto& c : cases) {
        if (c.value) {
            setenv("KORVEX_START_MINIMIZED", c.value, 1);
        } else {
            unsetenv("KORVEX_START_MINIMIZED");
        }
        EXPECT_EQ(StartedMinimized(), c.result) << (c.value ? c.value : "unset");
    }
    unsetenv("KORVEX_START_MINIMIZED");
}

TEST(WindowsAPI, TicksWrapAtThirtyTwoBits) {
    {
        ManualTickClock clock(0xFFFFFF00u);
        const uint32_t start = GetTicks();
        EXPECT_EQ(start, 0xFFFFFF00u);
        clock.Advance(0x200);
        EXPECT_EQ(GetTicks(), 0x100u);
        EXPECT_EQ(TicksSince(start), 0x200u);
    }
    // Back on the real clock: it moves forward from a value unrelated to the manual one.
    const uint32_t a = GetTicks();
    EXPECT_LT(TicksSince(a), 1000u);
}

class FakeSpy : public CallSpy {
  public:
    void TrafficStart(const QString& t) override { log += "S:" + t; }
    void TrafficLine(const QString& t) override { log += "L:" + t; }
    void TrafficChar(const QString& t) override { log += "C:" + t; }
    void TrafficEnd(const QString& t) override { log += "E:" + t; }
    bool IsTicked(SpyCategory c) const override { return c == SpyCategory::MoveHalt; }
    QString log;
};

TEST(CallSpyHolder, WritesOnlyWhenTheWindowExistsAndTheCategoryIsTicked) {
    CallSpyHolder holder;
    EXPECT_EQ(holder.Window(), nullptr);
    EXPECT_EQ(holder.For(SpyCategory::MoveHalt), nullptr);

    FakeSpy first;
    holder.Set(&first);
    EXPECT_EQ(holder.For(SpyCategory::MoveHalt), &first);
    EXPECT_EQ(holder.For(SpyCategory::IsMoving), nullptr);
    EXPECT_EQ(holder.Window(), &first);

    // An old window going away leaves a newer one in place.
    FakeSpy second;
    holder.Set(&second);
    holder.Clear(&first);
    EXPECT_EQ(holder.Window(), &second);
    holder.Clear(&second);
    EXPECT_FALSE(holder.Exists());
}

}  // namespace
}  // namespace korvex
