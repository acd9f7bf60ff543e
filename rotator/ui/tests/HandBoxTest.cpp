#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "RotatorUiFixture.h"
#include "framework/core/WebSites.h"
#include "framework/ui/Twips.h"
#include "korvex/rotator/ui/RotatorArt.h"

namespace korvex::rotator::ui::testing {
namespace {

using korvex::ui::TwipsPoint;
using korvex::ui::TwipsToPx;

class HandBox : public RotatorUiFixture {
  protected:
    QLabel& lblPos() { return Child<QLabel>(*handBox, "lblPos"); }
    QLineEdit& txtGoto() { return Child<QLineEdit>(*handBox, "txtGoto"); }
    QPushButton& Button(const char* name) { return Child<QPushButton>(*handBox, name); }
    int32_t ControllerTarget() { return controller.Stepper(kPort).target; }
};

TEST_F(HandBox, ControlsSitAtTheirDesignedPlaces) {
    const struct {
        const char* name;
        int left, top;  // twips, in the control's parent
    } places[] = {
        {"imgLogo", 240, 0},           {"picASCOM", 1680, 240}, {"chkPierFlip", 240, 1320},
        {"cmdStop", 1800, 1200},       {"cmdMore", 3120, 1200}, {"MoveFrame", 240, 1680},
        {"cmd45CW", 120, 360},         {"cmd10CW", 600, 360},   {"cmd1CW", 1080, 360},
        {"cmd1CCW", 2160, 360},        {"cmd10CCW", 2640, 360}, {"cmd45CCW", 3120, 360},
        {"lblPos", 1320, 840},         {"lblStep", 1320, 1200}, {"cmdContCW", 120, 840},
        {"cmdContCCW", 2520, 840},     {"cmdGoto", 960, 1560},  {"txtGoto", 1920, 1680},
        {"lblNoCross(1)", 2640, 1680}, {"cmdSetup", 240, 4080}, {"AboutButton", 2760, 4080},
    };
    for (const auto& place : places) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(Child<QWidget>(*handBox, place.name).pos(), TwipsPoint(place.left, place.top));
    }
    EXPECT_EQ(handBox->size(), korvex::ui::TwipsSize(4065, 4680));
    EXPECT_EQ(Child<QTimer>(*handBox, "timer").interval(), 250);
    EXPECT_FALSE(handBox->timer().isActive());  // start-up starts it
    EXPECT_EQ(txtGoto().text(), "0");
}

TEST_F(HandBox, MoreFoldsAndUnfolds) {
    QPushButton& more = Button("cmdMore");
    EXPECT_EQ(more.text(), "Less <<");
    EXPECT_EQ(handBox->height(), TwipsToPx(4680));
    more.click();
    EXPECT_TRUE(handBox->Folded());
    EXPECT_EQ(handBox->height(), TwipsToPx(2085));
    EXPECT_EQ(more.text(), "More >>");
    more.click();
    EXPECT_FALSE(handBox->Folded());
    EXPECT_EQ(handBox->height(), TwipsToPx(5070));
    EXPECT_EQ(more.text(), "Less <<");
}

TEST_F(HandBox, KeysOtherThanDigitsAndBackspaceAreDroppedWithABeep) {
    const struct {
        const char* typed;
        const char* shown;
        int beeps;
    } cases[] = {
        {"360", "360", 0}, {"12ab3", "123", 2}, {"-5", "5", 1}, {"4.5", "45", 1}, {"x y", "", 3},
    };
    handBox->show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        txtGoto().clear();
        const int before = handBox->KeyBeeps();
        QTest::keyClicks(&txtGoto(), QString::fromLatin1(c.typed));
        EXPECT_EQ(txtGoto().text(), c.shown);
        EXPECT_EQ(handBox->KeyBeeps() - before, c.beeps);
    }
    QTest::keyClick(&txtGoto(), Qt::Key_Backspace);
    EXPECT_EQ(txtGoto().text(), "");
    txtGoto().setText("12");
    QTest::keyClick(&txtGoto(), Qt::Key_End);
    QTest::keyClick(&txtGoto(), Qt::Key_Backspace);
    EXPECT_EQ(txtGoto().text(), "1");
    // The window sees the keys first: a letter on a button is dropped too.
    const int before = handBox->KeyBeeps();
    QTest::keyClick(&Button("cmdStop"), Qt::Key_A);
    EXPECT_EQ(handBox->KeyBeeps() - before, 1);
}

TEST_F(HandBox, GotoTypedAngle) {
    const struct {
        const char* typed;
        bool moves;
        double target;  // degrees
        int32_t steps;
    } cases[] = {
        {"360", true, 0, 0},  {"0", true, 0, 0}, {"90", true, 90, 3600},
        {"361", false, 0, 0}, {"", true, 0, 0},  // an empty box reads as 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        PlaceAt(400);  // 10 degrees
        boxes.Clear();
        txtGoto().setText(QString::fromLatin1(c.typed));
        Button("cmdGoto").click();
        if (c.moves) {
            EXPECT_TRUE(boxes.Asked().isEmpty());
            EXPECT_TRUE(state.moving);
            EXPECT_DOUBLE_EQ(state.targetPosition, c.target);
            EXPECT_EQ(ControllerTarget(), c.steps);
        } else {
            ASSERT_EQ(boxes.Asked().size(), 1);
            const MessageRequest& asked = boxes.Asked().front();
            EXPECT_EQ(asked.text, "Please keep the angle within the range of 0 to 360 degrees.");
            EXPECT_TRUE(asked.title.isEmpty());
            EXPECT_EQ(asked.icon, MsgIcon::None);
            EXPECT_EQ(asked.buttons, MsgButtons::OK);
            EXPECT_FALSE(state.moving);
            EXPECT_EQ(state.targetSteps, 400);
            EXPECT_EQ(controller.Stepper(kPort).position, 400);
            EXPECT_FALSE(controller.Stepper(kPort).moving);
        }
    }
}

TEST_F(HandBox, StepButtonsMoveRelativeToThePosition) {
    controller.SetInstantMoves(true);
    const struct {
        const char* name;
        double target;
    } cases[] = {{"cmd1CCW", 101}, {"cmd10CCW", 110}, {"cmd45CCW", 145},
                 {"cmd1CW", 99},   {"cmd10CW", 90},   {"cmd45CW", 55}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PlaceAt(4000);  // 100 degrees
        Button(c.name).click();
        EXPECT_DOUBLE_EQ(state.targetPosition, c.target);
        handBox->Tick();
        EXPECT_EQ(lblPos().text(), QString::number(c.target) + QStringLiteral("\u00BA"));
        EXPECT_EQ(Child<QLabel>(*handBox, "lblStep").text(),
                  QStringLiteral("Step (%1)").arg(static_cast<int>(c.target * 40)));
    }
}

TEST_F(HandBox, HoldingContinuousCcwRunsTowardTheZoneAndStopsAtRelease) {
    PlaceAt(400);  // 10 degrees; zone low 180
    QTest::mousePress(&Button("cmdContCCW"), Qt::LeftButton);
    EXPECT_TRUE(state.moving);
    EXPECT_EQ(ControllerTarget(), 7200);  // zone low, 180 degrees
    AdvanceAndTick(1100);                 // 100 steps a second: 510 steps
    EXPECT_TRUE(state.moving);
    EXPECT_DOUBLE_EQ(state.position, 12.75);
    EXPECT_EQ(lblPos().text(), QStringLiteral("13\u00BA"));
    QTest::mouseRelease(&Button("cmdContCCW"), Qt::LeftButton);
    EXPECT_FALSE(state.moving);
    EXPECT_FALSE(controller.Stepper(kPort).moving);
    const double stoppedAt = state.position;
    AdvanceAndTick(1000);
    EXPECT_DOUBLE_EQ(state.position, stoppedAt);
    EXPECT_FALSE(state.moving);
    EXPECT_EQ(lblPos().text(), QStringLiteral("13\u00BA"));
}

TEST_F(HandBox, HoldingContinuousCwRunsTheOtherWayRound) {
    PlaceAt(400);
    QTest::mousePress(&Button("cmdContCW"), Qt::LeftButton);
    EXPECT_EQ(ControllerTarget(), -7200);  // zone high 180.0001, taken as 180.0001 - 360
    AdvanceAndTick(1000);
    EXPECT_LT(controller.Stepper(kPort).position, 400);
    QTest::mouseRelease(&Button("cmdContCW"), Qt::LeftButton);
    EXPECT_FALSE(controller.Stepper(kPort).moving);
}

TEST_F(HandBox, StopHalts) {
    PlaceAt(400);
    Button("cmd45CCW").click();
    AdvanceAndTick(500);
    Button("cmdStop").click();
    EXPECT_FALSE(state.moving);
    EXPECT_FALSE(controller.Stepper(kPort).moving);
    EXPECT_EQ(state.targetSteps, state.stepCount);
}

// Red in the grabbed window at a point given in twips.
bool RedAt(QWidget& window, int xTwips, int yTwips) {
    const QColor c = window.grab().toImage().pixelColor(TwipsToPx(xTwips), TwipsToPx(yTwips));
    return c.red() > 150 && c.green() < 80 && c.blue() < 80;
}

TEST_F(HandBox, PierFlipTurnsThePictureNotTheAngle) {
    PlaceAt(0);
    handBox->show();
    // Upright at 0 degrees: the top mark runs 90 twips below the centre (3210, 600).
    EXPECT_TRUE(RedAt(*handBox, 3210, 690));
    EXPECT_FALSE(RedAt(*handBox, 3210, 510));
    const QString angle = lblPos().text();
    Child<QCheckBox>(*handBox, "chkPierFlip").click();
    EXPECT_TRUE(state.pierFlip);
    EXPECT_TRUE(RedAt(*handBox, 3210, 510));
    EXPECT_FALSE(RedAt(*handBox, 3210, 690));
    EXPECT_EQ(lblPos().text(), angle);
    EXPECT_TRUE(controller.Stepper(kPort).lastKind == sim::MoveKind::None);
    handBox->Tick();
    EXPECT_EQ(lblPos().text(), angle);
}

TEST_F(HandBox, RefreshDisplayShowsPositionAndPierFlipFromTheState) {
    PlaceAt(3620);  // 90.5 degrees: shown rounded, halves to even
    state.pierFlip = true;
    inicio.RefreshDisplay();
    EXPECT_EQ(lblPos().text(), QStringLiteral("90\u00BA"));
    EXPECT_TRUE(Child<QCheckBox>(*handBox, "chkPierFlip").isChecked());
}

TEST_F(HandBox, NotConnectedWhileUnpluggedAndTheAngleBackOnTheNextTick) {
    PlaceAt(400);
    EXPECT_EQ(lblPos().text(), QStringLiteral("10\u00BA"));
    controller.Unplug();
    handBox->Tick();
    EXPECT_EQ(lblPos().text(), "N.C.");
    handBox->Tick();
    EXPECT_EQ(lblPos().text(), "N.C.");
    controller.Plug();  // the rotator did not move
    handBox->Tick();
    EXPECT_EQ(lblPos().text(), QStringLiteral("10\u00BA"));
}

TEST_F(HandBox, LanguageOfTheHubReTextsEveryWindowInOneTick) {
    EXPECT_EQ(Button("cmdStop").text(), "STOP!");
    controller.SetLanguage(kLanguageSpanish);
    handBox->Tick();
    EXPECT_EQ(texts.CurrentLanguage(), kLanguageSpanish);
    EXPECT_EQ(Button("cmdStop").text(), QStringLiteral("¡PARAR!"));
    EXPECT_EQ(Button("cmdMore").text(), "Menos <<");
    EXPECT_EQ(handBox->windowTitle(), "MAIN Rotador Korvex");
    EXPECT_FALSE(setup->isVisible());
    EXPECT_EQ(setup->windowTitle(), QStringLiteral("Configuración"));
    EXPECT_EQ(Child<QPushButton>(*setup, "cmdOK").text(), "&Aceptar");
    EXPECT_EQ(Child<QGroupBox>(*setup, "Frame2").title(), "Zona prohibida");
    // The step label follows with the next position shown.
    EXPECT_TRUE(Child<QLabel>(*handBox, "lblStep").text().startsWith("Paso ("));

    controller.SetLanguage(kLanguageEnglish);
    handBox->Tick();
    EXPECT_EQ(Button("cmdStop").text(), "STOP!");
    EXPECT_EQ(Child<QPushButton>(*setup, "cmdOK").text(), "&OK");
    EXPECT_TRUE(Child<QLabel>(*handBox, "lblStep").text().startsWith("Step ("));
}

TEST_F(HandBox, CaptionCarriesTheInstancePrefix) {
    EXPECT_EQ(handBox->windowTitle(), "MAIN Korvex Rotator");
    process.InstancePrefix = QStringLiteral("2 ");
    handBox->ApplyTexts();
    EXPECT_EQ(handBox->windowTitle(), "2 MAIN Korvex Rotator");
}

TEST_F(HandBox, LogosOpenTheirWebSites) {
    QTest::mouseClick(&Child<PictureLink>(*handBox, "imgLogo"), Qt::LeftButton);
    QTest::mouseClick(&Child<PictureLink>(*handBox, "picASCOM"), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl(QString::fromLatin1(kMakerWebSite)));
    EXPECT_EQ(opened[1], QUrl(QString::fromLatin1(kAscomWebSite)));
}

TEST_F(HandBox, ButtonsAskForSetupAndAbout) {
    QSignalSpy setupAsked(handBox.get(), &frmHandBox::SetupRequested);
    QSignalSpy aboutAsked(handBox.get(), &frmHandBox::AboutRequested);
    Button("cmdSetup").click();
    Button("AboutButton").click();
    EXPECT_EQ(setupAsked.count(), 1);
    EXPECT_EQ(aboutAsked.count(), 1);
}


}  // namespace
}  // namespace korvex::rotator::ui::testing
