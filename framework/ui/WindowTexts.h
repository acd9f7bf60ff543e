// How a window keeps its texts in the process language: its ApplyTexts routine runs once at
// load and again on every LanguageChanged of the language service, hidden or not.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

#include "framework/core/LanguageService.h"
#include "framework/core/MlStringModule.h"

namespace korvex::ui {

// A text of the program's string table: its id and the English text written for the reader
// (and given by GetText when the table lacks the id).
struct TextRef {
    int32_t id = 0;  // 0: no table text; the control keeps its fixed caption
    const char* english = "";
};

inline QString Text(const MlStringModule& texts, const TextRef& ref) {
    return texts.GetText(ref.id, QString::fromUtf8(ref.english));
}

// Runs `applyTexts` now and after every language switch, for as long as `window` lives. Each
// switch first sets the string module's language (SetLanguage), then re-texts.
inline void BindTexts(QWidget& window, LanguageService& language, MlStringModule& texts,
                      std::function<void()> applyTexts) {
    applyTexts();
    QObject::connect(&language, &LanguageService::LanguageChanged, &window,
                     [&texts, applyTexts](int languageId, const QString&) {
                         texts.SetLanguage(languageId);
                         applyTexts();
                     });
}

}  // namespace korvex::ui
