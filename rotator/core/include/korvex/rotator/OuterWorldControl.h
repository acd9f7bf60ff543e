// The rotator's hardware layer: angles to stepper moves on this build's port, the forbidden
// zone and no-cross rule, backlash, the motor configuration and the poll step.
//
// Every routine first checks that TKLCommIsUp() returns -1 and returns at once, changing
// nothing, otherwise. Angle/step conversions use UsableStepsPerDegree, so a steps-per-degree
// value that is not a positive number acts as 1 and never divides by zero. Lines for the call
// spy are written whenever its window exists (no category check at this layer).
#pragma once

#include <QString>
#include <cstdint>

#include "framework/core/CallSpy.h"
#include "korvex/rotator/RotatorBuild.h"
#include "korvex/rotator/RotatorState.h"
#include "tkl_table.h"

namespace korvex {
class OWCSub;
}

namespace korvex::rotator {

// Classes of an angle for the zone rules (ClassifyAngle).
inline constexpr int kLowSide = 1;   // 0 <= x <= zone low
inline constexpr int kHighSide = 2;  // zone high <= x <= 360
inline constexpr int kOutside = 3;   // inside the zone, negative or above 360

class OuterWorldControl {
  public:
    // Every reference must outlive this object. `owc` gets ConfigureController as its
    // on-connect configuration, so OpenLink and the reconnection check of PollController
    // configure the controller from `state`.
    OuterWorldControl(RotatorState& state, const LinkTable& link, const RotatorBuild& build,
                      CallSpyHolder& spy, OWCSub& owc);

    // True while TKLCommIsUp() returns -1.
    bool LinkUp() const;

    // steps / steps per degree, brought into [0, 360] by one +360 for negatives and one -360
    // above 360 (360 itself stays).
    double StepsToDegrees(int32_t steps) const;

    // kLowSide, kHighSide or kOutside against the current zone bounds.
    int ClassifyAngle(double angle) const;

    // Moves to `angle` degrees (any value; normalised once into [0, 360)). A target inside the
    // zone stops at the zone edge on the rotator's side; high-side targets are sent as negative
    // counts. Sends StepperGoto, or StepperGotoBlash on a reversal (two-direction mode), or
    // StepperGotoODB for moves in the corrected direction (one-direction mode). `angle` becomes
    // the target actually used, in [0, 360). Halts a move in progress first.
    void GotoAngle(double& angle);

    // Stops, then re-reads the counter: on a good read step count, target, angles and moving
    // follow it; a failed read leaves the state as it was.
    void HaltRotator();

    // Declares the current position 0 degrees.
    void SetZero();

    // Installs the zone bounds (equal bounds become a zone 0.0001 degrees wide) and moves a
    // positive count above the zone to the negative side; then writes the counter to the
    // controller. While moving the counter is left alone (the held count lags the motor).
    // Nothing changes while the link is down, not even the stored bounds.
    void SetZone(double low, double high);

    // Zone, model, half step, wiring, stopped and moving power, speed range, in this order.
    void PushConfiguration();

    // On each (re)connection: firmware version, the stored step count loaded into the
    // controller (the rotator keeps its angle across restarts), PushConfiguration, not moving.
    void ConfigureController();

    // One hand box tick: the reconnection check (configures on a fresh connection, stops while
    // down), then the position read; a move ends (and the position is saved) when the count
    // reaches the target, and a count away from the target while idle marks a move started
    // elsewhere.
    void PollController();

    // "Set horizontal": SetZero, then SetZone(180, 180).
    void SetHorizontal();

    // "Set new pos to:": the counter (controller and state) and the target steps := `degrees` x
    // steps per degree, rounded; the angle follows at the next poll, which does not take the
    // redefined count for a move. False, with nothing sent, while the link is down.
    bool SetNewPosition(int32_t degrees);

    const RotatorState& State() const { return state_; }
    const RotatorBuild& Build() const { return build_; }

  private:
    CallSpy* Spy() const { return spy_.Window(); }

    RotatorState& state_;
    const LinkTable& link_;
    const RotatorBuild& build_;
    CallSpyHolder& spy_;
    OWCSub& owc_;
};

}  // namespace korvex::rotator
