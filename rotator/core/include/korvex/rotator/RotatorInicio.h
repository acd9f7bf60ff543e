// The rotator's part of start-up and of the configuration dialog's runner: loading and saving
// the settings, the display refresh, and the apply step of the dialog.
#pragma once

#include <QString>
#include <functional>

#include "framework/core/MessageBoxService.h"
#include "framework/core/MlStringModule.h"
#include "korvex/rotator/OuterWorldControl.h"
#include "korvex/rotator/RotatorBuild.h"
#include "korvex/rotator/RotatorState.h"
#include "korvex/rotator/SetupRules.h"
#include "tkl_table.h"

namespace korvex::rotator {

// Texts of the forbidden-position warning.
inline constexpr int kTextForbidden1 = 259;
inline constexpr int kTextForbidden2 = 260;
inline constexpr int kTextForbidden3 = 261;
inline constexpr int kTextInvalidPosition = 262;

class RotatorInicio {
  public:
    // Every reference must outlive this object.
    RotatorInicio(RotatorState& state, const LinkTable& link, const RotatorBuild& build,
                  OuterWorldControl& owc, MessageBoxService& boxes, const MlStringModule& texts);

    // The window's part of RefreshDisplay: show the position rounded to whole degrees and set
    // the pier flip box from the state. Runs first in every RefreshDisplay; may be empty.
    void SetDisplayHook(std::function<void()> show) { display_ = std::move(show); }

    // Every settings value into the state, then RefreshDisplay.
    void LoadSettings();
    void SaveSettings();
    void SavePosition();

    // The display hook, PushConfiguration, then, when zone low < position < zone high, the
    // warning (texts 259, 260, 261 on three lines, title 262, warning icon, OK). True when the
    // warning was shown.
    bool RefreshDisplay();

    // The dialog's OK: `alwaysOnTop` := the box, saved at once as "AlwaysOnTop" under the
    // settings key; ApplySetupFields; RefreshDisplay (which pushes the configuration);
    // SaveSettings.
    void ApplySetup(const SetupFields& fields, bool& alwaysOnTop);

    QString SettingsKey() const { return QString::fromLatin1(build_.progId); }

  private:
    RotatorState& state_;
    const LinkTable& link_;
    const RotatorBuild& build_;
    OuterWorldControl& owc_;
    MessageBoxService& boxes_;
    const MlStringModule& texts_;
    std::function<void()> display_;
};

}  // namespace korvex::rotator
