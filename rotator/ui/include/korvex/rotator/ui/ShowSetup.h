// ShowSetup: runs the configuration dialog modally in place of the hand box. Used by the hand
// box's "Configuration" button and by the device object's SetupDialog, which returns when the
// dialog closes. Bus calls keep being served while the dialog is open; the poll timer is off.
#pragma once

#include "korvex/rotator/ui/RotatorUiContext.h"

namespace korvex::rotator::ui {

class frmHandBox;
class frmSetup;

// In this order: stop the hand box timer; set the dialog's enablement; fill it from the state;
// hide the hand box; make the dialog topmost and run it modally; on OK apply it (ApplySetup:
// AlwaysOnTop saved, state, RefreshDisplay, SaveSettings); make the hand box topmost or not from
// AlwaysOnTop, show it and start its timer. A call while the dialog is already open returns at
// once and changes nothing.
void ShowSetup(frmHandBox& handBox, frmSetup& setup, RotatorUiContext& ctx);

}  // namespace korvex::rotator::ui
