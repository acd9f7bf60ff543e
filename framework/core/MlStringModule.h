// String tables and text lookup in the current language.
//
// One table per program: text id -> English (language 9) and Spanish (language 3082), written
// as UTF-8 literals. GetText never returns an empty text for a text that has an English entry:
// an id missing from the table gives the English text written at the call site, and an empty
// Spanish entry gives the table's English text.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace korvex {

inline constexpr int32_t kLanguageEnglish = 9;
inline constexpr int32_t kLanguageSpanish = 3082;

struct TextEntry {
    int32_t id;
    const char* english;  // UTF-8
    const char* spanish;  // UTF-8; "" when the id has no Spanish text
};

class StringTable {
  public:
    StringTable(std::initializer_list<TextEntry> entries) : entries_(entries) {}
    explicit StringTable(std::vector<TextEntry> entries) : entries_(std::move(entries)) {}

    const std::vector<TextEntry>& Entries() const { return entries_; }
    // The first entry with this id, or null.
    const TextEntry* Find(int32_t id) const;

  private:
    std::vector<TextEntry> entries_;
};

// Problems of a table, one line each ("id 206: Spanish text missing", "id 12: duplicate id",
// ...); empty when every id has both texts. Ids in `emptySpanishIds` may have an empty Spanish
// text. For a test per program.
QStringList StringTableProblems(const StringTable& table,
                                std::initializer_list<int32_t> emptySpanishIds = {});

class MlStringModule {
  public:
    // `table` must outlive this object. `initialLanguage`: 0 (rotator, focuser: set by the first
    // language event or device object) or 9 (the other drivers).
    explicit MlStringModule(const StringTable& table, int32_t initialLanguage = 0);

    // Binds the table's texts; once per process, later calls do nothing.
    void InitTexts();

    // The text `id` in CurrentLanguage() (English while the language is 0 or 9).
    QString GetText(int32_t id, const QString& english) const;

    // CurrentLanguage := 9, then `id` when it is 9 or 3082.
    void SetLanguage(int32_t id);

    int32_t CurrentLanguage() const { return currentLanguage_; }

  private:
    const StringTable& table_;
    int32_t currentLanguage_;
    bool bound_ = false;
    QHash<int32_t, std::pair<QString, QString>> texts_;  // id -> (English, Spanish)
};

}  // namespace korvex
