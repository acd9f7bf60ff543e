// The configuration dialog's rules without widgets: fill, field checks, apply, new position.
#include "RotatorFixture.h"
#include "korvex/rotator/SetupRules.h"
#include "korvex/store.h"

namespace korvex::rotator::testing {
namespace {

// What the dialog shows for the default state, as a base for one-field changes.
SetupFields Defaults() { return FillSetup(RotatorState{}, false); }

TEST(SetupRules, FillShowsPercentsAndWholeDegrees) {
    struct Case {
        int32_t power;
        const char* percent;
    };
    for (const Case c : {Case{1024, "100"}, Case{512, "50"}, Case{10, "1"}, Case{0, "0"},
                         Case{5, "0"}, Case{15, "1"}}) {
        RotatorState state;
        state.movingPower = c.power;
        state.stoppedPower = c.power;
        const SetupFields fields = FillSetup(state, false);
        EXPECT_EQ(fields.maxDuty, c.percent) << c.power;
        EXPECT_EQ(fields.stoppedDuty, c.percent) << c.power;
    }
    struct Zone {
        double bound;
        const char* shown;
    };
    for (const Zone z :
         {Zone{180.0001, "180"}, Zone{180.5, "180"}, Zone{181.5, "182"}, Zone{12.49, "12"}}) {
        RotatorState state;
        state.zoneLow = z.bound;
        state.zoneHigh = z.bound;
        const SetupFields fields = FillSetup(state, false);
        EXPECT_EQ(fields.zoneLow, z.shown) << z.bound;
        EXPECT_EQ(fields.zoneHigh, z.shown) << z.bound;
    }
    RotatorState state;
    state.stepsPerDegree = 12.5;
    state.wiringMode = 3;
    state.backlashMode = kBacklashOneDirection;
    state.applyOneDirectionOn = kApplyOnDecreasing;
    const SetupFields fields = FillSetup(state, true);
    EXPECT_EQ(fields.stepsPerDegree, "12.5");
    EXPECT_EQ(fields.wiringMode, 3);
    EXPECT_EQ(fields.backlashMode, 1);
    EXPECT_EQ(fields.applyOneDirectionOn, 1);
    EXPECT_TRUE(fields.alwaysOnTop);
}

TEST(SetupRules, FieldChecksOnFocusLoss) {
    struct Case {
        QString (*check)(const QString&);
        const char* typed;
        const char* after;
    };
    const Case cases[] = {
        {CheckMaxDutyBox, "50", "50"},     {CheckMaxDutyBox, "150", "100"},
        {CheckMaxDutyBox, "-1", "100"},    {CheckMaxDutyBox, "abc", "100"},
        {CheckMaxDutyBox, "0", "0"},       {CheckStoppedDutyBox, "101", "0"},
        {CheckStoppedDutyBox, "", "0"},    {CheckStoppedDutyBox, "20", "20"},
        {CheckMoveRateBox, "0", "10000"},  {CheckMoveRateBox, "-5", "10000"},
        {CheckMoveRateBox, "x1", "10000"}, {CheckMoveRateBox, "2000", "2000"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.check(c.typed), c.after) << c.typed;
}

TEST(SetupRules, ApplyZoneBounds) {
    struct Case {
        const char* low;
        const char* high;
        double zoneLow;
        double zoneHigh;
    };
    const Case cases[] = {
        {"0", "400", 1, 359},   {"200", "100", 100, 200}, {"abc", "", 180, 180},
        {"360", "0", 1, 359},   {"12,5", "90", 12.5, 90}, {"359", "359", 359, 359},
        {"-10", "20", 20, 180},  // no signs: the minus makes the text fall back
    };
    for (const Case& c : cases) {
        SetupFields fields = Defaults();
        fields.zoneLow = c.low;
        fields.zoneHigh = c.high;
        RotatorState state;
        ApplySetupFields(fields, state);
        EXPECT_EQ(state.zoneLow, c.zoneLow) << c.low << " " << c.high;
        EXPECT_EQ(state.zoneHigh, c.zoneHigh) << c.low << " " << c.high;
    }
}

TEST(SetupRules, ApplyRatesPowersAndNumbers) {
    struct Case {
        const char* what;
        std::function<void(SetupFields&)> edit;
        std::function<bool(const RotatorState&)> check;
    };
    const Case cases[] = {
        {"rates swapped when the slow one is smaller",
         [](SetupFields& f) {
             f.moveRateMin = "2000";
             f.moveRateMax = "8000";
         },
         [](const RotatorState& s) { return s.slowRate == 8000 && s.fastRate == 2000; }},
        {"rates kept in order",
         [](SetupFields& f) {
             f.moveRateMin = "8000";
             f.moveRateMax = "2000";
         },
         [](const RotatorState& s) { return s.slowRate == 8000 && s.fastRate == 2000; }},
        {"rates of 0 or less or not numbers become 10000",
         [](SetupFields& f) {
             f.moveRateMin = "0";
             f.moveRateMax = "zz";
         },
         [](const RotatorState& s) { return s.slowRate == 10000 && s.fastRate == 10000; }},
        {"50 % is 512", [](SetupFields& f) { f.maxDuty = "50"; },
         [](const RotatorState& s) { return s.movingPower == 512; }},
        {"33 % rounds to 338", [](SetupFields& f) { f.stoppedDuty = "33"; },
         [](const RotatorState& s) { return s.stoppedPower == 338; }},
        {"moving percent out of range is 100", [](SetupFields& f) { f.maxDuty = "150"; },
         [](const RotatorState& s) { return s.movingPower == 1024; }},
        {"stopped percent not a number is 0", [](SetupFields& f) { f.stoppedDuty = "hot"; },
         [](const RotatorState& s) { return s.stoppedPower == 0; }},
        {"steps per degree 0 becomes 1", [](SetupFields& f) { f.stepsPerDegree = "0"; },
         [](const RotatorState& s) { return s.stepsPerDegree == 1; }},
        {"steps per degree not a number becomes 1", [](SetupFields& f) { f.stepsPerDegree = "x"; },
         [](const RotatorState& s) { return s.stepsPerDegree == 1; }},
        {"steps per degree with a comma", [](SetupFields& f) { f.stepsPerDegree = "22,5"; },
         [](const RotatorState& s) { return s.stepsPerDegree == 22.5; }},
        {"backlash beyond 16 bits falls back to 0", [](SetupFields& f) { f.backlash = "40000"; },
         [](const RotatorState& s) { return s.backlash == 0; }},
        {"backlash", [](SetupFields& f) { f.backlash = "30"; },
         [](const RotatorState& s) { return s.backlash == 30; }},
        {"options",
         [](SetupFields& f) {
             f.wiringMode = 2;
             f.backlashMode = 1;
             f.applyOneDirectionOn = 1;
             f.motorModel = 3;
             f.halfStep = 1;
         },
         [](const RotatorState& s) {
             return s.wiringMode == 2 && s.backlashMode == kBacklashOneDirection &&
                    s.applyOneDirectionOn == kApplyOnDecreasing && s.motorModel == 3 &&
                    s.halfStep == 1;
         }},
        {"list indexes out of range keep the state",
         [](SetupFields& f) {
             f.wiringMode = -1;
             f.motorModel = 4;
         },
         [](const RotatorState& s) { return s.wiringMode == 1 && s.motorModel == 2; }},
    };
    for (const Case& c : cases) {
        RotatorState state;
        state.wiringMode = 1;
        state.motorModel = 2;
        SetupFields fields = FillSetup(state, false);
        c.edit(fields);
        ApplySetupFields(fields, state);
        EXPECT_TRUE(c.check(state)) << c.what;
    }
}

TEST(SetupRules, FillThenApplyChangesNothing) {
    RotatorState state;
    state.stepsPerDegree = 41.5;
    state.zoneLow = 90;
    state.zoneHigh = 270;
    state.backlash = 12;
    state.backlashMode = kBacklashOneDirection;
    state.movingPower = 512;
    state.slowRate = 9000;
    state.fastRate = 1200;
    state.wiringMode = 3;
    RotatorState applied = state;
    ApplySetupFields(FillSetup(state, false), applied);
    EXPECT_EQ(applied, state);
}

TEST(SetupRules, NewPositionValidation) {
    struct Case {
        const char* typed;
        std::optional<int32_t> value;
    };
    const Case cases[] = {{"90", 90},           {"0", 0},
                          {"359", 359},         {"360", std::nullopt},
                          {"-1", std::nullopt}, {"abc", std::nullopt},
                          {"", std::nullopt},   {"12.5", 12}};
    for (const Case& c : cases) EXPECT_EQ(ValidateNewPosition(c.typed), c.value) << c.typed;
}

TEST(SetupRules, ZoneCheckOrdersTheBoxes) {
    EXPECT_EQ(CheckZoneBoxes("200", "100").from, 100);
    EXPECT_EQ(CheckZoneBoxes("200", "100").to, 200);
    EXPECT_EQ(CheckZoneBoxes("x", "90").from, 90);
    EXPECT_EQ(CheckZoneBoxes("x", "90").to, 180);
}

class ApplySetupTest : public RotatorFixture {};

TEST_F(ApplySetupTest, OkSavesPushesAndStores) {
    SetupFields fields = FillSetup(state, false);
    fields.alwaysOnTop = true;
    fields.maxDuty = "50";
    fields.moveRateMin = "2000";
    fields.moveRateMax = "8000";
    fields.zoneLow = "0";
    fields.zoneHigh = "400";
    bool alwaysOnTop = false;
    inicioRotator->ApplySetup(fields, alwaysOnTop);

    EXPECT_TRUE(alwaysOnTop);
    const std::string key = "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator";
    EXPECT_EQ(store::Get(key, "AlwaysOnTop"), std::optional<std::string>("1"));
    EXPECT_EQ(store::Get(key + "\\Default", "MaxDuty"), std::optional<std::string>("512"));
    EXPECT_EQ(store::Get(key + "\\Default", "MoveRateMin"), std::optional<std::string>("8000"));
    EXPECT_EQ(store::Get(key + "\\Default", "FZMin"), std::optional<std::string>("1"));
    EXPECT_EQ(store::Get(key + "\\Default", "FZMax"), std::optional<std::string>("359"));
    const sim::StepperState motor = controller.Stepper(kPort);
    EXPECT_EQ(motor.movePower, 512);
    EXPECT_EQ(motor.slowUs, 8000);
    EXPECT_EQ(motor.fastUs, 2000);
    // "AlwaysOnTop" is saved first, before the settings.
    const auto saves = CallsStartingWith("SaveToRegHKCU(");
    ASSERT_FALSE(saves.empty());
    EXPECT_NE(saves.front().find(",AlwaysOnTop,1"), std::string::npos);
}

}  // namespace
}  // namespace korvex::rotator::testing
