// The services start-up creates once per process and hands to the driver's windows, device
// core and device objects. Everything here lives from Main to the end of ShutDown.
#pragma once

#include "framework/core/CallSpy.h"
#include "framework/core/DriverConstants.h"
#include "framework/core/InicioState.h"
#include "framework/core/LanguageService.h"
#include "framework/core/MessageBoxService.h"
#include "framework/core/MlStringModule.h"
#include "framework/core/OWCSub.h"
#include "framework/core/ProcessLauncher.h"
#include "tkl_table.h"

namespace korvex {

struct DriverContext {
    const DriverConstants& constants;
    InicioState& state;
    MlStringModule& texts;
    LanguageService& language;
    MessageBoxService& boxes;
    const LinkTable& link;
    OWCSub& owc;
    CallSpyHolder& spy;
    ProcessLauncher& launcher;

    // Settings of the driver's own key ("Software\Vantaro\Korvex\<settings key>[\subkey]").
    QString Read(const QString& subkey, const QString& name, const QString& def) const;
    void Save(const QString& subkey, const QString& name, const QString& value) const;

    // Follows the hub's language at the start of a tick (LanguageService::FollowHub). True when
    // it switched, so the caller refreshes what depends on it.
    bool FollowHubLanguage();
};

}  // namespace korvex
