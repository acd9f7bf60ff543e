#include "framework/core/MlStringModule.h"

#include <QSet>

namespace korvex {

const TextEntry* StringTable::Find(int32_t id) const {
    for (const TextEntry& entry : entries_) {
        if (entry.id == id) return &entry;
    }
    return nullptr;
}

QStringList StringTableProblems(const StringTable& table,
                                std::initializer_list<int32_t> emptySpanishIds) {
    const QSet<int32_t> mayLackSpanish(emptySpanishIds.begin(), emptySpanishIds.end());
    QStringList problems;
    QSet<int32_t> seen;
    for (const TextEntry& entry : table.Entries()) {
        const QString id = QStringLiteral("id %1: ").arg(entry.id);
        if (seen.contains(entry.id)) problems << id + "duplicate id";
        seen.insert(entry.id);
        if (!entry.english || !*entry.english) problems << id + "English text missing";
        const bool noSpanish = !entry.spanish || !*entry.spanish;
        if (noSpanish && !mayLackSpanish.contains(entry.id))
            problems << id + "Spanish text missing";
    }
    for (int32_t id : mayLackSpanish) {
        if (!seen.contains(id))
            problems << QStringLiteral("id %1: declared but not in the table").arg(id);
    }
    return problems;
}

MlStringModule::MlStringModule(const StringTable& table, int32_t initialLanguage)
    : table_(table), currentLanguage_(initialLanguage) {}

void MlStringModule::InitTexts() {
    if (bound_) return;
    bound_ = true;
    texts_.reserve(qsizetype(table_.Entries().size()));
    for (const TextEntry& entry : table_.Entries()) {
        if (texts_.contains(entry.id)) continue;  // the first entry of an id wins, as Find
        texts_.insert(entry.id, {QString::fromUtf8(entry.english ? entry.english : ""),
                                 QString::fromUtf8(entry.spanish ? entry.spanish : "")});
    }
}

QString MlStringModule::GetText(int32_t id, const QString& english) const {
    QString tableEnglish;
    QString tableSpanish;
    if (bound_) {
        const auto it = texts_.constFind(id);
        if (it == texts_.cend()) return english;
        tableEnglish = it->first;
        tableSpanish = it->second;
    } else {
        const TextEntry* entry = table_.Find(id);
        if (!entry) return english;
        tableEnglish = QString::fromUtf8(entry->english ? entry->english : "");
        tableSpanish = QString::fromUtf8(entry->spanish ? entry->spanish : "");
    }
    if (tableEnglish.isEmpty()) tableEnglish = english;
    if (currentLanguage_ == kLanguageSpanish && !tableSpanish.isEmpty()) return tableSpanish;
    return tableEnglish;
}

void MlStringModule::SetLanguage(int32_t id) {
    currentLanguage_ = kLanguageEnglish;
    if (id == kLanguageEnglish || id == kLanguageSpanish) currentLanguage_ = id;
}

}  // namespace korvex
