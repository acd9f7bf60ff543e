// Number rules of the rotator: rounding of fractions to integers, the steps-per-degree guard and
// the default text form of numbers in spy lines and settings.
#pragma once

#include <QString>
#include <cstdint>

namespace korvex::rotator {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2), whatever the
// FPU rounding mode. NaN and infinities come back unchanged.
double RoundHalfEven(double x);

// RoundHalfEven saturated to the 32-bit range; NaN gives 0. Every angle-to-steps conversion goes
// through it, so an absurd steps-per-degree value can never overflow a step count.
int32_t RoundToInt32(double x);

// The steps per degree the conversions may divide and multiply by: `stepsPerDegree` when it is
// a positive finite number, else 1 (the value an unconvertible stored text gives). A zero,
// negative or NaN value therefore never reaches a conversion.
double UsableStepsPerDegree(double stepsPerDegree);

// Default text form of a number, as a client's spy line shows it: up to 15 significant digits
// for a 64-bit real, 7 for a 32-bit real, no trailing zeros, "." as separator, exponent form
// "1E-05" only for very large or small magnitudes (90 -> "90", 0.025 -> "0.025").
QString DefaultText(double value);
QString DefaultText(float value);

// A real as a settings value: 15 significant digits, plain decimal notation (never an
// exponent), no trailing zeros, "." as separator, so that StrToDouble reads it back.
QString SettingText(double value);

// "True" or "False".
QString BoolText(bool value);

}  // namespace korvex::rotator
