// The process-wide language service: one language, one LanguageChanged signal that every
// window and device object connects to.
//
// Windows: on load connect to LanguageChanged, and in the slot call SetLanguage(languageId) on
// the program's MlStringModule and set all texts again (ApplyTexts). Device objects: on
// creation call SetLanguage(service.CurrentLanguage()) on the MlStringModule.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

namespace korvex {

class MlStringModule;

class LanguageService : public QObject {
    Q_OBJECT

  public:
    // `texts`, when given, follows every switch before any listener runs, so a listener that
    // only re-texts already reads the new language. `initialLanguage` is what the service
    // reports before the first switch.
    explicit LanguageService(MlStringModule* texts = nullptr, int32_t initialLanguage = 9,
                             QObject* parent = nullptr);

    // The language of the last switch (as asked, not filtered by the language list).
    int32_t CurrentLanguage() const { return language_; }

    // Switches everything to `languageId`: LanguageChanged reaches every connected window and
    // device object, synchronously, each time it is called (even for the same language).
    void SwitchAll(int32_t languageId, const QString& tag);

    // Following the hub at the start of a tick: when `hubLanguage` (as the link reports it)
    // differs from the texts' current language, everything is switched to it with the tag
    // "What'sup". An id outside the language list counts as English, so it switches once
    // instead of on every tick. True when it switched: the caller refreshes its display.
    bool FollowHub(int32_t hubLanguage);

  signals:
    void LanguageChanged(int languageId, QString tag);

  private:
    MlStringModule* texts_;
    int32_t language_;
};

}  // namespace korvex
