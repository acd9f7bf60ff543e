// Owner of the process's one call spy window. Open() creates it when none is loaded (TextOffset
// 1425) and shows it modeless; a closed window is forgotten, and the core-side CallSpyHolder
// reports no window from the moment it closes.
#pragma once

#include "framework/core/CallSpy.h"
#include "framework/ui/CallSpyTexts.h"
#include "framework/ui/SingleWindow.h"
#include "framework/ui/frmShow.h"

namespace korvex::ui {

class CallSpyWindowHolder {
  public:
    static constexpr int16_t kTextOffsetTwips = 1425;

    // All four must outlive the holder.
    CallSpyWindowHolder(CallSpyHolder& spy, MlStringModule& texts, LanguageService& language,
                        CallSpyTexts ids)
        : spy_(spy), texts_(texts), language_(language), ids_(ids) {}

    // The loaded window (created when needed), shown and raised.
    frmShow* Open();
    // The loaded window, or null.
    frmShow* Window() const { return window_.Window(); }
    // Unloads and deletes the window if one is loaded (shutdown).
    void Unload() { window_.Unload(); }

  private:
    CallSpyHolder& spy_;
    MlStringModule& texts_;
    LanguageService& language_;
    CallSpyTexts ids_;
    SingleWindow<frmShow> window_;
};

}  // namespace korvex::ui
