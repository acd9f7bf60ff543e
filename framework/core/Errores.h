// The start-up error routine ReportError, in the per-driver forms.
#pragma once

#include <QString>
#include <cstdint>

#include "framework/core/KorvexError.h"
#include "framework/core/MessageBoxService.h"

namespace korvex {

struct InicioState;

// What the user sees when started by the user.
enum class ReportBody {
    PromptOnly,      // the prompt alone (rotator, focuser, relay box)
    TextLinePrompt,  // text + "\n" + prompt (filter wheel, pin-by-pin)
};

struct ReportErrorStyle {
    ReportBody body = ReportBody::PromptOnly;
    // Started by the bus: true raises a KorvexError; false shows the message box anyway
    // (pin-by-pin).
    bool raisesWhenStartedByBus = true;
    QString source;  // source of the raised error, for example "Korvex Filter Wheel"
};

class Errores {
  public:
    // `state` and `boxes` must outlive this object.
    Errores(ReportErrorStyle style, const InicioState& state, MessageBoxService& boxes)
        : style_(std::move(style)), state_(state), boxes_(boxes) {}

    // Started by the user (or a style that never raises): a message box, critical icon, title
    // "Problem", body as the style says; returns true. Started by the bus: throws KorvexError
    // with `number`, the style's source and text + "\n" + prompt as description.
    bool ReportError(uint32_t number, const QString& text, const QString& prompt);

  private:
    ReportErrorStyle style_;
    const InicioState& state_;
    MessageBoxService& boxes_;
};

}  // namespace korvex
