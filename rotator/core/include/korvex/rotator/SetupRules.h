// The configuration dialog's rules that are not widgets: what its boxes show, how their texts
// are read and checked, and how OK applies them to the state. The dialog holds texts and option
// indexes; these functions turn them into state values and back.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "korvex/rotator/RotatorState.h"

namespace korvex::rotator {

// What the dialog shows and hands back on OK.
struct SetupFields {
    bool alwaysOnTop = false;         // chkAlwaysTop
    QString stepsPerDegree;           // txt_stepsDegree
    QString zoneLow;                  // txt_FZMin, degrees
    QString zoneHigh;                 // txt_FZMax, degrees
    QString backlash;                 // txt_backlash, steps
    int32_t backlashMode = 0;         // selected backlashMode option: 0 two-direction, 1 one
    int32_t applyOneDirectionOn = 0;  // selected applyBacklashOn option: 0 increment, 1 decrement
    int32_t motorModel = 0;           // cmbMotorModel list index
    int32_t halfStep = 0;             // chkHalfstep, 0 or 1
    QString maxDuty;                  // txtMaxDuty, percent while moving
    QString stoppedDuty;              // txtStoppedDuty, percent while stopped
    QString moveRateMin;              // txtMoveRateMin, microseconds between steps
    QString moveRateMax;              // txtMoveRateMax, microseconds between steps
    int32_t wiringMode = 0;           // selected optStepMode index
};

// Texts a box takes when what it holds does not convert.
inline constexpr auto kMaxDutyFallback = "100";
inline constexpr auto kStoppedDutyFallback = "0";
inline constexpr auto kMoveRateFallback = "10000";

// Percent shown for a power 0..1024, and power for a percent; both rounded, halves to even
// (1024 -> 100, 50 -> 512).
int32_t PowerToPercent(int32_t power);
int32_t PercentToPower(int32_t percent);

// A box read as a 32-bit integer. A text that does not convert is replaced by `fallbackText`,
// which is read instead: `text` is what the box holds afterwards.
struct BoxRead {
    int32_t value;
    QString text;
};
BoxRead ReadNumberBox(const QString& text, const QString& fallbackText);

// Checks when a box loses focus; each returns the box's new text (unchanged when valid).
QString CheckMaxDutyBox(const QString& text);      // outside 0..100 -> "100"
QString CheckStoppedDutyBox(const QString& text);  // outside 0..100 -> "0"
QString CheckMoveRateBox(const QString& text);     // 0 or less -> "10000"

// The fill step: zone bounds rounded to whole degrees, powers as percents, the rest as stored.
SetupFields FillSetup(const RotatorState& state, bool alwaysOnTop);

// The apply step on the state alone (no controller, no store): model, half step, powers, rates
// (swapped when the slow one is the smaller), wiring, backlash mode and direction, steps per
// degree, zone, backlash; then zone bounds above 359 become 359, a bound of 0 becomes 1, and
// the bounds are swapped when low > high. The focus-loss checks run here too, so a box still
// holding focus when OK is pressed obeys them. A steps per degree that is not a positive number
// becomes 1, like a text that does not convert. A list index out of range keeps the current
// model or wiring.
void ApplySetupFields(const SetupFields& fields, RotatorState& state);

// The steps-per-degree box is editable only at step count 0.
inline bool StepsPerDegreeEditable(const RotatorState& state) { return state.stepCount == 0; }

// "Set new pos to:": the typed angle as a 32-bit integer in 0..359, or nothing when it does not
// convert or is out of range.
std::optional<int32_t> ValidateNewPosition(const QString& text);

// "Check" of the zone boxes: both read as 16-bit integers with default 180, the smaller first.
struct ZoneSpan {
    int from;
    int to;
};
ZoneSpan CheckZoneBoxes(const QString& low, const QString& high);

}  // namespace korvex::rotator
