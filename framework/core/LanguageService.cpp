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

bool LanguageService::FollowHub(int32_t hubLanguage) {
    const int32_t wanted = hubLanguage == kLanguageSpanish ? kLanguageSpanish : kLanguageEnglish;
    const int32_t current = texts_ ? texts_->CurrentLanguage() : language_;
    if (wanted == current) return false;
    SwitchAll(wanted, QStringLiteral("What'sup"));
    return true;
}

}  // namespace korvex
