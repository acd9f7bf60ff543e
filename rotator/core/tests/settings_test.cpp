// Settings: defaults, damaged values, the "MoveRate" upgrade, write order and round trip.
#include <functional>

#include "RotatorFixture.h"
#include "korvex/rotator/RotatorSettings.h"
#include "korvex/store.h"

namespace korvex::rotator::testing {
namespace {

const std::string kKey = "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator\\Default";

class SettingsTest : public RotatorFixture {
  protected:
    static void Store(const std::string& name, const std::string& value) {
        ASSERT_TRUE(store::Set(kKey, name, value)) << name;
    }
    RotatorState Read() {
        RotatorState read;
        ReadSettings(link, QString::fromLatin1(build.progId), read);
        return read;
    }
};

TEST_F(SettingsTest, MissingValuesGiveTheDefaults) {
    RotatorState read;
    read.stepCount = 77;  // every field is overwritten
    read.pierFlip = true;
    read.movingPower = 3;
    ReadSettings(link, QString::fromLatin1(build.progId), read);
    EXPECT_EQ(read, RotatorState{});  // the state's initial values are the defaults
    EXPECT_EQ(read.stepsPerDegree, 40);
    EXPECT_EQ(read.zoneLow, 180);
    EXPECT_EQ(read.zoneHigh, 180);
    EXPECT_EQ(read.slowRate, 10000);
    EXPECT_EQ(read.movingPower, 1024);
}

TEST_F(SettingsTest, DamagedValuesFallBack) {
    struct Case {
        const char* name;
        const char* stored;
        std::function<bool(const RotatorState&)> check;
    };
    const Case cases[] = {
        {"Position", "abc", [](const RotatorState& s) { return s.stepCount == 0; }},
        {"Position", "   ", [](const RotatorState& s) { return s.stepCount == 0; }},
        {"Position", "-6400", [](const RotatorState& s) { return s.stepCount == -6400; }},
        {"Backlash", "99999999999", [](const RotatorState& s) { return s.backlash == 0; }},
        {"MaxDuty", "x", [](const RotatorState& s) { return s.movingPower == 1024; }},
        {"FZMin", "zz", [](const RotatorState& s) { return s.zoneLow == 180; }},
        {"FZMax", "-20", [](const RotatorState& s) { return s.zoneHigh == 180; }},
        {"StepsPerDegree", "abc", [](const RotatorState& s) { return s.stepsPerDegree == 1; }},
        {"StepsPerDegree", "0", [](const RotatorState& s) { return s.stepsPerDegree == 1; }},
        {"StepsPerDegree", "12,5", [](const RotatorState& s) { return s.stepsPerDegree == 12.5; }},
        {"PierFlip", "Falso", [](const RotatorState& s) { return !s.pierFlip; }},
        {"PierFlip", "yes", [](const RotatorState& s) { return s.pierFlip; }},
        {"LastMoveWasInc", "1", [](const RotatorState& s) { return s.lastMoveWasIncreasing; }},
        {"Halfstep", "half", [](const RotatorState& s) { return s.halfStep == 0; }},
    };
    for (const Case& c : cases) {
        Store(c.name, c.stored);
        EXPECT_TRUE(c.check(Read())) << c.name << " = \"" << c.stored << "\"";
        store::Delete(kKey, c.name);
    }
}

TEST_F(SettingsTest, MoveRateUpgradeFromMilliseconds) {
    struct Case {
        const char* what;
        const char* rateMin;  // null: missing
        const char* rateMax;
        const char* legacy;
        int32_t slow;
        int32_t fast;
    };
    const Case cases[] = {
        {"nothing stored", nullptr, nullptr, nullptr, 10000, 10000},
        {"only the old value", nullptr, nullptr, "25", 25000, 25000},
        {"one new value present", "3000", nullptr, "25", 3000, 25000},
        {"empty new values count as missing", "", " ", "7", 7000, 7000},
        {"a damaged new value takes its own default", "abc", nullptr, "7", 10000, 7000},
        {"a damaged old value takes its default", nullptr, nullptr, "abc", 10000, 10000},
        {"an old value too large for microseconds", nullptr, nullptr, "9999999", 10000, 10000},
    };
    for (const Case& c : cases) {
        for (const char* name : {"MoveRateMin", "MoveRateMax", "MoveRate"})
            store::Delete(kKey, name);
        if (c.rateMin) Store("MoveRateMin", c.rateMin);
        if (c.rateMax) Store("MoveRateMax", c.rateMax);
        if (c.legacy) Store("MoveRate", c.legacy);
        const RotatorState read = Read();
        EXPECT_EQ(read.slowRate, c.slow) << c.what;
        EXPECT_EQ(read.fastRate, c.fast) << c.what;
    }
}

TEST_F(SettingsTest, SaveSettingsWritesEveryValueInOrder) {
    SaveSettings(link, QString::fromLatin1(build.progId), state);
    std::vector<std::string> names;
    for (const std::string& call : CallsStartingWith("SaveToRegHKCU(")) {
        const auto first = call.find(',') + 1;
        names.push_back(call.substr(first, call.find(',', first) - first));
    }
    const std::vector<std::string> expected = {
        "Position",       "MoveRateMin", "MoveRateMax",  "Backlash",
        "LastMoveWasInc", "StoppedDuty", "MaxDuty",      "Model",
        "Halfstep",       "StepMode",    "FZMin",        "FZMax",
        "StepsPerDegree", "PierFlip",    "BacklashMode", "ApplyODBOn"};
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(store::Get(kKey, "MoveRate").has_value());

    gLinkCalls.clear();
    SavePosition(link, QString::fromLatin1(build.progId), state);
    ASSERT_EQ(CallsStartingWith("SaveToRegHKCU(").size(), 1u);
    EXPECT_NE(CallsStartingWith("SaveToRegHKCU(").front().find(",Position,"), std::string::npos);
}

TEST_F(SettingsTest, RoundTrip) {
    state.stepCount = -6400;
    state.slowRate = 8000;
    state.fastRate = 1500;
    state.backlash = 35;
    state.lastMoveWasIncreasing = true;
    state.stoppedPower = 102;
    state.movingPower = 512;
    state.motorModel = 3;
    state.wiringMode = 2;
    state.zoneLow = 12.5;
    state.zoneHigh = 180.0001;
    state.stepsPerDegree = 41.37;
    state.pierFlip = true;
    state.backlashMode = kBacklashOneDirection;
    state.applyOneDirectionOn = kApplyOnDecreasing;
    state.halfStep = 1;
    state.firmwareVersion = 0;  // not a setting
    SaveSettings(link, QString::fromLatin1(build.progId), state);
    RotatorState read = Read();
    EXPECT_NEAR(read.zoneHigh, state.zoneHigh, 1e-9);
    read.zoneHigh = state.zoneHigh;
    EXPECT_EQ(read, state);

    EXPECT_EQ(store::Get(kKey, "FZMax"), std::optional<std::string>("180.0001"));
    state.halfStep = 5;       // any non-zero half step is written as "1"
    state.zoneLow = 0.00001;  // never written in exponent form
    SaveSettings(link, QString::fromLatin1(build.progId), state);
    EXPECT_EQ(store::Get(kKey, "Halfstep"), std::optional<std::string>("1"));
    EXPECT_EQ(Read().zoneLow, 0.00001);
}

TEST_F(SettingsTest, LoadSettingsEndsWithRefreshDisplay) {
    Store("Position", "8000");
    Store("StepMode", "3");
    int shown = 0;
    inicioRotator->SetDisplayHook([&] { ++shown; });
    inicioRotator->LoadSettings();
    EXPECT_EQ(shown, 1);
    // The configuration was pushed: the zone rewrote 200 degrees to the negative side.
    EXPECT_EQ(state.stepCount, -6400);
    EXPECT_EQ(controller.Stepper(kPort).position, -6400);
    EXPECT_EQ(controller.Stepper(kPort).wireMode, 3);
    EXPECT_EQ(state.position, 0);  // angles follow only at the first poll or halt
    EXPECT_TRUE(boxes.Asked().isEmpty());
}

TEST_F(SettingsTest, RefreshDisplayWarnsAboutAForbiddenPosition) {
    state.zoneLow = 90;
    state.zoneHigh = 270;
    struct Case {
        double position;
        bool warned;
    };
    for (const Case c : {Case{100, true}, Case{50, false}, Case{90, false}, Case{270, false}}) {
        boxes.Clear();
        state.position = c.position;
        EXPECT_EQ(inicioRotator->RefreshDisplay(), c.warned) << c.position;
        EXPECT_EQ(boxes.Asked().size(), c.warned ? 1 : 0) << c.position;
    }
    state.position = 100;
    boxes.Clear();
    inicioRotator->RefreshDisplay();
    const MessageRequest& asked = boxes.Asked().at(0);
    EXPECT_EQ(asked.text,
              "Somehow you have managed to set the rotator to a forbidden position.\n"
              "Please go to configuration and fix this, or the rotator will escape\n"
              "to an allowed position at first chance");
    EXPECT_EQ(asked.title, "Invalid position");
    EXPECT_EQ(asked.icon, MsgIcon::Warning);
}

}  // namespace
}  // namespace korvex::rotator::testing
