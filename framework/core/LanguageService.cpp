#include "framework/core/LanguageService.h"

#include "framework/core/MlStringModule.h"

namespace korvex {

LanguageService::LanguageService(MlStringModule* texts, int32_t initialLanguage, QObject* parent)
    : QObject(parent), texts_(texts), language_(initialLanguage) {}

void LanguageService::SwitchAll(int32_t languageId, const QString& tag) {
    language_ = languageId;
    if (texts_) texts_->SetLanguage(languageId);
    emit LanguageChanged(languageId, tag);
}

}  // namespace korvex
