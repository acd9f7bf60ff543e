// The hardware layer against the simulated controller: conversions, zone rules, backlash
// decisions, halt, zone installation, configuration and the poll step.
#include <cmath>
#include <limits>

#include "RotatorFixture.h"
#include "korvex/store.h"

namespace korvex::rotator::testing {
namespace {

using Calls = std::vector<std::string>;

class MotionTest : public RotatorFixture {
  protected:
    MotionTest() {
        state.stepsPerDegree = 40;
        state.zoneLow = 180;
        state.zoneHigh = 180.0001;
    }
};

TEST_F(MotionTest, StepsToDegreesBringsCountsIntoZeroTo360Once) {
    struct Case {
        int32_t steps;
        double degrees;
    };
    const Case cases[] = {
        {0, 0},      {400, 10},  {-400, 350},   {14400, 360}, {14440, 1},
        {-14400, 0}, {1, 0.025}, {-16000, -40},  // one correction only: -400 degrees stays out of
                                                 // range
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(hw->StepsToDegrees(c.steps), c.degrees) << "steps " << c.steps;
    }
}

TEST_F(MotionTest, StepsPerDegreeThatIsNotPositiveActsAsOne) {
    for (double bad : {0.0, -40.0, std::numeric_limits<double>::quiet_NaN(),
                       std::numeric_limits<double>::infinity()}) {
        state.stepsPerDegree = bad;
        EXPECT_DOUBLE_EQ(hw->StepsToDegrees(90), 90) << bad;
        PlaceAt(10);
        double angle = 20;
        hw->GotoAngle(angle);
        EXPECT_EQ(controller.Stepper(kPort).target, 20) << bad;
    }
}

TEST_F(MotionTest, ClassifyAngleAgainstTheZone) {
    state.zoneLow = 90;
    state.zoneHigh = 270;
    struct Case {
        double angle;
        int cls;
    };
    const Case cases[] = {
        {0, kLowSide},     {90, kLowSide},    {90.5, kOutside},
        {269.9, kOutside}, {270, kHighSide},  {360, kHighSide},
        {-0.1, kOutside},  {360.1, kOutside}, {std::numeric_limits<double>::quiet_NaN(), kOutside},
    };
    for (const Case& c : cases) EXPECT_EQ(hw->ClassifyAngle(c.angle), c.cls) << c.angle;
}

TEST_F(MotionTest, GotoAngleTargetsStayOnTheAllowedSide) {
    struct Case {
        const char* what;
        int32_t fromSteps;
        double angle;
        int32_t steps;
        double used;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {"from 10 to 350 goes back through 0", 400, 350, -400, 350},
        {"from 350 to 20 goes forward through 0", -400, 20, 800, 20},
        {"in the zone from the low side stops at zone low", 400, 180.00005, 7200, 180},
        {"in the zone from the high side stops at zone high", -6400, 180.00005, -7200, 180.0001},
        {"a negative target is taken modulo 360", 400, -30, -1200, 330},
        {"a target above 360 is taken modulo 360", 400, 365, 200, 5},
        {"360 is 0", 400, 360, 0, 0},
        {"normalised once only: -400 stays out of range", 400, -400, 7200, 180},
        {"not a number goes to the zone edge", 400, nan, 7200, 180},
    };
    for (const Case& c : cases) {
        PlaceAt(c.fromSteps);
        double angle = c.angle;
        hw->GotoAngle(angle);
        EXPECT_EQ(controller.Stepper(kPort).target, c.steps) << c.what;
        EXPECT_EQ(state.targetSteps, c.steps) << c.what;
        EXPECT_NEAR(state.targetPosition, c.used, 1e-9) << c.what;
        EXPECT_NEAR(angle, c.used, 1e-9) << c.what;
        EXPECT_TRUE(state.moving) << c.what;
    }
}

TEST_F(MotionTest, GotoAngleHaltsAMoveInProgressFirst) {
    double angle = 90;
    hw->GotoAngle(angle);
    clock.AdvanceMs(1000);  // 100 steps at 10 ms per step
    gLinkCalls.clear();
    angle = 1;
    hw->GotoAngle(angle);
    const Calls expected = {"StepperStop(0)", "StepperGetPos(0,*)", "StepperGotoBlash(0,40,0)"};
    EXPECT_EQ(StepperCalls(), expected);  // 100 -> 40 reverses the increasing move
    EXPECT_FALSE(state.lastMoveWasIncreasing);
}

struct BacklashCase {
    const char* what;
    int32_t mode;
    int32_t applyOn;
    bool lastIncreasing;
    int32_t from;
    int32_t to;
    const char* call;
    bool lastIncreasingAfter;
};

TEST_F(MotionTest, BacklashDecidesTheStepperCall) {
    const BacklashCase cases[] = {
        {"two-direction, up after down: reversal", kBacklashTwoDirection, 0, false, 100, 200,
         "StepperGotoBlash(0,200,30)", true},
        {"two-direction, up after up", kBacklashTwoDirection, 0, true, 100, 200,
         "StepperGoto(0,200)", true},
        {"two-direction, down after up: reversal", kBacklashTwoDirection, 0, true, 200, 150,
         "StepperGotoBlash(0,150,30)", false},
        {"two-direction, down after down", kBacklashTwoDirection, 0, false, 200, 150,
         "StepperGoto(0,150)", false},
        {"two-direction, no motion keeps the direction", kBacklashTwoDirection, 0, true, 150, 150,
         "StepperGoto(0,150)", true},
        {"one-direction on increasing, up", kBacklashOneDirection, kApplyOnIncreasing, false, 100,
         200, "StepperGotoODB(0,200,30)", false},
        {"one-direction on increasing, down", kBacklashOneDirection, kApplyOnIncreasing, false, 200,
         150, "StepperGoto(0,150)", false},
        {"one-direction on decreasing, down", kBacklashOneDirection, kApplyOnDecreasing, true, 200,
         150, "StepperGotoODB(0,150,30)", true},
        {"one-direction on decreasing, up", kBacklashOneDirection, kApplyOnDecreasing, true, 100,
         200, "StepperGoto(0,200)", true},
        {"one-direction, no motion", kBacklashOneDirection, kApplyOnDecreasing, true, 150, 150,
         "StepperGoto(0,150)", true},
    };
    state.stepsPerDegree = 10;  // degrees x 10 = steps
    state.backlash = 30;
    for (const BacklashCase& c : cases) {
        state.backlashMode = c.mode;
        state.applyOneDirectionOn = c.applyOn;
        PlaceAt(c.from);
        state.lastMoveWasIncreasing = c.lastIncreasing;
        double angle = c.to / 10.0;
        hw->GotoAngle(angle);
        EXPECT_EQ(StepperCalls(), Calls{c.call}) << c.what;
        EXPECT_EQ(state.lastMoveWasIncreasing, c.lastIncreasingAfter) << c.what;
    }
}

TEST_F(MotionTest, TwoDirectionSequenceCorrectsOnlyReversals) {
    controller.SetInstantMoves(true);
    state.stepsPerDegree = 10;
    state.backlash = 25;
    PlaceAt(100);
    Calls sent;
    for (double angle : {20.0, 15.0, 10.0}) {  // 200, 150, 100 steps
        hw->GotoAngle(angle);
        hw->PollController();
        sent.push_back(CallsStartingWith("StepperGo").back());
    }
    const Calls expected = {"StepperGotoBlash(0,200,25)", "StepperGotoBlash(0,150,25)",
                            "StepperGoto(0,100)"};
    EXPECT_EQ(sent, expected);
}

TEST_F(MotionTest, HaltRotatorStopsAndFollowsTheCounter) {
    double angle = 90;
    hw->GotoAngle(angle);
    clock.AdvanceMs(1000);
    hw->HaltRotator();
    EXPECT_EQ(state.stepCount, 100);
    EXPECT_EQ(state.targetSteps, 100);
    EXPECT_DOUBLE_EQ(state.position, 2.5);
    EXPECT_DOUBLE_EQ(state.targetPosition, 2.5);
    EXPECT_FALSE(state.moving);
    clock.AdvanceMs(1000);
    EXPECT_EQ(controller.Stepper(kPort).position, 100);
}

TEST_F(MotionTest, HaltRotatorWithAFailedReadKeepsTheState) {
    double angle = 90;
    hw->GotoAngle(angle);
    clock.AdvanceMs(1000);
    const RotatorState before = state;
    controller.InjectFailure(sim::Op::StepperGetPos, sim::kAny, sim::kAny, 1);
    gLinkCalls.clear();
    hw->HaltRotator();
    EXPECT_EQ(StepperCalls(), (Calls{"StepperStop(0)", "StepperGetPos(0,*)"}));
    EXPECT_EQ(state, before);
}

TEST_F(MotionTest, SetZeroDeclaresTheCurrentPositionZero) {
    PlaceAt(3600);
    hw->SetZero();
    EXPECT_EQ(controller.Stepper(kPort).position, 0);
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_EQ(state.targetSteps, 0);
    EXPECT_EQ(state.position, 0);
}

TEST_F(MotionTest, SetZoneMovesPositiveCountsAboveTheZoneToTheNegativeSide) {
    struct Case {
        const char* what;
        int32_t count;
        double low;
        double high;
        int32_t countAfter;
        double highAfter;
    };
    const Case cases[] = {
        {"200 degrees above a no-cross point at 180", 8000, 180, 180, -6400, 180.0001},
        {"at the no-cross point", 7200, 180, 180, 7200, 180.0001},
        {"negative counts are never rewritten back", -400, 180, 180, -400, 180.0001},
        {"below the zone", 2000, 90, 270, 2000, 270},
        {"inside the zone", 8000, 90, 270, 8000, 270},
        {"above the zone", 12000, 90, 270, -2400, 270},
    };
    for (const Case& c : cases) {
        state.stepCount = c.count;
        hw->SetZone(c.low, c.high);
        EXPECT_EQ(state.stepCount, c.countAfter) << c.what;
        EXPECT_EQ(controller.Stepper(kPort).position, c.countAfter) << c.what;
        EXPECT_EQ(state.zoneLow, c.low) << c.what;
        EXPECT_NEAR(state.zoneHigh, c.highAfter, 1e-12) << c.what;
    }
}

// A refresh during a move (language change, Reverse, the dialog closing) pushes the zone: the
// count held from the last poll lags the motor and must not be written over the counter.
TEST_F(MotionTest, ZoneInstalledDuringAMoveLeavesTheCounterToTheMotor) {
    PlaceAt(0);
    double angle = 90;
    hw->GotoAngle(angle);
    clock.AdvanceMs(1000);
    hw->PollController();
    ASSERT_TRUE(state.moving);
    clock.AdvanceMs(500);
    const int32_t motorBefore = controller.Stepper(kPort).position;
    ASSERT_GT(motorBefore, state.stepCount);
    hw->PushConfiguration();
    EXPECT_EQ(controller.Stepper(kPort).position, motorBefore);
    EXPECT_TRUE(controller.Stepper(kPort).moving);
    EXPECT_EQ(controller.Stepper(kPort).target, 3600);

    // Once idle the zone convention applies again.
    clock.AdvanceMs(60000);
    hw->PollController();
    ASSERT_FALSE(state.moving);
    hw->SetZone(45, 45);
    EXPECT_EQ(state.stepCount, 3600 - 14400);
    EXPECT_EQ(controller.Stepper(kPort).position, 3600 - 14400);
}

TEST_F(MotionTest, PushConfigurationSendsEverySettingInOrder) {
    state.stepCount = 400;
    state.motorModel = 1;
    state.halfStep = 1;
    state.wiringMode = 2;
    state.stoppedPower = 100;
    state.movingPower = 512;
    state.slowRate = 8000;
    state.fastRate = 2000;
    hw->PushConfiguration();
    const Calls expected = {"StepperSetPos(0,400)",
                            "StepperSetModel(0,1)",
                            "StepperSetHalfstep(0,1)",
                            "StepperSetWireMode(0,2)",
                            "StepperSetStopPow(0,100)",
                            "StepperSetMovePow(0,512)",
                            "StepperSetSpeedRangeUs(0,8000,2000)"};
    EXPECT_EQ(StepperCalls(), expected);
    const sim::StepperState motor = controller.Stepper(kPort);
    EXPECT_EQ(motor.wireMode, 2);
    EXPECT_EQ(motor.movePower, 512);
    EXPECT_EQ(motor.fastUs, 2000);
}

TEST_F(MotionTest, ConfigureControllerLoadsTheStoredCount) {
    state.stepCount = 3600;
    state.targetSteps = 0;
    state.moving = true;
    controller.SetFirmwareVersion(2410);
    hw->ConfigureController();
    EXPECT_EQ(gLinkCalls.at(1), "SysGetFWVersion()");  // after the link check
    EXPECT_EQ(StepperCalls().front(), "StepperSetPos(0,3600)");
    EXPECT_EQ(controller.Stepper(kPort).position, 3600);
    EXPECT_EQ(state.firmwareVersion, 2410);
    EXPECT_EQ(state.targetSteps, 3600);
    EXPECT_FALSE(state.moving);
}

TEST_F(MotionTest, PollControllerFinishesAMoveAndSavesThePosition) {
    const std::string key = "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator\\Default";
    double angle = 90;
    hw->GotoAngle(angle);
    clock.AdvanceMs(1000);
    hw->PollController();
    EXPECT_TRUE(state.moving);
    EXPECT_EQ(state.stepCount, 100);
    EXPECT_DOUBLE_EQ(state.position, 2.5);
    EXPECT_FALSE(store::Get(key, "Position").has_value());

    clock.AdvanceMs(40000);
    hw->PollController();
    EXPECT_FALSE(state.moving);
    EXPECT_EQ(state.stepCount, 3600);
    EXPECT_DOUBLE_EQ(state.position, 90);
    EXPECT_EQ(store::Get(key, "Position"), std::optional<std::string>("3600"));
}

TEST_F(MotionTest, PollControllerNoticesAMoveStartedElsewhere) {
    controller.StepperGoto(kPort, 400);
    clock.AdvanceMs(100);
    hw->PollController();
    EXPECT_TRUE(state.moving);
    EXPECT_EQ(state.stepCount, 10);
}

TEST_F(MotionTest, ReconnectionConfiguresBeforeThePositionIsRead) {
    PlaceAt(3600);
    controller.Unplug();
    hw->PollController();
    EXPECT_TRUE(StepperCalls().empty());

    controller.Plug();
    controller.StepperSetPos(kPort, 0);  // the controller came back with its counter cleared
    gLinkCalls.clear();
    hw->PollController();
    const auto at = [](const std::string& call) {
        return std::find(gLinkCalls.begin(), gLinkCalls.end(), call) - gLinkCalls.begin();
    };
    const auto traced = at("traza(Just connected, configuring...)");
    const auto restored = at("StepperSetPos(0,3600)");
    const auto read = at("StepperGetPos(0,*)");
    ASSERT_LT(read, static_cast<long>(gLinkCalls.size()));
    EXPECT_LT(traced, restored);
    EXPECT_LT(restored, read);
    EXPECT_EQ(state.stepCount, 3600);
    EXPECT_DOUBLE_EQ(state.position, 90);
    EXPECT_FALSE(state.moving);
}

TEST_F(MotionTest, NothingIsSentWhileTheLinkIsDown) {
    PlaceAt(400);
    state.movingPower = 512;
    controller.Unplug();
    const RotatorState before = state;
    gLinkCalls.clear();
    double angle = 90;
    hw->GotoAngle(angle);
    hw->HaltRotator();
    hw->SetZero();
    hw->SetZone(90, 270);
    hw->PushConfiguration();
    hw->ConfigureController();
    hw->PollController();
    hw->SetHorizontal();
    EXPECT_FALSE(hw->SetNewPosition(90));
    EXPECT_TRUE(StepperCalls().empty());
    EXPECT_TRUE(CallsStartingWith("SysGetFWVersion").empty());
    EXPECT_EQ(state, before);
    EXPECT_EQ(angle, 90);
}

TEST_F(MotionTest, HardwareLinesNeedOnlyTheSpyWindow) {
    spyHolder.Set(&spy);  // window open, no category ticked
    PlaceAt(400);
    double angle = 90;
    hw->GotoAngle(angle);
    hw->HaltRotator();
    hw->SetZero();
    hw->SetZone(180, 180);
    const QStringList expected = {"Line:RotatorGoto: 90", "Line:RotatorHalt ",
                                  "Line:SetRotatorZero", "Line:SetRotatorNCP"};
    EXPECT_EQ(spy.writes.mid(1), expected);  // after PlaceAt's own halt line
}

TEST_F(MotionTest, SetHorizontalAndSetNewPosition) {
    state.zoneLow = 90;
    state.zoneHigh = 270;
    PlaceAt(8000);
    hw->SetHorizontal();
    EXPECT_EQ(controller.Stepper(kPort).position, 0);
    EXPECT_EQ(state.zoneLow, 180);
    EXPECT_NEAR(state.zoneHigh, 180.0001, 1e-12);

    EXPECT_TRUE(hw->SetNewPosition(90));  // 40 steps per degree
    EXPECT_EQ(controller.Stepper(kPort).position, 3600);
    EXPECT_EQ(state.stepCount, 3600);
    hw->PollController();
    EXPECT_DOUBLE_EQ(state.position, 90);
    EXPECT_FALSE(state.moving);
}

}  // namespace
}  // namespace korvex::rotator::testing
