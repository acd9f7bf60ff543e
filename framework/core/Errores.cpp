#include "framework/core/Errores.h"

#include "framework/core/InicioState.h"

namespace korvex {

bool Errores::ReportError(uint32_t number, const QString& text, const QString& prompt) {
    const QString both = text + QLatin1Char('\n') + prompt;
    if (!state_.StartedByUser && style_.raisesWhenStartedByBus) {
        throw KorvexError(number, style_.source, both);
    }
    MessageRequest request;
    request.text = style_.body == ReportBody::PromptOnly ? prompt : both;
    request.title = QStringLiteral("Problem");
    request.icon = MsgIcon::Critical;
    request.buttons = MsgButtons::OK;
    boxes_.Show(request);
    return true;
}

}  // namespace korvex
