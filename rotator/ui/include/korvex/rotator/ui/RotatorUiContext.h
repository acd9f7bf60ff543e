// What the rotator's windows work with: the process state, the core they forward clicks to and
// the framework services. The windows hold no rules of their own.
#pragma once

#include "framework/core/InicioState.h"
#include "framework/core/LanguageService.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/MlStringModule.h"
#include "framework/core/OWCSub.h"
#include "framework/ui/WindowsAPI.h"
#include "korvex/rotator/OuterWorldControl.h"
#include "korvex/rotator/RotatorInicio.h"
#include "korvex/rotator/RotatorState.h"

namespace korvex::rotator::ui {

// Every reference must outlive the windows built with it.
struct RotatorUiContext {
    RotatorState& state;
    OuterWorldControl& owc;     // motion: GotoAngle, HaltRotator, PollController, ...
    RotatorInicio& inicio;      // RefreshDisplay, ApplySetup
    OWCSub& link;               // GetLinkLanguage
    InicioState& process;       // ClientCount, ClosingDown, AlwaysOnTop, LastShownPosition, ...
    MlStringModule& texts;      // the rotator's string table
    LanguageService& language;  // LanguageChanged, SwitchAll
    MessageBoxService& boxes;
    korvex::ui::UrlOpener openUrl = {};  // empty: the desktop's browser
};

}  // namespace korvex::rotator::ui
