// The rotator's settings: one typed table of value name, state field, conversion and default,
// read and written in the table's order under
// "Software\Vantaro\Korvex\<ProgID>\Default".
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <variant>

#include "korvex/rotator/RotatorState.h"
#include "tkl_table.h"

namespace korvex::rotator {

inline constexpr auto kSettingsRoot = "Korvex";
inline constexpr auto kSettingsSubkey = "Default";

enum class SettingKind {
    Long,  // 32-bit integer, StrToLong with the default
    Rate,  // 32-bit microseconds; when missing or empty, upgraded from "MoveRate" (below)
    Flag,  // 32-bit integer read, written "1" when non-zero, else "0"
    Bool,  // StrToBool with the default, written "1"/"0"
    Real,  // StrToDouble; `missingText` when the value is missing, the default when it is damaged
};

using SettingField =
    std::variant<int32_t RotatorState::*, bool RotatorState::*, double RotatorState::*>;

struct RotatorSetting {
    const char* name;
    SettingKind kind;
    SettingField field;
    double defaultValue;           // taken when the text is missing (Real: damaged) or damaged
    const char* missingText = "";  // Real only: the text a missing value reads as
};

// Older builds kept a single move rate in milliseconds: when "MoveRateMin" or "MoveRateMax" is
// missing or empty, "MoveRate" (default 10) x 1000 is used instead. "MoveRate" is never written.
inline constexpr auto kLegacyMoveRate = "MoveRate";
inline constexpr int32_t kLegacyMoveRateDefaultMs = 10;

// Every value, in the order it is written: "Position" first (that write alone is SavePosition).
std::span<const RotatorSetting> RotatorSettingsTable();

// Reads every value of the table into `state` (LoadSettings without its display step). Only the
// step count is restored; the angles stay as they are until the first poll or halt. A stored
// steps-per-degree that is not a positive number reads as 1.
void ReadSettings(const LinkTable& link, const QString& settingsKey, RotatorState& state);

// Writes every value of the table, in order.
void SaveSettings(const LinkTable& link, const QString& settingsKey, const RotatorState& state);

// Writes "Position" (the step count) alone.
void SavePosition(const LinkTable& link, const QString& settingsKey, const RotatorState& state);

}  // namespace korvex::rotator
