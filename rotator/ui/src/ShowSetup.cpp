#include "korvex/rotator/ui/ShowSetup.h"

#include <QTimer>

#include "framework/ui/WindowsAPI.h"
#include "korvex/rotator/SetupRules.h"
#include "korvex/rotator/ui/frmHandBox.h"
#include "korvex/rotator/ui/frmSetup.h"

namespace korvex::rotator::ui {

void ShowSetup(frmHandBox& handBox, frmSetup& setup, RotatorUiContext& ctx) {
    if (setup.isVisible()) return;
    handBox.timer().stop();
    setup.SetEnablement();
    setup.Fill(FillSetup(ctx.state, ctx.process.AlwaysOnTop));
    handBox.hide();
    korvex::ui::SetAlwaysOnTop(setup, true);
    setup.exec();
    if (setup.result()) ctx.inicio.ApplySetup(setup.Fields(), ctx.process.AlwaysOnTop);
    korvex::ui::SetAlwaysOnTop(handBox, ctx.process.AlwaysOnTop);
    handBox.show();
    handBox.timer().start();
}

}  // namespace korvex::rotator::ui
