// The tolerant text conversions of VantaroUtils.
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "framework/core/TextTrim.h"
#include "framework/core/VantaroUtils.h"

namespace korvex {
namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// A number in the "C" locale: [+|-] digits [. digits] [(e|E) [+|-] digits], at least one
// mantissa digit; surrounding spaces already removed. Nothing for anything else.
std::optional<double> ParseCNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    std::string ascii;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        if (text[i] == QLatin1Char('-')) ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    auto takeDigits = [&] {
        int count = 0;
        for (; i < n && IsDigit(text[i]); ++i, ++count) ascii += char(text[i].unicode());
        return count;
    };
    mantissaDigits += takeDigits();
    if (i < n && text[i] == QLatin1Char('.')) {
        ascii += '.';
        ++i;
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ascii += 'e';
        ++i;
        if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
            ascii += char(text[i++].unicode());
        }
        if (takeDigits() == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;

    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Nearest integer, halves to the even neighbour, independent of the FPU rounding mode.
double RoundHalfEven(double x) {
    const double floor = std::floor(x);
    const double fraction = x - floor;  // exact
    if (fraction < 0.5) return floor;
    if (fraction > 0.5) return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

template <typename Int>
Int ToInteger(const QString& text, Int defaultValue) {
    const QString trimmed = TrimSpaces(text);
    if (trimmed.isEmpty()) return defaultValue;
    const std::optional<double> value = ParseCNumber(trimmed);
    if (!value) return defaultValue;
    const double rounded = RoundHalfEven(*value);
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max()) {
        return defaultValue;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

bool StrToBool(const QString& text, bool defaultValue) {
    if (TrimSpaces(text).isEmpty()) return defaultValue;
    return !(text == QLatin1String("False") || text == QLatin1String("Falso") ||
             text == QLatin1String("0"));
}

int16_t StrToShort(const QString& text, int16_t defaultValue) {
    return ToInteger<int16_t>(text, defaultValue);
}

int32_t StrToLong(const QString& text, int32_t defaultValue) {
    return ToInteger<int32_t>(text, defaultValue);
}

double StrToDouble(const QString& text, double defaultValue) {
    const QString trimmed = TrimSpaces(text);
    if (trimmed.isEmpty()) return defaultValue;
    double value = 0;
    qsizetype lastSeparator = 0;  // 1-based position of the last "," or "."; 0: none
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c == QLatin1Char(',') || c == QLatin1Char('.')) {
            lastSeparator = i + 1;
        } else if (IsDigit(c)) {
            value = value * 10 + (c.unicode() - '0');
        } else {
            return defaultValue;
        }
    }
    if (!std::isfinite(value)) return defaultValue;
    if (lastSeparator > 0) {
        const double scale = std::pow(10.0, double(trimmed.size() - lastSeparator));
        if (!std::isfinite(scale)) return defaultValue;
        value /= scale;
    }
    return value;
}

}  // namespace korvex
