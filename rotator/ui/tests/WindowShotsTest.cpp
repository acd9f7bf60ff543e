// Renders the hand box (unfolded and folded) and the configuration dialog in English and
// Spanish to PNG files in the test's folder (and $KORVEX_SHOTS_DIR when set), for a person to
// look at the layout.
#include <QApplication>
#include <QImage>
#include <QPushButton>

#include "RotatorUiFixture.h"
#include "framework/ui/WidgetShot.h"

namespace korvex::rotator::ui::testing {
namespace {

class WindowShots : public RotatorUiFixture {};

TEST_F(WindowShots, BothWindowsInBothLanguages) {
    PlaceAt(3600);  // 90 degrees
    state.zoneLow = 170;
    state.zoneHigh = 200;
    for (int language : {kLanguageEnglish, kLanguageSpanish}) {
        controller.SetLanguage(language);
        handBox->Tick();
        const QString suffix =
            language == kLanguageEnglish ? QStringLiteral("en") : QStringLiteral("es");
        setup->SetEnablement();
        setup->Fill(FillSetup(state, process.AlwaysOnTop));
        setup->DrawStoredZone();
        for (QWidget* window :
             {static_cast<QWidget*>(handBox.get()), static_cast<QWidget*>(setup.get())}) {
            window->show();
            QApplication::processEvents();
            const QString path = korvex::ui::SaveWidgetPng(
                *window, home.Path(), window->objectName() + QLatin1Char('_') + suffix);
            ASSERT_FALSE(path.isEmpty());
            const QImage image(path);
            EXPECT_EQ(image.size(), window->size());
        }
        handBox->findChild<QPushButton*>(QStringLiteral("cmdMore"))->click();
        ASSERT_TRUE(handBox->Folded());
        EXPECT_FALSE(korvex::ui::SaveWidgetPng(*handBox, home.Path(),
                                               QStringLiteral("frmHandBox_folded_") + suffix)
                         .isEmpty());
        handBox->findChild<QPushButton*>(QStringLiteral("cmdMore"))->click();
    }
}

}  // namespace
}  // namespace korvex::rotator::ui::testing
