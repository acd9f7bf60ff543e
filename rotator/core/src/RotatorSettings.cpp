#include "korvex/rotator/RotatorSettings.h"

#include <limits>

#include "framework/core/VantaroUtils.h"
#include "korvex/rotator/RotatorNumbers.h"

namespace korvex::rotator {
namespace {

using S = RotatorState;

const RotatorSetting kTable[] = {
    {"Position", SettingKind::Long, &S::stepCount, 0},
    {"MoveRateMin", SettingKind::Rate, &S::slowRate, 10000},
    {"MoveRateMax", SettingKind::Rate, &S::fastRate, 10000},
    {"Backlash", SettingKind::Long, &S::backlash, 0},
    {"LastMoveWasInc", SettingKind::Bool, &S::lastMoveWasIncreasing, 0},
    {"StoppedDuty", SettingKind::Long, &S::stoppedPower, 0},
    {"MaxDuty", SettingKind::Long, &S::movingPower, 1024},
    {"Model", SettingKind::Long, &S::motorModel, 0},
    {"Halfstep", SettingKind::Flag, &S::halfStep, 0},
    {"StepMode", SettingKind::Long, &S::wiringMode, 0},
    {"FZMin", SettingKind::Real, &S::zoneLow, 180, "180"},
    {"FZMax", SettingKind::Real, &S::zoneHigh, 180, "180"},
    {"StepsPerDegree", SettingKind::Real, &S::stepsPerDegree, 1, "40"},
    {"PierFlip", SettingKind::Bool, &S::pierFlip, 0},
    {"BacklashMode", SettingKind::Long, &S::backlashMode, 0},
    {"ApplyODBOn", SettingKind::Long, &S::applyOneDirectionOn, 0},
};

QString Read(const LinkTable& link, const QString& key, const char* name, const QString& fallback) {
    return ReadSetting(link, QString::fromLatin1(kSettingsRoot), key,
                       QString::fromLatin1(kSettingsSubkey), QString::fromLatin1(name), fallback);
}

void Write(const LinkTable& link, const QString& key, const char* name, const QString& value) {
    SaveSetting(link, QString::fromLatin1(kSettingsRoot), key, QString::fromLatin1(kSettingsSubkey),
                QString::fromLatin1(name), value);
}

int32_t ReadRate(const LinkTable& link, const QString& key, const RotatorSetting& setting) {
    const auto fallback = static_cast<int32_t>(setting.defaultValue);
    const QString text = Read(link, key, setting.name, QString());
    if (!text.isEmpty()) return StrToLong(text, fallback);
    const int64_t legacyMs =
        StrToLong(Read(link, key, kLegacyMoveRate, QString()), kLegacyMoveRateDefaultMs);
    const int64_t us = legacyMs * 1000;
    // A legacy value too large for microseconds is damaged: it reads as the legacy default.
    if (us < std::numeric_limits<int32_t>::min() || us > std::numeric_limits<int32_t>::max()) {
        return kLegacyMoveRateDefaultMs * 1000;
    }
    return static_cast<int32_t>(us);
}

void ReadOne(const LinkTable& link, const QString& key, const RotatorSetting& setting,
             RotatorState& state) {
    switch (setting.kind) {
        case SettingKind::Long:
        case SettingKind::Flag:
            state.*std::get<int32_t S::*>(setting.field) =
                StrToLong(Read(link, key, setting.name, QString()),
                          static_cast<int32_t>(setting.defaultValue));
            break;
        case SettingKind::Rate:
            state.*std::get<int32_t S::*>(setting.field) = ReadRate(link, key, setting);
            break;
        case SettingKind::Bool:
            state.*std::get<bool S::*>(setting.field) =
                StrToBool(Read(link, key, setting.name, QString()), setting.defaultValue != 0);
            break;
        case SettingKind::Real:
            state.*std::get<double S::*>(setting.field) =
                StrToDouble(Read(link, key, setting.name, QString::fromLatin1(setting.missingText)),
                            setting.defaultValue);
            break;
    }
}

QString TextOf(const RotatorSetting& setting, const RotatorState& state) {
    switch (setting.kind) {
        case SettingKind::Long:
        case SettingKind::Rate:
            return QString::number(state.*std::get<int32_t S::*>(setting.field));
        case SettingKind::Flag:
            return state.*std::get<int32_t S::*>(setting.field) != 0 ? QStringLiteral("1")
                                                                     : QStringLiteral("0");
        case SettingKind::Bool:
            return state.*std::get<bool S::*>(setting.field) ? QStringLiteral("1")
                                                             : QStringLiteral("0");
        case SettingKind::Real:
            return SettingText(state.*std::get<double S::*>(setting.field));
    }
    return QString();
}

}  // namespace

std::span<const RotatorSetting> RotatorSettingsTable() { return kTable; }

void ReadSettings(const LinkTable& link, const QString& settingsKey, RotatorState& state) {
    for (const RotatorSetting& setting : kTable) ReadOne(link, settingsKey, setting, state);
    // "0" converts, but no conversion may divide by it: it reads like an unconvertible text.
    state.stepsPerDegree = UsableStepsPerDegree(state.stepsPerDegree);
}

void SaveSettings(const LinkTable& link, const QString& settingsKey, const RotatorState& state) {
    for (const RotatorSetting& setting : kTable) {
        Write(link, settingsKey, setting.name, TextOf(setting, state));
    }
}

void SavePosition(const LinkTable& link, const QString& settingsKey, const RotatorState& state) {
    Write(link, settingsKey, kTable[0].name, TextOf(kTable[0], state));
}

}  // namespace korvex::rotator
