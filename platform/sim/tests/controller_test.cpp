#include "korvex/sim/controller.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace korvex::sim {
namespace {

class ControllerTest : public ::testing::Test {
  protected:
    ManualClock clock;
    Controller c{clock};

    int32_t Pos(int32_t port) {
        int32_t p = 0;
        EXPECT_EQ(c.StepperGetPos(port, &p), 0);
        return p;
    }
};

TEST_F(ControllerTest, MovesAtTheFastRateAndShowsIntermediateCounts) {
    ASSERT_EQ(c.StepperSetSpeedRangeUs(0, 20000, 5000), 0);  // 5 ms per step at travel
    ASSERT_EQ(c.StepperGoto(0, 100), 0);
    EXPECT_TRUE(c.Stepper(0).moving);
    clock.AdvanceMs(250);
    EXPECT_EQ(Pos(0), 50);
    clock.AdvanceMs(249);
    EXPECT_EQ(Pos(0), 99);
    EXPECT_TRUE(c.Stepper(0).moving);
    clock.AdvanceMs(1);
    EXPECT_EQ(Pos(0), 100);
    EXPECT_FALSE(c.Stepper(0).moving);
    // Other ports did not move.
    EXPECT_EQ(Pos(1), 0);
    EXPECT_EQ(Pos(2), 0);
}

TEST_F(ControllerTest, SpeedInMillisecondsAndReversedRangeUseTheFasterRate) {
    ASSERT_EQ(c.StepperSetSpeed(1, 30), 0);
    EXPECT_EQ(c.Stepper(1).fastUs, 30000);
    EXPECT_EQ(c.Stepper(1).speedMs, 30);
    ASSERT_EQ(c.StepperGoto(1, -10), 0);
    clock.AdvanceMs(150);
    EXPECT_EQ(Pos(1), -5);
    // Range given the wrong way round: the smaller value is still the travel rate.
    ASSERT_EQ(c.StepperSetSpeedRangeUs(1, 1000, 8000), 0);
    clock.AdvanceMs(4);
    EXPECT_EQ(Pos(1), -9);
}

TEST_F(ControllerTest, SpeedChangeDuringAMoveAppliesFromThatMoment) {
    ASSERT_EQ(c.StepperSetSpeed(0, 10), 0);
    ASSERT_EQ(c.StepperGoto(0, 1000), 0);
    clock.AdvanceMs(100);
    ASSERT_EQ(c.StepperSetSpeed(0, 1), 0);
    clock.AdvanceMs(100);
    EXPECT_EQ(Pos(0), 110);
}

TEST_F(ControllerTest, StopHoldsTheCountAtOnce) {
    ASSERT_EQ(c.StepperGoto(0, 500), 0);
    clock.AdvanceMs(1234);
    ASSERT_EQ(c.StepperStop(0), 0);
    const int32_t stopped = Pos(0);
    EXPECT_EQ(stopped, 123);
    clock.AdvanceMs(5000);
    EXPECT_EQ(Pos(0), stopped);
    EXPECT_FALSE(c.Stepper(0).moving);
}

TEST_F(ControllerTest, SetPosRedefinesTheCounterWithoutMotion) {
    ASSERT_EQ(c.StepperGoto(2, 100), 0);
    clock.AdvanceMs(300);  // 30 steps of shaft travel
    ASSERT_EQ(c.StepperSetPos(2, 1800), 0);
    clock.AdvanceMs(5000);
    StepperState s = c.Stepper(2);
    EXPECT_EQ(s.position, 1800);
    EXPECT_FALSE(s.moving);
    EXPECT_EQ(s.travel, 30);
}

struct BacklashCase {
    const char* name;
    MoveKind kind;
    int32_t from, to, backlash;
    int32_t extreme;  // the farthest count reached on the way
};

class BacklashTest : public ControllerTest, public ::testing::WithParamInterface<BacklashCase> {};

TEST_P(BacklashTest, OvershootsThenEndsOnTarget) {
    const BacklashCase& bc = GetParam();
    ASSERT_EQ(c.StepperSetPos(0, bc.from), 0);
    const int32_t rc = bc.kind == MoveKind::Blash ? c.StepperGotoBlash(0, bc.to, bc.backlash)
                                                  : c.StepperGotoODB(0, bc.to, bc.backlash);
    ASSERT_EQ(rc, 0);
    int32_t lo = bc.from, hi = bc.from;
    for (int i = 0; i < 1000 && c.Stepper(0).moving; ++i) {
        clock.AdvanceMs(10);
        lo = std::min(lo, Pos(0));
        hi = std::max(hi, Pos(0));
    }
    EXPECT_FALSE(c.Stepper(0).moving);
    EXPECT_EQ(Pos(0), bc.to);
    EXPECT_EQ(bc.to >= bc.from ? hi : lo, bc.extreme);
    EXPECT_EQ(c.Stepper(0).lastKind, bc.kind);
    EXPECT_EQ(c.Stepper(0).lastBacklash, bc.backlash);
    EXPECT_EQ(c.Stepper(0).target, bc.to);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BacklashTest,
    ::testing::Values(BacklashCase{"BlashUp", MoveKind::Blash, 0, 100, 20, 120},
                      BacklashCase{"BlashDown", MoveKind::Blash, 200, 150, 30, 120},
                      BacklashCase{"OdbUp", MoveKind::Odb, -50, 50, 25, 75},
                      BacklashCase{"OdbDown", MoveKind::Odb, 100, 0, 15, -15},
                      BacklashCase{"NegativeBacklashIsAMagnitude", MoveKind::Blash, 0, 40, -10, 50},
                      BacklashCase{"ZeroBacklashIsPlain", MoveKind::Odb, 0, 40, 0, 40},
                      BacklashCase{"NoMoveNoOvershoot", MoveKind::Blash, 70, 70, 30, 70}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControllerTest, OvershootNearTheEndOfTheCountRangeIsClamped) {
    ASSERT_EQ(c.SetSpeedScale(1e6), true);
    ASSERT_EQ(c.StepperSetPos(0, INT32_MAX - 100), 0);
    ASSERT_EQ(c.StepperGotoBlash(0, INT32_MAX - 10, 50), 0);
    clock.AdvanceMs(1000);
    EXPECT_EQ(Pos(0), INT32_MAX - 10);
}

TEST_F(ControllerTest, InstantMovesAndSpeedScale) {
    c.SetInstantMoves(true);
    ASSERT_EQ(c.StepperGotoBlash(0, 300, 40), 0);
    EXPECT_EQ(Pos(0), 300);
    EXPECT_FALSE(c.Stepper(0).moving);
    EXPECT_EQ(c.Stepper(0).travel, 300);

    c.SetInstantMoves(false);
    EXPECT_FALSE(c.SetSpeedScale(0));
    EXPECT_FALSE(c.SetSpeedScale(-2));
    ASSERT_TRUE(c.SetSpeedScale(10));  // 1 ms per step instead of 10
    ASSERT_EQ(c.StepperGoto(0, 400), 0);
    clock.AdvanceMs(50);
    EXPECT_EQ(Pos(0), 350);
    // Turning instant moves on finishes a move in progress.
    c.SetInstantMoves(true);
    EXPECT_EQ(Pos(0), 400);
}

TEST_F(ControllerTest, MotorSettingsAreKeptAndRangeChecked) {
    EXPECT_EQ(c.StepperSetModel(1, 3), 0);
    EXPECT_EQ(c.StepperSetHalfstep(1, 1), 0);
    EXPECT_EQ(c.StepperSetWireMode(1, 2), 0);
    EXPECT_EQ(c.StepperSetStopPow(1, 100), 0);
    EXPECT_EQ(c.StepperSetMovePow(1, 1024), 0);
    EXPECT_EQ(c.StepperSetModel(1, 4), -1);
    EXPECT_EQ(c.StepperSetHalfstep(1, 2), -1);
    EXPECT_EQ(c.StepperSetWireMode(1, -1), -1);
    EXPECT_EQ(c.StepperSetStopPow(1, 1025), -1);
    EXPECT_EQ(c.StepperSetMovePow(1, -1), -1);
    EXPECT_EQ(c.StepperSetSpeedRangeUs(1, 0, 100), -1);
    EXPECT_EQ(c.StepperSetSpeed(1, 0), -1);
    StepperState s = c.Stepper(1);
    EXPECT_EQ(s.model, 3);
    EXPECT_EQ(s.halfStep, 1);
    EXPECT_EQ(s.wireMode, 2);
    EXPECT_EQ(s.stopPower, 100);
    EXPECT_EQ(s.movePower, 1024);
    EXPECT_EQ(s.fastUs, 10000);
}

TEST_F(ControllerTest, RelaysSetChangeAndPulse) {
    int32_t st = -5;
    ASSERT_EQ(c.RelioRelaySet(2, 3, 1, &st), 0);
    EXPECT_EQ(st, 1);
    ASSERT_EQ(c.RelioRelayChange(2, 3, &st), 0);
    EXPECT_EQ(st, 0);
    ASSERT_EQ(c.RelioRelayChange(2, 3, &st), 0);
    EXPECT_EQ(st, 1);
    ASSERT_EQ(c.RelioRelaySet(2, 3, 0, &st), 0);
    EXPECT_EQ(st, 0);

    ASSERT_EQ(c.RelioRelayPulse(1, 7, 300, &st), 0);
    EXPECT_EQ(st, 1);
    clock.AdvanceMs(299);
    ASSERT_EQ(c.RelioRelayRead(1, 7, &st), 0);
    EXPECT_EQ(st, 1);
    clock.AdvanceMs(1);
    ASSERT_EQ(c.RelioRelayRead(1, 7, &st), 0);
    EXPECT_EQ(st, 0);

    // Pulsing a closed relay closes it for the period and then opens it.
    ASSERT_EQ(c.RelioRelaySet(1, 0, 1, &st), 0);
    ASSERT_EQ(c.RelioRelayPulse(1, 0, 100, &st), 0);
    clock.AdvanceMs(100);
    EXPECT_FALSE(c.RelayClosed(1, 0));
    // A change during a pulse toggles and ends the pulse.
    ASSERT_EQ(c.RelioRelayPulse(1, 1, 100, &st), 0);
    ASSERT_EQ(c.RelioRelayChange(1, 1, &st), 0);
    EXPECT_EQ(st, 0);
    ASSERT_EQ(c.RelioRelayChange(1, 1, &st), 0);
    clock.AdvanceMs(500);
    EXPECT_TRUE(c.RelayClosed(1, 1));
    // A zero-length pulse leaves the relay open.
    ASSERT_EQ(c.RelioRelayPulse(0, 2, 0, &st), 0);
    EXPECT_EQ(st, 0);
    EXPECT_EQ(c.RelioRelayPulse(0, 2, -1, &st), -1);
}

TEST_F(ControllerTest, InputsDigitalThresholdAndOutputs) {
    struct {
        int32_t raw, digital;
    } cases[] = {{0, 0}, {512, 0}, {513, 1}, {1023, 1}};
    for (const auto& tc : cases) {
        ASSERT_TRUE(c.SetAnalogInput(0, 5, tc.raw));
        int32_t an = -1, dig = -1;
        ASSERT_EQ(c.RelioInputAnRead(0, 5, &an), 0);
        ASSERT_EQ(c.RelioInputDigRead(0, 5, &dig), 0);
        EXPECT_EQ(an, tc.raw);
        EXPECT_EQ(dig, tc.digital) << "raw " << tc.raw;
    }
    EXPECT_FALSE(c.SetAnalogInput(0, 5, 1024));
    EXPECT_FALSE(c.SetAnalogInput(0, 5, -1));
    EXPECT_FALSE(c.SetAnalogInput(3, 0, 10));
    EXPECT_EQ(c.AnalogInput(0, 5), 1023);

    ASSERT_EQ(c.WriteDigital(2, 1, 1), 0);
    ASSERT_EQ(c.WriteDigital(2, 4, 7), 0);
    EXPECT_EQ(c.DigitalOutput(2, 1), 1);
    EXPECT_EQ(c.DigitalOutput(2, 4), 7);
    EXPECT_EQ(c.DigitalOutput(2, 2), 0);

    c.SetInternalTemp(-45);
    c.SetExternalTemp(123);
    int32_t t = 0;
    ASSERT_EQ(c.ReadCalibIntTempSensor(&t), 0);
    EXPECT_EQ(t, -45);
    ASSERT_EQ(c.ReadCalibExtTempSensor(&t), 0);
    EXPECT_EQ(t, 123);
}

TEST_F(ControllerTest, UnpluggedControllerFailsAndFreezesMotion) {
    ConnectionWatch watch;
    EXPECT_EQ(watch.Check(c), 1);
    EXPECT_EQ(watch.Check(c), 0);
    ASSERT_EQ(c.StepperGoto(0, 100), 0);
    clock.AdvanceMs(200);
    c.Unplug();
    EXPECT_EQ(c.TKLCommIsUp(), 0);
    EXPECT_EQ(watch.Check(c), -1);
    int32_t v = 0;
    EXPECT_EQ(c.StepperGetPos(0, &v), -1);
    EXPECT_EQ(c.StepperGoto(0, 5), -1);
    EXPECT_EQ(c.RelioRelayRead(0, 0, &v), -1);
    EXPECT_EQ(c.ReadCalibIntTempSensor(&v), -1);
    EXPECT_EQ(c.SysGetFWVersion(), 0);
    EXPECT_EQ(c.TKLGetLanguage(), 9);  // the hub's language is known without the controller
    clock.AdvanceMs(5000);
    c.Plug();
    EXPECT_EQ(c.ConnectCount(), 2u);
    EXPECT_EQ(c.TKLCommIsUp(), -1);
    EXPECT_EQ(Pos(0), 20);
    EXPECT_EQ(watch.Check(c), 1);
    EXPECT_EQ(watch.Check(c), 0);
    c.Plug();  // already plugged: no new connection
    EXPECT_EQ(watch.Check(c), 0);
}

TEST_F(ControllerTest, HubSettingsAreReported) {
    c.SetLanguage(3082);
    c.SetCommMethod(1);
    c.SetFirmwareVersion(1230);
    EXPECT_EQ(c.TKLGetLanguage(), 3082);
    EXPECT_EQ(c.TKLGetCommMethod(), 1);
    EXPECT_EQ(c.SysGetFWVersion(), 1230);
}

TEST_F(ControllerTest, InjectedFailuresMatchOpPortAndIndex) {
    int32_t st = 0;
    c.InjectFailure(Op::RelioRelayRead, 2, 5);
    EXPECT_EQ(c.RelioRelayRead(2, 5, &st), -1);
    EXPECT_EQ(c.RelioRelayRead(2, 5, &st), -1);
    EXPECT_EQ(c.RelioRelayRead(2, 4, &st), 0);
    EXPECT_EQ(c.RelioRelayRead(1, 5, &st), 0);

    c.InjectFailure(Op::StepperGetPos, kAny, kAny, 2);
    EXPECT_EQ(c.StepperGetPos(0, &st), -1);
    EXPECT_EQ(c.StepperGetPos(1, &st), -1);
    EXPECT_EQ(c.StepperGetPos(0, &st), 0);  // used up

    c.InjectFailure(Op::TKLCommIsUp);
    c.InjectFailure(Op::SysGetFWVersion);
    EXPECT_EQ(c.TKLCommIsUp(), 0);
    EXPECT_EQ(c.SysGetFWVersion(), -1);
    c.ClearFailures(Op::TKLCommIsUp);
    EXPECT_EQ(c.TKLCommIsUp(), -1);
    EXPECT_EQ(c.Failures().size(), 2u);
    c.ClearFailures();
    EXPECT_EQ(c.RelioRelayRead(2, 5, &st), 0);
    EXPECT_EQ(c.SysGetFWVersion(), 1250);
}

TEST_F(ControllerTest, BadArgumentsFailWithoutEffect) {
    int32_t v = 0;
    const int32_t results[] = {
        c.StepperGoto(-1, 10),
        c.StepperGoto(3, 10),
        c.StepperGotoBlash(3, 10, 1),
        c.StepperGotoODB(-2, 10, 1),
        c.StepperGetPos(0, nullptr),
        c.StepperGetPos(3, &v),
        c.StepperSetPos(5, 1),
        c.StepperStop(-1),
        c.StepperSetSpeedRangeUs(0, -5, 100),
        c.StepperSetSpeed(9, 10),
        c.ReadCalibIntTempSensor(nullptr),
        c.ReadCalibExtTempSensor(nullptr),
        c.ReadAnalog(1, 8, nullptr),
        c.ReadAnalog(0, 8, &v),
        c.ReadAnalog(1, 7, &v),
        c.WriteDigital(0, 0, 1),
        c.WriteDigital(0, 9, 1),
        c.WriteDigital(3, 1, 1),
        c.RelioRelayRead(0, 8, &v),
        c.RelioRelayRead(0, -1, &v),
        c.RelioRelayRead(0, 0, nullptr),
        c.RelioRelaySet(3, 0, 1, &v),
        c.RelioRelaySet(0, 0, 1, nullptr),
        c.RelioRelayChange(0, 8, &v),
        c.RelioRelayPulse(0, 0, 10, nullptr),
        c.RelioInputAnRead(0, 8, &v),
        c.RelioInputDigRead(-1, 0, &v),
        c.RelioInputDigRead(0, 0, nullptr),
    };
    for (size_t i = 0; i < std::size(results); ++i) EXPECT_EQ(results[i], -1) << "call " << i;
    EXPECT_EQ(c.Stepper(0).position, 0);
    EXPECT_FALSE(c.Stepper(0).moving);
    EXPECT_EQ(c.Stepper(7).position, 0);
}

// --- the filter-wheel mark sensor ---

constexpr int32_t kAtikMsPerStep = 30;  // the wheel driver's default speed
constexpr int32_t kPollMs = 50;         // its poll during a search run

class WheelTest : public ControllerTest {
  protected:
    void SetUp() override {
        ASSERT_EQ(c.StepperSetSpeed(kWheelPort, kAtikMsPerStep), 0);
        ASSERT_EQ(c.StepperSetPos(kWheelPort, 1800), 0);
    }
    int32_t Read() {
        int32_t v = -1;
        EXPECT_EQ(c.ReadAnalog(1, 8, &v), 0);
        return v;
    }
    // Turns the wheel so that the search direction starts at `phase` (travel only).
    void StartAtPhase(int32_t phase) {
        WheelMarks m = c.GetWheelMarks();
        m.offset = phase;
        ASSERT_TRUE(c.SetWheelMarks(m));
    }
};

TEST_F(WheelTest, ReadingsAreAboveOrBelowTheMarkThreshold) {
    ASSERT_EQ(c.StepperGoto(kWheelPort, 0), 0);
    bool sawMark = false, sawGap = false;
    for (int t = 0; t < 1800 * kAtikMsPerStep; t += kAtikMsPerStep) {
        const int32_t v = Read();
        EXPECT_TRUE(v >= 996 || v <= 995);
        EXPECT_GE(v, 0);
        EXPECT_LE(v, 1023);
        sawMark |= v >= 996;
        sawGap |= v <= 995;
        clock.AdvanceMs(kAtikMsPerStep);
    }
    EXPECT_TRUE(sawMark);
    EXPECT_TRUE(sawGap);
}

// Polls like the wheel driver during a search run and returns the counts at which a new mark
// was latched.
std::vector<int32_t> LatchedMarks(ManualClock& clock, Controller& c, int32_t polls) {
    std::vector<int32_t> at;
    bool latched = true;  // a mark under the sensor at the start is not counted
    for (int32_t i = 0; i < polls; ++i) {
        clock.AdvanceMs(kPollMs);
        int32_t v = 0, p = 0;
        EXPECT_EQ(c.ReadAnalog(1, 8, &v), 0);
        EXPECT_EQ(c.StepperGetPos(kWheelPort, &p), 0);
        if (v <= 995) {
            latched = false;
        } else if (!latched) {
            latched = true;
            at.push_back(p);
        }
    }
    return at;
}

TEST_F(WheelTest, SixMarksATurnOnePairCloserThanSixtySteps) {
    const int32_t turn = c.GetWheelMarks().turnSteps;
    StartAtPhase(turn - 100);  // start between marks
    ASSERT_EQ(c.StepperGoto(kWheelPort, 1800 - turn), 0);
    const auto at = LatchedMarks(clock, c, turn * kAtikMsPerStep / kPollMs + 10);
    ASSERT_EQ(at.size(), 6u);
    int close = 0;
    for (size_t i = 1; i < at.size(); ++i) {
        const int32_t gap = at[i - 1] - at[i];
        if (gap < 60) {
            ++close;
            EXPECT_EQ(i, 1u) << "from phase turn-100 the pair is the first two marks";
        }
    }
    EXPECT_EQ(close, 1);
}

TEST_F(WheelTest, TheDoubleMarkIsFoundWithin1800StepsFromAnyPhase) {
    const int32_t turn = c.GetWheelMarks().turnSteps;
    for (int32_t phase = 0; phase < turn; phase += 7) {
        ManualClock local;
        Controller wheel(local);
        WheelMarks m = wheel.GetWheelMarks();
        m.offset = phase;
        ASSERT_TRUE(wheel.SetWheelMarks(m));
        ASSERT_EQ(wheel.StepperSetSpeed(kWheelPort, kAtikMsPerStep), 0);
        ASSERT_EQ(wheel.StepperSetPos(kWheelPort, 1800), 0);
        ASSERT_EQ(wheel.StepperGoto(kWheelPort, 0), 0);
        const auto at = LatchedMarks(local, wheel, 1800 * kAtikMsPerStep / kPollMs);
        bool found = false;
        int32_t last = 0;
        for (int32_t p : at) {
            if (std::abs(last - p) < 60) {
                found = true;
                EXPECT_GT(p, 0);
                break;
            }
            last = p;
        }
        EXPECT_TRUE(found) << "start phase " << phase;
        // A search run for any other slot needs at most five marks.
        EXPECT_GE(at.size(), 5u) << "start phase " << phase;
    }
}

TEST_F(WheelTest, SensorFollowsTheShaftNotTheCounter) {
    StartAtPhase(0);  // on slot 1's first mark
    EXPECT_GE(Read(), 996);
    ASSERT_EQ(c.StepperSetPos(kWheelPort, -5000), 0);
    EXPECT_GE(Read(), 996);
    ASSERT_EQ(c.StepperGoto(kWheelPort, -5000 - 20), 0);  // 20 steps on, past the mark
    clock.AdvanceMs(20 * kAtikMsPerStep);
    EXPECT_LE(Read(), 995);
    // Moving back the other way finds the same mark again.
    ASSERT_EQ(c.StepperGoto(kWheelPort, -5000 - 5), 0);
    clock.AdvanceMs(15 * kAtikMsPerStep);
    EXPECT_GE(Read(), 996);
    // Other ports' motion does not turn the wheel.
    ASSERT_EQ(c.StepperGoto(0, 40), 0);
    clock.AdvanceMs(10000);
    EXPECT_GE(Read(), 996);
}

TEST_F(WheelTest, MarkModelIsValidated) {
    WheelMarks bad = c.GetWheelMarks();
    bad.marks.push_back(bad.turnSteps);
    EXPECT_FALSE(c.SetWheelMarks(bad));
    bad = c.GetWheelMarks();
    bad.width = 0;
    EXPECT_FALSE(c.SetWheelMarks(bad));
    bad = c.GetWheelMarks();
    bad.turnSteps = 0;
    EXPECT_FALSE(c.SetWheelMarks(bad));
    EXPECT_EQ(c.GetWheelMarks().turnSteps, 1200);
}

}  // namespace
}  // namespace korvex::sim
