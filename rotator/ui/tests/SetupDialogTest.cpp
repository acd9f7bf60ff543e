#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "RotatorUiFixture.h"
#include "framework/core/VantaroUtils.h"
#include "framework/ui/Twips.h"
#include "korvex/rotator/ui/ShowSetup.h"
#include "korvex/rotator/ui/ZonePicture.h"

namespace korvex::rotator::ui::testing {
namespace {

using korvex::ui::TwipsPoint;

const char* const kAdvanced[] = {
    "txtMaxDuty",     "txtStoppedDuty", "cmbMotorModel",  "chkHalfstep",    "optStepMode(0)",
    "optStepMode(1)", "optStepMode(2)", "optStepMode(3)", "txtMoveRateMin", "txtMoveRateMax"};

class SetupDialog : public RotatorUiFixture {
  protected:
    QLineEdit& Box(const char* name) { return Child<QLineEdit>(*setup, name); }
    QPushButton& Button(const char* name) { return Child<QPushButton>(*setup, name); }
    QRadioButton& Option(const char* name) { return Child<QRadioButton>(*setup, name); }

    // A stored device setting, "" when missing.
    QString Stored(const char* name) {
        return ReadSetting(link, QStringLiteral("Korvex"), QString::fromLatin1(build.progId),
                           QStringLiteral("Default"), QString::fromLatin1(name), QString());
    }

    // Runs ShowSetup from a visible hand box with its timer on; `inDialog` runs inside the
    // dialog's modal loop. Should the test leave the dialog open, a deadline closes it.
    void RunSetup(const std::function<void()>& inDialog) {
        handBox->show();
        handBox->timer().start();
        ranInDialog_ = false;
        QTimer::singleShot(0, setup.get(), [this, inDialog] {
            ranInDialog_ = true;
            inDialog();
        });
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, setup.get(), [this] {
            ADD_FAILURE() << "the configuration dialog was left open";
            setup->hide();
        });
        deadline.start(10000);
        ShowSetup(*handBox, *setup, ctx);
        EXPECT_TRUE(ranInDialog_);
        EXPECT_FALSE(setup->isVisible());
        EXPECT_TRUE(handBox->isVisible());
        EXPECT_TRUE(handBox->timer().isActive());
    }

    bool AllAdvancedEnabled(bool enabled) {
        for (const char* name : kAdvanced) {
            if (Child<QWidget>(*setup, name).isEnabled() != enabled) return false;
        }
        return true;
    }

  private:
    bool ranInDialog_ = false;
};

TEST_F(SetupDialog, ControlsSitAtTheirDesignedPlaces) {
    const struct {
        const char* name;
        int left, top;
    } places[] = {
        {"chkAlwaysTop", 240, 240},     {"Frame1", 120, 600},
        {"txt_stepsDegree", 1440, 480}, {"Frame2", 2520, 240},
        {"txt_FZMin", 600, 240},        {"txt_FZMax", 1560, 240},
        {"cmdCheckFZ", 600, 720},       {"txt_backlash", 960, 960},
        {"backlashMode(0)", 240, 1560}, {"backlashMode(1)", 240, 1920},
        {"Frame3", 1680, 1560},         {"cmdSetNewPos", 240, 2280},
        {"NewPosTF", 1680, 2280},       {"cmdSetHoriz", 3000, 2280},
        {"Frame4", 120, 3480},          {"cmdEnableModifs", 600, 240},
        {"cmbMotorModel", 1080, 720},   {"txtMaxDuty", 3720, 960},
        {"chkHalfstep", 120, 1080},     {"txtStoppedDuty", 3720, 1320},
        {"txtMoveRateMin", 600, 1920},  {"txtMoveRateMax", 2040, 1920},
        {"Frame5", 120, 2400},          {"optStepMode(3)", 2280, 360},
        {"Label1", 5160, 840},          {"picDegrees", 5160, 2040},
        {"lblDriverInfo", 120, 6840},   {"cmdCancel", 6120, 6720},
        {"cmdOK", 7200, 6720},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(Child<QWidget>(*setup, place.name).pos(), TwipsPoint(place.left, place.top));
    }
    EXPECT_EQ(setup->size(), korvex::ui::TwipsSize(8340, 7245));
    EXPECT_TRUE(setup->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Child<QLabel>(*setup, "lblDriverInfo").text(),
              "Korvex Rotator (MAIN port) Version 4.7.0");
    EXPECT_FALSE(setup->result());
}

TEST_F(SetupDialog, OkAppliesTheFieldsAndStoresThem) {
    PlaceAt(0);
    RunSetup([&] {
        EXPECT_FALSE(handBox->isVisible());
        EXPECT_FALSE(handBox->timer().isActive());
        // Filled from the state.
        EXPECT_EQ(Box("txt_FZMin").text(), "180");
        EXPECT_EQ(Box("txt_FZMax").text(), "180");
        EXPECT_EQ(Box("txt_stepsDegree").text(), "40");
        EXPECT_EQ(Box("txtMaxDuty").text(), "100");
        EXPECT_EQ(Box("txtStoppedDuty").text(), "0");
        EXPECT_EQ(Box("txtMoveRateMin").text(), "10000");
        EXPECT_TRUE(Option("optStepMode(0)").isChecked());
        EXPECT_TRUE(Option("backlashMode(0)").isChecked());

        Button("cmdEnableModifs").click();  // answered OK
        Box("txt_FZMin").setText("200");
        Box("txt_FZMax").setText("100");
        Box("txt_stepsDegree").setText("50");
        Box("txt_backlash").setText("30");
        Box("txtMaxDuty").setText("50");
        Box("txtStoppedDuty").setText("10");
        Box("txtMoveRateMin").setText("2000");
        Box("txtMoveRateMax").setText("8000");
        Option("backlashMode(1)").click();
        Option("applyBacklashOn(1)").click();
        Option("optStepMode(3)").click();
        Child<QComboBox>(*setup, "cmbMotorModel").setCurrentIndex(1);
        Child<QCheckBox>(*setup, "chkHalfstep").setChecked(true);
        Child<QCheckBox>(*setup, "chkAlwaysTop").setChecked(true);
        Button("cmdOK").click();
    });
    EXPECT_TRUE(setup->result());
    EXPECT_DOUBLE_EQ(state.zoneLow, 100);
    EXPECT_DOUBLE_EQ(state.zoneHigh, 200);
    EXPECT_DOUBLE_EQ(state.stepsPerDegree, 50);
    EXPECT_EQ(state.slowRate, 8000);
    EXPECT_EQ(state.fastRate, 2000);
    EXPECT_EQ(state.movingPower, 512);
    EXPECT_EQ(state.stoppedPower, 102);
    EXPECT_EQ(state.wiringMode, 3);
    EXPECT_EQ(state.motorModel, 1);
    EXPECT_EQ(state.halfStep, 1);
    EXPECT_EQ(state.backlash, 30);
    EXPECT_EQ(state.backlashMode, kBacklashOneDirection);
    EXPECT_EQ(state.applyOneDirectionOn, kApplyOnDecreasing);
    EXPECT_TRUE(process.AlwaysOnTop);
    EXPECT_TRUE(handBox->windowFlags() & Qt::WindowStaysOnTopHint);

    const struct {
        const char* name;
        const char* value;
    } stored[] = {{"FZMin", "100"},        {"FZMax", "200"},        {"StepsPerDegree", "50"},
                  {"MoveRateMin", "8000"}, {"MoveRateMax", "2000"}, {"MaxDuty", "512"},
                  {"StoppedDuty", "102"},  {"StepMode", "3"},       {"Model", "1"},
                  {"Halfstep", "1"},       {"Backlash", "30"},      {"BacklashMode", "1"},
                  {"ApplyODBOn", "1"}};
    for (const auto& value : stored) EXPECT_EQ(Stored(value.name), value.value) << value.name;
    EXPECT_EQ(ReadSetting(link, "Korvex", build.progId, QString(), "AlwaysOnTop", ""), "1");
    // The configuration reached the controller.
    EXPECT_EQ(controller.Stepper(kPort).wireMode, 3);
    EXPECT_EQ(controller.Stepper(kPort).movePower, 512);
}

TEST_F(SetupDialog, CancelEscapeAndCloseBoxLeaveEverythingUnchanged) {
    RunSetup([&] { Button("cmdOK").click(); });  // a first OK stores the defaults
    ASSERT_TRUE(setup->result());
    ASSERT_EQ(Stored("FZMin"), "180");
    const struct {
        const char* how;
        std::function<void()> close;
    } ways[] = {
        // The close box first: it must not keep the OK of the previous closing.
        {"close box", [&] { EXPECT_FALSE(setup->close()); }},
        {"cmdCancel", [&] { Button("cmdCancel").click(); }},
        {"Esc", [&] { QTest::keyClick(&Box("txt_FZMin"), Qt::Key_Escape); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.how);
        RunSetup([&] {
            Box("txt_FZMin").setText("100");
            Box("txt_backlash").setText("77");
            Child<QCheckBox>(*setup, "chkAlwaysTop").setChecked(true);
            way.close();
        });
        EXPECT_FALSE(setup->result());
        EXPECT_DOUBLE_EQ(state.zoneLow, 180);
        EXPECT_EQ(state.backlash, 0);
        EXPECT_FALSE(process.AlwaysOnTop);
        EXPECT_EQ(Stored("FZMin"), "180");
        EXPECT_EQ(Stored("Backlash"), "0");
        EXPECT_EQ(ReadSetting(link, "Korvex", build.progId, QString(), "AlwaysOnTop", ""), "0");
    }
}

TEST_F(SetupDialog, ASecondShowSetupWhileOpenReturnsAtOnce) {
    RunSetup([&] {
        ShowSetup(*handBox, *setup, ctx);
        EXPECT_TRUE(setup->isVisible());
        EXPECT_FALSE(handBox->isVisible());
        EXPECT_FALSE(handBox->timer().isActive());
        Button("cmdCancel").click();
    });
}

TEST_F(SetupDialog, AdvancedControlsStayDisabledUntilConfirmed) {
    setup->SetEnablement();
    EXPECT_TRUE(AllAdvancedEnabled(false));
    boxes.Enqueue(MsgResult::Cancel);
    Button("cmdEnableModifs").click();
    EXPECT_TRUE(AllAdvancedEnabled(false));
    ASSERT_EQ(boxes.Asked().size(), 1);
    EXPECT_EQ(boxes.Asked()[0].text,
              "This will enable you to FREELY change these parameters.\n"
              "Please check the tool tips passing the mouse over all fields.\n"
              "There is REAL RISK of damaging the motor if not properly set!\n"
              "Are you sure you want to proceed?");
    EXPECT_EQ(boxes.Asked()[0].title, "Please read carefully");
    EXPECT_EQ(boxes.Asked()[0].buttons, MsgButtons::OKCancel);
    boxes.Enqueue(MsgResult::OK);
    Button("cmdEnableModifs").click();
    EXPECT_TRUE(AllAdvancedEnabled(true));
    setup->SetEnablement();  // the next opening locks them again
    EXPECT_TRUE(AllAdvancedEnabled(false));
}

TEST_F(SetupDialog, StepsPerDegreeEditableOnlyAtZeroAndAfterSetHorizontal) {
    PlaceAt(0);
    setup->SetEnablement();
    EXPECT_TRUE(Box("txt_stepsDegree").isEnabled());

    PlaceAt(400);
    hw.SetZone(90, 270);
    setup->SetEnablement();
    EXPECT_FALSE(Box("txt_stepsDegree").isEnabled());

    boxes.Enqueue(MsgResult::No);
    Button("cmdSetHoriz").click();
    EXPECT_FALSE(Box("txt_stepsDegree").isEnabled());
    EXPECT_EQ(controller.Stepper(kPort).position, 400);
    ASSERT_EQ(boxes.Asked().size(), 1);
    const MessageRequest& asked = boxes.Asked()[0];
    EXPECT_EQ(asked.text, QStringLiteral("Are you sure the camera is now in horizontal position?\n"
                                         "The no-cross point will be also reset to 180º\n"
                                         "No undo or cancel possible"));
    EXPECT_EQ(asked.title, "Question");
    EXPECT_EQ(asked.icon, MsgIcon::Warning);
    EXPECT_EQ(asked.buttons, MsgButtons::YesNo);

    boxes.Enqueue(MsgResult::Yes);
    Button("cmdSetHoriz").click();
    EXPECT_TRUE(Box("txt_stepsDegree").isEnabled());
    EXPECT_EQ(controller.Stepper(kPort).position, 0);
    EXPECT_EQ(state.stepCount, 0);
    EXPECT_DOUBLE_EQ(state.zoneLow, 180);
    EXPECT_EQ(Box("txt_FZMin").text(), "180");
    EXPECT_EQ(Box("txt_FZMax").text(), "180");
    const ZonePicture& picture = Child<ZonePicture>(*setup, "picDegrees");
    EXPECT_EQ(picture.From(), 180);
    EXPECT_EQ(picture.To(), 180);
}

TEST_F(SetupDialog, StepsPerDegreeThatIsNotPositiveIsRefused) {
    setup->show();
    for (const char* bad : {"0", "0.0", "", "abc", "-5"}) {
        SCOPED_TRACE(bad);
        boxes.Clear();
        Box("txt_stepsDegree").setText(QString::fromLatin1(bad));
        Button("cmdOK").click();
        EXPECT_TRUE(setup->isVisible());
        EXPECT_FALSE(setup->result());
        ASSERT_EQ(boxes.Asked().size(), 1);
        EXPECT_EQ(boxes.Asked()[0].title, "Invalid steps / degree");
        EXPECT_EQ(boxes.Asked()[0].icon, MsgIcon::Warning);
    }
    Box("txt_stepsDegree").setText("0,5");
    Button("cmdOK").click();
    EXPECT_FALSE(setup->isVisible());
    EXPECT_TRUE(setup->result());
}

TEST_F(SetupDialog, RefusedStepsPerDegreeKeepsTheDialogUntilCorrected) {
    PlaceAt(0);
    RunSetup([&] {
        Box("txt_stepsDegree").setText("0");
        Button("cmdOK").click();
        EXPECT_TRUE(setup->isVisible());
        Box("txt_stepsDegree").setText("25");
        Button("cmdOK").click();
    });
    EXPECT_DOUBLE_EQ(state.stepsPerDegree, 25);
    EXPECT_EQ(Stored("StepsPerDegree"), "25");
}

TEST_F(SetupDialog, BacklashModeEnablesTheApplyOnOptions) {
    state.backlashMode = kBacklashTwoDirection;
    state.applyOneDirectionOn = kApplyOnDecreasing;
    setup->SetEnablement();
    setup->Fill(FillSetup(state, false));
    EXPECT_FALSE(Option("applyBacklashOn(0)").isEnabled());
    EXPECT_FALSE(Option("applyBacklashOn(1)").isEnabled());

    Option("backlashMode(1)").click();
    EXPECT_TRUE(Option("applyBacklashOn(0)").isEnabled());
    EXPECT_TRUE(Option("applyBacklashOn(1)").isEnabled());
    EXPECT_TRUE(Option("applyBacklashOn(1)").isChecked());

    Option("applyBacklashOn(0)").click();
    Option("backlashMode(0)").click();
    EXPECT_FALSE(Option("applyBacklashOn(0)").isEnabled());
    Option("backlashMode(1)").click();
    EXPECT_TRUE(Option("applyBacklashOn(1)").isChecked());  // the stored setting again

    state.backlashMode = kBacklashOneDirection;
    setup->SetEnablement();
    EXPECT_TRUE(Option("applyBacklashOn(0)").isEnabled());
}

TEST_F(SetupDialog, KeysOtherThanDigitsBackspaceAndPointAreDropped) {
    setup->show();
    Box("txt_backlash").clear();
    QTest::keyClicks(&Box("txt_backlash"), "12a.5-");
    EXPECT_EQ(Box("txt_backlash").text(), "12.5");
    EXPECT_EQ(setup->KeyBeeps(), 2);
    QTest::keyClick(&Box("txt_backlash"), Qt::Key_Backspace);
    EXPECT_EQ(Box("txt_backlash").text(), "12.");
    EXPECT_TRUE(setup->isVisible());
}

TEST_F(SetupDialog, BoxesAreCheckedWhenTheyLoseFocus) {
    const struct {
        const char* box;
        const char* typed;
        const char* after;
    } cases[] = {
        {"txtMaxDuty", "150", "100"},      {"txtMaxDuty", "-1", "100"},
        {"txtMaxDuty", "55", "55"},        {"txtStoppedDuty", "101", "0"},
        {"txtStoppedDuty", "7", "7"},      {"txtMoveRateMin", "0", "10000"},
        {"txtMoveRateMax", "-3", "10000"}, {"txtMoveRateMax", "2500", "2500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.box << " " << c.typed);
        QLineEdit& box = Box(c.box);
        box.setText(QString::fromLatin1(c.typed));
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(&box, &focusOut);
        EXPECT_EQ(box.text(), c.after);
    }
    // A box that does not convert takes its fallback text when it is read.
    Box("txtMaxDuty").setText("abc");
    Box("txtMoveRateMin").setText("x1");
    const SetupFields fields = setup->Fields();
    EXPECT_EQ(fields.maxDuty, "100");
    EXPECT_EQ(Box("txtMaxDuty").text(), "100");
    EXPECT_EQ(Box("txtMoveRateMin").text(), "10000");
}

TEST_F(SetupDialog, ZonePictureShowsTheStoredZoneAndTheCheckedBoxes) {
    state.zoneLow = 170.9;
    state.zoneHigh = 200.5;
    state.position = 45;
    setup->show();
    const ZonePicture& picture = Child<ZonePicture>(*setup, "picDegrees");
    EXPECT_EQ(picture.From(), 170);
    EXPECT_EQ(picture.To(), 200);
    EXPECT_DOUBLE_EQ(picture.Position(), 45);

    const struct {
        const char *low, *high;
        int from, to;
    } checks[] = {{"250", "120", 120, 250}, {"x", "90", 90, 180}, {"10", "20", 10, 20}};
    for (const auto& check : checks) {
        Box("txt_FZMin").setText(QString::fromLatin1(check.low));
        Box("txt_FZMax").setText(QString::fromLatin1(check.high));
        Button("cmdCheckFZ").click();
        EXPECT_EQ(picture.From(), check.from);
        EXPECT_EQ(picture.To(), check.to);
    }
    EXPECT_DOUBLE_EQ(state.zoneLow, 170.9);  // checking changes nothing
}

TEST_F(SetupDialog, SetNewPositionConfirmsAndSetsTheCounter) {
    PlaceAt(400);
    Box("NewPosTF").setText("90");
    boxes.Enqueue(MsgResult::Cancel);
    Button("cmdSetNewPos").click();
    EXPECT_EQ(controller.Stepper(kPort).position, 400);
    ASSERT_EQ(boxes.Asked().size(), 1);
    EXPECT_EQ(boxes.Asked()[0].text,
              QStringLiteral("This will set the current position as 90º.\nNo undo possible!"));
    EXPECT_EQ(boxes.Asked()[0].title, "Are you sure?");
    EXPECT_EQ(boxes.Asked()[0].buttons, MsgButtons::OKCancel);

    boxes.Enqueue(MsgResult::OK);
    Button("cmdSetNewPos").click();
    EXPECT_EQ(controller.Stepper(kPort).position, 3600);
    EXPECT_EQ(state.stepCount, 3600);
    EXPECT_EQ(Box("NewPosTF").text(), "90");
    handBox->Tick();
    EXPECT_DOUBLE_EQ(state.position, 90);
}

TEST_F(SetupDialog, SetNewPositionRefusesAnglesOutsideTheCircle) {
    PlaceAt(400);
    for (const char* typed : {"360", "400", "abc", "-1"}) {
        SCOPED_TRACE(typed);
        boxes.Clear();
        Box("NewPosTF").setText(QString::fromLatin1(typed));
        Button("cmdSetNewPos").click();
        ASSERT_EQ(boxes.Asked().size(), 1);
        const MessageRequest& asked = boxes.Asked()[0];
        EXPECT_EQ(asked.text, QStringLiteral("Invalid position %1.\nShould be between 0 and 359º")
                                  .arg(QString::fromLatin1(typed)));
        EXPECT_EQ(asked.title, "Error!");
        EXPECT_EQ(asked.icon, MsgIcon::Warning);
        EXPECT_EQ(Box("NewPosTF").text(), "");
        EXPECT_EQ(controller.Stepper(kPort).position, 400);
    }
}

TEST_F(SetupDialog, CloseBoxOnlyHidesWhileTheDriverRuns) {
    setup->show();
    EXPECT_FALSE(setup->close());
    EXPECT_FALSE(setup->isVisible());
    process.ClosingDown = true;
    setup->show();
    EXPECT_TRUE(setup->close());
}

}  // namespace
}  // namespace korvex::rotator::ui::testing
