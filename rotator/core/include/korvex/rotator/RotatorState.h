// The process-wide rotator state: one per program, created in Main and passed to the hardware
// layer, the settings routines, the device objects and the windows.
#pragma once

#include <cstdint>

namespace korvex::rotator {

// Backlash modes and the direction a one-direction correction applies to.
inline constexpr int32_t kBacklashTwoDirection = 0;
inline constexpr int32_t kBacklashOneDirection = 1;
inline constexpr int32_t kApplyOnIncreasing = 0;
inline constexpr int32_t kApplyOnDecreasing = 1;

struct RotatorState {
    // Controller step counter as last read or set. Positions on the high side of the forbidden
    // zone are held as negative counts, so a move between two allowed positions never crosses
    // the zone.
    int32_t stepCount = 0;
    int32_t targetSteps = 0;    // step count of the last move target
    double position = 0;        // degrees, step count converted to [0, 360]
    double targetPosition = 0;  // degrees, last target angle in [0, 360)
    bool moving = false;        // a move is believed to be under way

    double stepsPerDegree = 40;  // "StepsPerDegree"; conversions use UsableStepsPerDegree
    // Forbidden zone: the open interval (zoneLow, zoneHigh), degrees ("FZMin", "FZMax").
    double zoneLow = 180;
    double zoneHigh = 180;

    int32_t backlash = 0;                              // correction, steps
    int32_t backlashMode = kBacklashTwoDirection;      // 0 two-direction, 1 one-direction
    int32_t applyOneDirectionOn = kApplyOnIncreasing;  // 0 increasing, 1 decreasing moves
    bool lastMoveWasIncreasing = false;  // direction of the last non-zero move (two-direction)

    int32_t motorModel = 0;  // 0 Unipolar, 1 Bipolar, 2 DC, 3 Step&Dir
    int32_t halfStep = 0;    // 0 or 1
    // 0 Vantaro, 1 Vantaro inverted, 2 RF/Moonlite, 3 RF/Moonlite inverted; bit 0 = reverse.
    int32_t wiringMode = 0;
    int32_t stoppedPower = 0;    // 0..1024, 1024 = 100 %
    int32_t movingPower = 1024;  // 0..1024
    int32_t slowRate = 10000;    // microseconds between steps ("MoveRateMin"), the larger
    int32_t fastRate = 10000;    // microseconds between steps ("MoveRateMax")

    bool pierFlip = false;  // display only: the hand box picture turned by 180 degrees

    int32_t firmwareVersion = 0;  // read at each (re)connection, kept without use

    bool operator==(const RotatorState&) const = default;
};

}  // namespace korvex::rotator
