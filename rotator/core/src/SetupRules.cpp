#include "korvex/rotator/SetupRules.h"

#include <algorithm>
#include <utility>

#include "framework/core/VantaroUtils.h"
#include "korvex/rotator/RotatorNumbers.h"

namespace korvex::rotator {
namespace {

// StrToLong falls back silently; two different defaults tell a conversion from a fallback.
std::optional<int32_t> ParseLong(const QString& text) {
    const int32_t a = StrToLong(text, 0);
    const int32_t b = StrToLong(text, 1);
    if (a != b) return std::nullopt;
    return a;
}

QString CheckRange(const QString& text, const char* fallback, int32_t low, int32_t high,
                   const char* outside) {
    const BoxRead read = ReadNumberBox(text, QString::fromLatin1(fallback));
    if (read.value < low || read.value > high) return QString::fromLatin1(outside);
    return read.text;
}

double ClampZoneBound(double bound) {
    if (bound > 359) return 359;
    if (bound == 0) return 1;
    return bound;
}

}  // namespace

int32_t PowerToPercent(int32_t power) { return RoundToInt32(power * 100.0 / 1024.0); }

int32_t PercentToPower(int32_t percent) { return RoundToInt32(percent * 1024.0 / 100.0); }

BoxRead ReadNumberBox(const QString& text, const QString& fallbackText) {
    if (const auto value = ParseLong(text)) return {*value, text};
    return {ParseLong(fallbackText).value_or(0), fallbackText};
}

QString CheckMaxDutyBox(const QString& text) {
    return CheckRange(text, kMaxDutyFallback, 0, 100, "100");
}

QString CheckStoppedDutyBox(const QString& text) {
    return CheckRange(text, kStoppedDutyFallback, 0, 100, "0");
}

QString CheckMoveRateBox(const QString& text) {
    const BoxRead read = ReadNumberBox(text, QString::fromLatin1(kMoveRateFallback));
    return read.value <= 0 ? QString::fromLatin1(kMoveRateFallback) : read.text;
}

SetupFields FillSetup(const RotatorState& state, bool alwaysOnTop) {
    SetupFields fields;
    fields.alwaysOnTop = alwaysOnTop;
    fields.stepsPerDegree = DefaultText(state.stepsPerDegree);
    fields.zoneLow = QString::number(RoundToInt32(state.zoneLow));
    fields.zoneHigh = QString::number(RoundToInt32(state.zoneHigh));
    fields.backlash = QString::number(state.backlash);
    fields.backlashMode = state.backlashMode == kBacklashTwoDirection ? 0 : 1;
    fields.applyOneDirectionOn = state.applyOneDirectionOn == kApplyOnIncreasing ? 0 : 1;
    fields.motorModel = state.motorModel;
    fields.halfStep = state.halfStep != 0 ? 1 : 0;
    fields.maxDuty = QString::number(PowerToPercent(state.movingPower));
    fields.stoppedDuty = QString::number(PowerToPercent(state.stoppedPower));
    fields.moveRateMin = QString::number(state.slowRate);
    fields.moveRateMax = QString::number(state.fastRate);
    fields.wiringMode = state.wiringMode;
    return fields;
}

void ApplySetupFields(const SetupFields& fields, RotatorState& state) {
    if (fields.motorModel >= 0 && fields.motorModel <= 3) state.motorModel = fields.motorModel;
    state.halfStep = fields.halfStep != 0 ? 1 : 0;

    const auto readBox = [](const QString& checked, const char* fallback) {
        return ReadNumberBox(checked, QString::fromLatin1(fallback)).value;
    };
    state.movingPower = PercentToPower(readBox(CheckMaxDutyBox(fields.maxDuty), kMaxDutyFallback));
    state.stoppedPower =
        PercentToPower(readBox(CheckStoppedDutyBox(fields.stoppedDuty), kStoppedDutyFallback));
    // The slow rate is the larger number of microseconds between steps.
    state.slowRate = readBox(CheckMoveRateBox(fields.moveRateMin), kMoveRateFallback);
    state.fastRate = readBox(CheckMoveRateBox(fields.moveRateMax), kMoveRateFallback);
    if (state.slowRate < state.fastRate) std::swap(state.slowRate, state.fastRate);

    if (fields.wiringMode >= 0 && fields.wiringMode <= 3) state.wiringMode = fields.wiringMode;
    state.backlashMode = fields.backlashMode == 0 ? kBacklashTwoDirection : kBacklashOneDirection;
    state.applyOneDirectionOn =
        fields.applyOneDirectionOn == 0 ? kApplyOnIncreasing : kApplyOnDecreasing;
    state.stepsPerDegree = UsableStepsPerDegree(StrToDouble(fields.stepsPerDegree, 1));
    state.zoneLow = StrToDouble(fields.zoneLow, 180);
    state.zoneHigh = StrToDouble(fields.zoneHigh, 180);
    state.backlash = StrToShort(fields.backlash, 0);

    state.zoneLow = ClampZoneBound(state.zoneLow);
    state.zoneHigh = ClampZoneBound(state.zoneHigh);
    if (state.zoneLow > state.zoneHigh) std::swap(state.zoneLow, state.zoneHigh);
}

std::optional<int32_t> ValidateNewPosition(const QString& text) {
    const auto value = ParseLong(text);
    if (!value || *value < 0 || *value > 359) return std::nullopt;
    return value;
}

ZoneSpan CheckZoneBoxes(const QString& low, const QString& high) {
    const int a = StrToShort(low, 180);
    const int b = StrToShort(high, 180);
    return {std::min(a, b), std::max(a, b)};
}

}  // namespace korvex::rotator
