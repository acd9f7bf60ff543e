#include "korvex/rotator/RotatorInicio.h"

#include "framework/core/VantaroUtils.h"
#include "korvex/rotator/RotatorSettings.h"

namespace korvex::rotator {

RotatorInicio::RotatorInicio(RotatorState& state, const LinkTable& link, const RotatorBuild& build,
                             OuterWorldControl& owc, MessageBoxService& boxes,
                             const MlStringModule& texts)
    : state_(state), link_(link), build_(build), owc_(owc), boxes_(boxes), texts_(texts) {}

void RotatorInicio::LoadSettings() {
    ReadSettings(link_, SettingsKey(), state_);
    RefreshDisplay();
}

void RotatorInicio::SaveSettings() { rotator::SaveSettings(link_, SettingsKey(), state_); }

void RotatorInicio::SavePosition() { rotator::SavePosition(link_, SettingsKey(), state_); }

bool RotatorInicio::RefreshDisplay() {
    if (display_) display_();
    owc_.PushConfiguration();
    if (!(state_.zoneLow < state_.position && state_.position < state_.zoneHigh)) return false;

    MessageRequest request;
    request.text =
        texts_.GetText(
            kTextForbidden1,
            QStringLiteral(
                "Somehow you have managed to set the rotator to a forbidden position.")) +
        QLatin1Char('\n') +
        texts_.GetText(
            kTextForbidden2,
            QStringLiteral("Please go to configuration and fix this, or the rotator will escape")) +
        QLatin1Char('\n') +
        texts_.GetText(kTextForbidden3, QStringLiteral("to an allowed position at first chance"));
    request.title = texts_.GetText(kTextInvalidPosition, QStringLiteral("Invalid position"));
    request.icon = MsgIcon::Warning;
    request.buttons = MsgButtons::OK;
    boxes_.Show(request);
    return true;
}

void RotatorInicio::ApplySetup(const SetupFields& fields, bool& alwaysOnTop) {
    alwaysOnTop = fields.alwaysOnTop;
    SaveSetting(link_, QString::fromLatin1(kSettingsRoot), SettingsKey(), QString(),
                QStringLiteral("AlwaysOnTop"),
                alwaysOnTop ? QStringLiteral("1") : QStringLiteral("0"));
    ApplySetupFields(fields, state_);
    RefreshDisplay();
    SaveSettings();
}

}  // namespace korvex::rotator
