// The Rotator device logic: members, the not-connected guard, spy lines and categories.
#include <functional>

#include "RotatorFixture.h"
#include "framework/core/KorvexError.h"

namespace korvex::rotator::testing {
namespace {

class DeviceTest : public RotatorFixture {
  protected:
    DeviceTest() {
        state.stepsPerDegree = 40;
        state.zoneLow = 180;
        state.zoneHigh = 180.0001;
    }

    // Runs `call` and returns the KorvexError it throws; fails the test when none is thrown.
    static KorvexError Raised(const std::function<void()>& call) {
        try {
            call();
        } catch (const KorvexError& e) {
            return e;
        }
        ADD_FAILURE() << "no error raised";
        return KorvexError(0, {}, {});
    }
};

TEST_F(DeviceTest, ReverseSetsOrClearsBitZeroAndPushes) {
    struct Case {
        int32_t mode;
        bool reverse;
        int32_t after;
    };
    for (const Case c : {Case{2, true, 3}, Case{3, false, 2}, Case{1, false, 0}, Case{0, true, 1},
                         Case{3, true, 3}}) {
        state.wiringMode = c.mode;
        EXPECT_EQ(device->Reverse(), (c.mode & 1) != 0) << c.mode;
        device->SetReverse(c.reverse);
        EXPECT_EQ(state.wiringMode, c.after) << c.mode << " " << c.reverse;
        EXPECT_EQ(controller.Stepper(kPort).wireMode, c.after) << c.mode << " " << c.reverse;
    }
}

TEST_F(DeviceTest, StepSizeIsOneOverStepsPerDegree) {
    EXPECT_FLOAT_EQ(device->StepSize(), 0.025f);
    state.stepsPerDegree = 0;
    EXPECT_FLOAT_EQ(device->StepSize(), 1.0f);
}

TEST_F(DeviceTest, MoveIsRelativeToThePositionAndNormalised) {
    PlaceAt(-400);  // 350 degrees
    device->Move(30);
    EXPECT_EQ(controller.Stepper(kPort).target, 800);  // 20 degrees, through 0
    EXPECT_FLOAT_EQ(device->TargetPosition(), 20.0f);
    EXPECT_TRUE(device->IsMoving());

    device->MoveAbsolute(90);
    EXPECT_EQ(controller.Stepper(kPort).target, 3600);
    device->Halt();
    EXPECT_FALSE(device->IsMoving());
}

TEST_F(DeviceTest, UnpluggedCheckedMembersRaiseWhileQueriesAnswer) {
    PlaceAt(3600);
    controller.Unplug();
    const auto expectNotConnected = [&](const char* what, const std::function<void()>& call) {
        const KorvexError e = Raised(call);
        EXPECT_EQ(e.Number(), 0x80040402u) << what;
        EXPECT_EQ(e.Source(), "Korvex Rotator Control") << what;
        EXPECT_EQ(e.Description(), "The Rotator is not connected") << what;
    };
    expectNotConnected("IsMoving", [&] { device->IsMoving(); });
    expectNotConnected("Move", [&] { device->Move(10); });
    expectNotConnected("MoveAbsolute", [&] { device->MoveAbsolute(10); });
    expectNotConnected("Halt", [&] { device->Halt(); });

    EXPECT_FLOAT_EQ(device->Position(), 90.0f);  // the last angle
    EXPECT_FLOAT_EQ(device->TargetPosition(), 90.0f);
    EXPECT_FLOAT_EQ(device->StepSize(), 0.025f);
    EXPECT_FALSE(device->Connected());
    EXPECT_TRUE(device->CanReverse());
    EXPECT_FALSE(device->Reverse());
    EXPECT_NO_THROW(device->SetReverse(true));
    bool dialogRan = false;
    device->SetShowSetup([&] { dialogRan = true; });
    EXPECT_NO_THROW(device->SetupDialog());
    EXPECT_TRUE(dialogRan);
    EXPECT_TRUE(StepperCalls().empty());
}

TEST_F(DeviceTest, ConnectedLetIsTracedAndIgnored) {
    device->SetConnected(false);
    device->SetConnected(true);
    const std::vector<std::string> expected = {
        "traza(ASCOM: let Connected F ignored, automanaged)",
        "traza(ASCOM: let Connected T ignored, automanaged)"};
    EXPECT_EQ(CallsStartingWith("traza("), expected);
    EXPECT_TRUE(StepperCalls().empty());
    EXPECT_TRUE(device->Connected());
}

TEST_F(DeviceTest, VersionTexts) {
    EXPECT_EQ(device->DriverInfo(), "Korvex Rotator driver ver. 4.7.0");
    EXPECT_EQ(device->DriverVersion(), "4.7");
    EXPECT_EQ(device->InterfaceVersion(), 1);
}

struct SpyCase {
    const char* what;
    SpyCategory category;
    std::function<void(RotatorDevice&)> call;
    QStringList lines;          // with the category ticked (hardware lines included)
    QStringList hardwareLines;  // what remains with the category unticked
};

TEST_F(DeviceTest, SpyLinesAndCategories) {
    const SpyCase cases[] = {
        {"IsMoving",
         SpyCategory::IsMoving,
         [](RotatorDevice& d) { d.IsMoving(); },
         {"Char:IsMoving: False"},
         {}},
        {"Connected",
         SpyCategory::OtherCalls,
         [](RotatorDevice& d) { d.Connected(); },
         {"Line:Connected: -1"},
         {}},
        {"Position",
         SpyCategory::OtherCalls,
         [](RotatorDevice& d) { d.Position(); },
         {"Line:Position: 90"},
         {}},
        {"TargetPosition",
         SpyCategory::OtherCalls,
         [](RotatorDevice& d) { d.TargetPosition(); },
         {"Line:Target Position: 90"},
         {}},
        {"StepSize",
         SpyCategory::OtherCalls,
         [](RotatorDevice& d) { d.StepSize(); },
         {"Line:StepSize: 0.025"},
         {}},
        {"CanReverse",
         SpyCategory::TempRelated,
         [](RotatorDevice& d) { d.CanReverse(); },
         {"Start:CanReverse: True"},
         {}},
        {"Reverse",
         SpyCategory::TempRelated,
         [](RotatorDevice& d) { d.Reverse(); },
         {"Start:GetReverseFalse"},
         {}},
        {"Reverse let",
         SpyCategory::TempRelated,
         [](RotatorDevice& d) { d.SetReverse(true); },
         {"Start:LetReverse: True", "Line:SetRotatorNCP"},
         {"Line:SetRotatorNCP"}},
        {"Halt",
         SpyCategory::MoveHalt,
         [](RotatorDevice& d) { d.Halt(); },
         {"Start:Halt", "Line:RotatorHalt ", "End: (done)"},
         {"Line:RotatorHalt "}},
        {"SetupDialog",
         SpyCategory::OtherCalls,
         [](RotatorDevice& d) { d.SetupDialog(); },
         {"Start:SetupDialog", "End: (done)"},
         {}},
        {"Move",
         SpyCategory::MoveHalt,
         [](RotatorDevice& d) { d.Move(0.025); },
         {"Start:Move: 0.025", "Line:RotatorGoto: 90.025"},
         {"Line:RotatorGoto: 90.025"}},
        {"MoveAbsolute",
         SpyCategory::MoveHalt,
         [](RotatorDevice& d) { d.MoveAbsolute(45); },
         {"Start:MoveAbsolute: 45", "Line:RotatorGoto: 45"},
         {"Line:RotatorGoto: 45"}},
    };
    spyHolder.Set(&spy);
    for (const SpyCase& c : cases) {
        for (bool ticked : {true, false}) {
            PlaceAt(3600);  // 90 degrees, idle
            spy.ticked = ticked ? std::set<SpyCategory>{c.category} : std::set<SpyCategory>{};
            spy.writes.clear();
            c.call(*device);
            EXPECT_EQ(spy.writes, ticked ? c.lines : c.hardwareLines)
                << c.what << (ticked ? " ticked" : " unticked");
        }
    }
    // Other categories ticked do not let a call through.
    PlaceAt(3600);
    spy.ticked = {SpyCategory::MoveHalt, SpyCategory::TempRelated, SpyCategory::OtherCalls};
    spy.writes.clear();
    device->IsMoving();
    EXPECT_TRUE(spy.writes.isEmpty());
}

TEST_F(DeviceTest, HaltWhileUnpluggedWritesTheStartButNotTheEnd) {
    OpenSpy();
    controller.Unplug();
    EXPECT_THROW(device->Halt(), KorvexError);
    EXPECT_EQ(spy.writes, QStringList{"Start:Halt"});
}

TEST_F(DeviceTest, SetupDialogEndLineFollowsTheWindowAfterTheDialog) {
    // The spy window is opened while the dialog runs: the end line goes to it.
    device->SetShowSetup([&] { OpenSpy(); });
    device->SetupDialog();
    EXPECT_EQ(spy.writes, QStringList{"End: (done)"});
}

}  // namespace
}  // namespace korvex::rotator::testing
