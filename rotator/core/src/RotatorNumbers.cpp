#include "korvex/rotator/RotatorNumbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace korvex::rotator {
namespace {

QString GeneralText(double value, int significantDigits) {
    if (std::isnan(value)) return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (value == 0) value = 0;  // no "-0"
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, significantDigits);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    return text.replace(QLatin1Char('e'), QLatin1Char('E'));
}

}  // namespace

double RoundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    const double floor = std::floor(x);
    const double fraction = x - floor;  // exact for doubles
    if (fraction < 0.5) return floor;
    if (fraction > 0.5) return floor + 1;
    return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

int32_t RoundToInt32(double x) {
    if (std::isnan(x)) return 0;
    const double rounded = RoundHalfEven(x);
    if (rounded <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (rounded >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(rounded);
}

double UsableStepsPerDegree(double stepsPerDegree) {
    return std::isfinite(stepsPerDegree) && stepsPerDegree > 0 ? stepsPerDegree : 1.0;
}

QString DefaultText(double value) { return GeneralText(value, 15); }

QString DefaultText(float value) { return GeneralText(static_cast<double>(value), 7); }

QString SettingText(double value) {
    if (!std::isfinite(value) || value == 0) return QStringLiteral("0");
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::clamp(14 - exponent, 0, 340);
    char buffer[720];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0'))) text.chop(1);
        if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    }
    if (text == QLatin1String("-0")) text = QStringLiteral("0");
    return text;
}

QString BoolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace korvex::rotator
