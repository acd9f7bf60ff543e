// Space trimming as the settings rules use it: only U+0020, never tabs or line breaks.
#pragma once

#include <QString>

namespace korvex {

inline QString TrimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' ')) ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' ')) --last;
    return text.mid(first, last - first);
}

}  // namespace korvex
