#include "korvex/rotator/OuterWorldControl.h"

#include "framework/core/OWCSub.h"
#include "korvex/rotator/RotatorNumbers.h"
#include "korvex/rotator/RotatorSettings.h"

namespace korvex::rotator {

OuterWorldControl::OuterWorldControl(RotatorState& state, const LinkTable& link,
                                     const RotatorBuild& build, CallSpyHolder& spy, OWCSub& owc)
    : state_(state), link_(link), build_(build), spy_(spy), owc_(owc) {
    owc_.SetOnConnect([this] { ConfigureController(); });
}

bool OuterWorldControl::LinkUp() const { return link_.TKLCommIsUp && link_.TKLCommIsUp() == -1; }

double OuterWorldControl::StepsToDegrees(int32_t steps) const {
    double degrees = steps / UsableStepsPerDegree(state_.stepsPerDegree);
    if (degrees < 0) degrees += 360;
    if (degrees > 360) degrees -= 360;
    return degrees;
}

int OuterWorldControl::ClassifyAngle(double angle) const {
    if (angle >= 0 && angle <= state_.zoneLow) return kLowSide;
    if (angle >= state_.zoneHigh && angle <= 360) return kHighSide;
    return kOutside;
}

void OuterWorldControl::GotoAngle(double& angle) {
    if (!LinkUp()) return;
    if (CallSpy* spy = Spy())
        spy->TrafficLine(QStringLiteral("RotatorGoto: ") + DefaultText(angle));
    if (state_.moving) HaltRotator();

    double target = angle;
    if (target < 0) target += 360;
    if (target >= 360) target -= 360;

    const int currentClass = ClassifyAngle(state_.position);
    int targetClass = ClassifyAngle(target);
    if (targetClass == kOutside) {
        // Stop at the zone edge on the side the rotator is on.
        if (currentClass == kLowSide) {
            target = state_.zoneLow;
            targetClass = kLowSide;
        } else {
            target = state_.zoneHigh;
            targetClass = kHighSide;
        }
    }
    // The high side is addressed with negative angles: the path between two allowed positions
    // then never crosses the zone.
    if (targetClass == kHighSide) target -= 360;

    const int32_t steps = RoundToInt32(target * UsableStepsPerDegree(state_.stepsPerDegree));
    const int32_t port = build_.port;
    if (state_.backlashMode == kBacklashTwoDirection) {
        bool reversal = false;
        if (steps > state_.stepCount) {
            reversal = !state_.lastMoveWasIncreasing;
            state_.lastMoveWasIncreasing = true;
        } else if (steps < state_.stepCount) {
            reversal = state_.lastMoveWasIncreasing;
            state_.lastMoveWasIncreasing = false;
        }
        if (reversal) {
            link_.StepperGotoBlash(port, steps, state_.backlash);
        } else {
            link_.StepperGoto(port, steps);
        }
    } else {
        const bool corrected = state_.applyOneDirectionOn == kApplyOnIncreasing
                                   ? steps > state_.stepCount
                                   : steps < state_.stepCount;
        if (corrected) {
            link_.StepperGotoODB(port, steps, state_.backlash);
        } else {
            link_.StepperGoto(port, steps);
        }
    }

    state_.targetSteps = steps;
    if (target < 0) target += 360;
    state_.targetPosition = target;
    state_.moving = true;
    angle = target;
}

void OuterWorldControl::HaltRotator() {
    if (!LinkUp()) return;
    if (CallSpy* spy = Spy()) spy->TrafficLine(QStringLiteral("RotatorHalt "));
    link_.StepperStop(build_.port);
    int32_t p = 0;
    if (link_.StepperGetPos(build_.port, &p) == 0) {
        state_.stepCount = p;
        state_.targetSteps = p;
        state_.position = StepsToDegrees(p);
        state_.targetPosition = state_.position;
        state_.moving = false;
    }
}

void OuterWorldControl::SetZero() {
    if (!LinkUp()) return;
    link_.StepperSetPos(build_.port, 0);
    state_.stepCount = 0;
    state_.targetSteps = 0;
    state_.position = 0;
    if (CallSpy* spy = Spy()) spy->TrafficLine(QStringLiteral("SetRotatorZero"));
}

void OuterWorldControl::SetZone(double low, double high) {
    if (!LinkUp()) return;
    state_.zoneLow = low;
    state_.zoneHigh = high;
    // A single no-cross point becomes a zone 0.0001 degrees wide.
    if (state_.zoneLow == state_.zoneHigh) state_.zoneHigh += 0.0001;

    // While a move runs the count held here is the last poll's, steps behind the motor:
    // writing it back would redefine the counter under the move and lose its angle. The count
    // convention is applied at the next call made while idle.
    if (!state_.moving) {
        // A positive count above the zone moves to the negative side; never the other way.
        const double stepsPerDegree = UsableStepsPerDegree(state_.stepsPerDegree);
        if (state_.stepCount > 0 && state_.stepCount / stepsPerDegree > state_.zoneHigh) {
            state_.stepCount = RoundToInt32(state_.stepCount - stepsPerDegree * 360);
        }
        link_.StepperSetPos(build_.port, state_.stepCount);
    }
    if (CallSpy* spy = Spy()) spy->TrafficLine(QStringLiteral("SetRotatorNCP"));
}

void OuterWorldControl::PushConfiguration() {
    if (!LinkUp()) return;
    SetZone(state_.zoneLow, state_.zoneHigh);
    const int32_t port = build_.port;
    link_.StepperSetModel(port, state_.motorModel);
    link_.StepperSetHalfstep(port, state_.halfStep);
    link_.StepperSetWireMode(port, state_.wiringMode);
    link_.StepperSetStopPow(port, state_.stoppedPower);
    link_.StepperSetMovePow(port, state_.movingPower);
    link_.StepperSetSpeedRangeUs(port, state_.slowRate, state_.fastRate);
}

void OuterWorldControl::ConfigureController() {
    if (!LinkUp()) return;
    state_.firmwareVersion = link_.SysGetFWVersion();
    link_.StepperSetPos(build_.port, state_.stepCount);
    // Loading the counter ends any move the driver believed under way, before the zone is
    // installed (which writes the counter only while idle).
    state_.moving = false;
    PushConfiguration();
    state_.targetSteps = state_.stepCount;
}

void OuterWorldControl::PollController() {
    // A fresh connection configures the controller (through the on-connect hook) before the
    // position is read in the same tick.
    if (owc_.CheckComms() == OWCSub::Comms::Down) return;
    if (!LinkUp()) return;
    int32_t p = 0;
    if (link_.StepperGetPos(build_.port, &p) != 0) return;
    state_.stepCount = p;
    state_.position = StepsToDegrees(p);
    if (p == state_.targetSteps && state_.moving) {
        state_.moving = false;
        SavePosition(link_, QString::fromLatin1(build_.progId), state_);
    } else if (p != state_.targetSteps && !state_.moving) {
        state_.moving = true;  // a move started elsewhere
    }
}

void OuterWorldControl::SetHorizontal() {
    SetZero();
    SetZone(180, 180);
}

bool OuterWorldControl::SetNewPosition(int32_t degrees) {
    if (!LinkUp()) return false;
    const int32_t steps = RoundToInt32(degrees * UsableStepsPerDegree(state_.stepsPerDegree));
    link_.StepperSetPos(build_.port, steps);
    state_.stepCount = steps;
    // The target follows the counter: otherwise the next poll would take the redefined count
    // for a move started elsewhere and report the rotator moving until the next halt.
    state_.targetSteps = steps;
    return true;
}

}  // namespace korvex::rotator
