#include <QImage>

#include "UiTestSupport.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/ProcessLauncher.h"
#include "framework/ui/CallSpyWindowHolder.h"
#include "framework/ui/WidgetShot.h"
#include "framework/ui/frmAbout.h"

namespace korvex::ui {
namespace {

class ScreenshotTest : public testing::WindowTest {
  protected:
    // Renders `window` and checks that the picture is the window, not a blank.
    void Shoot(QWidget& window, const QString& name) {
        const QString path = SaveWidgetPng(window, HomeDir() + QStringLiteral("/shots"), name);
        ASSERT_FALSE(path.isEmpty()) << name.toStdString();
        QImage picture(path);
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(picture.size(), window.size() * picture.devicePixelRatio());
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 4) {
            for (int x = 0; x < picture.width(); x += 4) colours.insert(picture.pixel(x, y));
        }
        EXPECT_GT(colours.size(), 2) << name.toStdString();
    }

    CallSpyHolder spy_;
    CallSpyWindowHolder spyWindows_{spy_, texts_, language_, CallSpyTexts::Rotator()};
    ScriptedMessageBoxes boxes_;
    RecordingProcessLauncher launcher_;
};

TEST_F(ScreenshotTest, BothWindowsInBothLanguages) {
    frmShow* spyWindow = spyWindows_.Open();
    spyWindow->TrafficStart(QStringLiteral("SetupDialog"));
    spyWindow->TrafficEnd(QStringLiteral(" (done)"));
    spyWindow->TrafficStart(QStringLiteral("MoveAbsolute: 90"));
    spyWindow->TrafficLine(QStringLiteral("RotatorGoto: 9000"));
    for (int i = 0; i < 3; ++i) spyWindow->TrafficChar(QStringLiteral("IsMoving: True"));
    spyWindow->TrafficChar(QStringLiteral("IsMoving: False"));

    frmAbout about({texts_, language_, spyWindows_, boxes_, launcher_}, AboutTexts::Rotator(),
                   {QStringLiteral("KorvexRotator"), QStringLiteral("4.7.0"), QString()});
    about.show();

    const std::pair<int32_t, const char*> languages[] = {{kLanguageEnglish, "en"},
                                                         {kLanguageSpanish, "es"}};
    for (const auto& [language, tag] : languages) {
        language_.SwitchAll(language, QStringLiteral("What'sup"));
        Shoot(*spyWindow, QStringLiteral("frmShow_%1").arg(QLatin1String(tag)));
        Shoot(about, QStringLiteral("frmAbout_%1").arg(QLatin1String(tag)));
    }
}

}  // namespace
}  // namespace korvex::ui
