#include "korvex/sim/controller.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace korvex::sim {
namespace {

constexpr int32_t kFail = -1;
constexpr int32_t kMaxRaw = 1023;
constexpr int32_t kDigitalThreshold = 512;  // a digital input is active above this reading
constexpr int32_t kMaxPower = 1024;

const SteadyClock& MachineClock() {
    static const SteadyClock clock;
    return clock;
}

bool ValidPort(int32_t port) { return port >= 0 && port < kPorts; }
bool ValidIndex(int32_t index, int32_t count) { return index >= 0 && index < count; }

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int64_t PositiveMod(int64_t v, int64_t m) {
    const int64_t r = v % m;
    return r < 0 ? r + m : r;
}

}  // namespace

const char* MoveKindName(MoveKind kind) {
    switch (kind) {
        case MoveKind::Goto:
            return "goto";
        case MoveKind::Blash:
            return "blash";
        case MoveKind::Odb:
            return "odb";
        case MoveKind::None:
            break;
    }
    return "none";
}

Controller::Controller() : Controller(MachineClock()) {}

Controller::Controller(const Clock& clock) : clock_(&clock) {
    for (auto& port : inputs_) port.fill(0);
    for (auto& port : digital_) port.fill(0);
}

// --- failure handling ---

bool Controller::ConsumeFailure(Op op, int32_t port, int32_t index) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->op != op) continue;
        if (it->port != kAny && it->port != port) continue;
        if (it->index != kAny && it->index != index) continue;
        if (it->times != kForever && --it->times <= 0) failures_.erase(it);
        return true;
    }
    return false;
}

bool Controller::Refuse(Op op, int32_t port, int32_t index) {
    return !plugged_ || ConsumeFailure(op, port, index);
}

void Controller::InjectFailure(Op op, int32_t port, int32_t index, int32_t times) {
    if (times == 0 || times < kForever) return;
    failures_.push_back(FailureRule{op, port, index, times});
}

void Controller::ClearFailures() { failures_.clear(); }

void Controller::ClearFailures(Op op) {
    std::erase_if(failures_, [op](const FailureRule& r) { return r.op == op; });
}

// --- link state ---

int32_t Controller::TKLCommIsUp() {
    if (!plugged_ || ConsumeFailure(Op::TKLCommIsUp)) return 0;
    return -1;
}

int32_t Controller::TKLGetLanguage() {
    return ConsumeFailure(Op::TKLGetLanguage) ? kFail : language_;
}

int32_t Controller::TKLGetCommMethod() {
    return ConsumeFailure(Op::TKLGetCommMethod) ? kFail : commMethod_;
}

int32_t Controller::SysGetFWVersion() {
    if (!plugged_) return 0;
    return ConsumeFailure(Op::SysGetFWVersion) ? kFail : firmware_;
}

void Controller::Unplug() {
    for (int32_t p = 0; p < kPorts; ++p) {
        Settle(p);
        motors_[p].state.moving = false;
    }
    plugged_ = false;
}

void Controller::Plug() {
    if (plugged_) return;
    plugged_ = true;
    ++connectCount_;
}

// --- motion ---

int64_t Controller::IntervalUs(int32_t port) const {
    const StepperState& s = motors_[port].state;
    const double base = std::min(s.slowUs, s.fastUs);
    return std::max<int64_t>(1, std::llround(base / speedScale_));
}

// Brings the motor's counter and shaft up to the clock: whole steps only, the remainder of a
// step stays in legStartUs.
void Controller::Settle(int32_t port) const {
    Motor& m = motors_[port];
    if (!m.state.moving) return;
    const int64_t now = clock_->NowUs();
    const int64_t interval = IntervalUs(port);
    while (m.state.moving) {
        const int64_t goal = m.legs[m.leg];
        const int64_t dist = goal > m.legStartPos ? goal - m.legStartPos : m.legStartPos - goal;
        const int64_t elapsed = now - m.legStartUs;
        const int64_t steps = elapsed <= 0 ? 0 : elapsed / interval;
        int64_t pos;
        if (steps >= dist) {
            pos = goal;
            m.legStartUs += dist * interval;
            m.legStartPos = goal;
            if (++m.leg >= m.legCount) m.state.moving = false;
        } else {
            pos = m.legStartPos + (goal > m.legStartPos ? steps : -steps);
        }
        m.state.travel += pos - m.state.position;
        m.state.position = static_cast<int32_t>(pos);
        if (steps < dist) break;
    }
}

// Restarts the current leg from the present count, so a new speed applies from now on.
void Controller::Rebase(int32_t port) const {
    Motor& m = motors_[port];
    if (!m.state.moving) return;
    m.legStartUs = clock_->NowUs();
    m.legStartPos = m.state.position;
}

int32_t Controller::StartMove(Op op, int32_t port, int32_t steps, int32_t backlash, MoveKind kind) {
    if (!ValidPort(port) || Refuse(op, port)) return kFail;
    Settle(port);
    Motor& m = motors_[port];
    StepperState& s = m.state;
    const int32_t from = s.position;
    s.target = steps;
    s.lastKind = kind;
    s.lastBacklash = backlash;
    m.leg = 0;
    m.legCount = 0;
    if (kind != MoveKind::Goto && backlash != 0 && steps != from) {
        const int64_t over = std::llabs(static_cast<int64_t>(backlash));
        m.legs[m.legCount++] =
            ClampToInt32(steps > from ? int64_t{steps} + over : int64_t{steps} - over);
    }
    m.legs[m.legCount++] = steps;
    if (steps == from) {
        s.moving = false;
        return 0;
    }
    if (instant_) {
        s.travel += int64_t{steps} - from;
        s.position = steps;
        s.moving = false;
        return 0;
    }
    m.legStartUs = clock_->NowUs();
    m.legStartPos = from;
    s.moving = true;
    return 0;
}

int32_t Controller::StepperGoto(int32_t port, int32_t steps) {
    return StartMove(Op::StepperGoto, port, steps, 0, MoveKind::Goto);
}

int32_t Controller::StepperGotoBlash(int32_t port, int32_t steps, int32_t backlash) {
    return StartMove(Op::StepperGotoBlash, port, steps, backlash, MoveKind::Blash);
}

int32_t Controller::StepperGotoODB(int32_t port, int32_t steps, int32_t backlash) {
    return StartMove(Op::StepperGotoODB, port, steps, backlash, MoveKind::Odb);
}

int32_t Controller::StepperGetPos(int32_t port, int32_t* pos) {
    if (!pos || !ValidPort(port) || Refuse(Op::StepperGetPos, port)) return kFail;
    Settle(port);
    *pos = motors_[port].state.position;
    return 0;
}

int32_t Controller::StepperSetPos(int32_t port, int32_t steps) {
    if (!ValidPort(port) || Refuse(Op::StepperSetPos, port)) return kFail;
    Settle(port);
    StepperState& s = motors_[port].state;
    s.moving = false;
    s.position = steps;
    s.target = steps;
    return 0;
}

int32_t Controller::StepperStop(int32_t port) {
    if (!ValidPort(port) || Refuse(Op::StepperStop, port)) return kFail;
    Settle(port);
    motors_[port].state.moving = false;
    return 0;
}

int32_t Controller::SetSetting(Op op, int32_t port, int32_t value, int32_t lo, int32_t hi,
                               int32_t StepperState::*field) {
    if (!ValidPort(port) || value < lo || value > hi || Refuse(op, port)) return kFail;
    motors_[port].state.*field = value;
    return 0;
}

int32_t Controller::StepperSetModel(int32_t port, int32_t model) {
    return SetSetting(Op::StepperSetModel, port, model, 0, 3, &StepperState::model);
}

int32_t Controller::StepperSetHalfstep(int32_t port, int32_t half) {
    return SetSetting(Op::StepperSetHalfstep, port, half, 0, 1, &StepperState::halfStep);
}

int32_t Controller::StepperSetWireMode(int32_t port, int32_t mode) {
    return SetSetting(Op::StepperSetWireMode, port, mode, 0, 3, &StepperState::wireMode);
}

int32_t Controller::StepperSetStopPow(int32_t port, int32_t power) {
    return SetSetting(Op::StepperSetStopPow, port, power, 0, kMaxPower, &StepperState::stopPower);
}

int32_t Controller::StepperSetMovePow(int32_t port, int32_t power) {
    return SetSetting(Op::StepperSetMovePow, port, power, 0, kMaxPower, &StepperState::movePower);
}

int32_t Controller::StepperSetSpeedRangeUs(int32_t port, int32_t slowUs, int32_t fastUs) {
    if (!ValidPort(port) || slowUs <= 0 || fastUs <= 0 ||
        Refuse(Op::StepperSetSpeedRangeUs, port)) {
        return kFail;
    }
    Settle(port);
    StepperState& s = motors_[port].state;
    s.slowUs = slowUs;
    s.fastUs = fastUs;
    Rebase(port);
    return 0;
}

int32_t Controller::StepperSetSpeed(int32_t port, int32_t ms) {
    // Up to a minute per step; beyond that microseconds would not fit 32 bits anyway.
    if (!ValidPort(port) || ms <= 0 || ms > 60000 || Refuse(Op::StepperSetSpeed, port)) {
        return kFail;
    }
    Settle(port);
    StepperState& s = motors_[port].state;
    s.speedMs = ms;
    s.slowUs = s.fastUs = ms * 1000;
    Rebase(port);
    return 0;
}

void Controller::SetInstantMoves(bool on) {
    instant_ = on;
    if (!on) return;
    for (int32_t p = 0; p < kPorts; ++p) {
        Settle(p);
        Motor& m = motors_[p];
        if (!m.state.moving) continue;
        m.state.travel += int64_t{m.state.target} - m.state.position;
        m.state.position = m.state.target;
        m.state.moving = false;
    }
}

bool Controller::SetSpeedScale(double scale) {
    if (!(scale > 0) || !std::isfinite(scale)) return false;
    for (int32_t p = 0; p < kPorts; ++p) Settle(p);
    speedScale_ = scale;
    for (int32_t p = 0; p < kPorts; ++p) Rebase(p);
    return true;
}

// --- sensors and outputs ---

int32_t Controller::ReadCalibIntTempSensor(int32_t* tenths) {
    if (!tenths || Refuse(Op::ReadCalibIntTempSensor)) return kFail;
    *tenths = intTemp_;
    return 0;
}

int32_t Controller::ReadCalibExtTempSensor(int32_t* tenths) {
    if (!tenths || Refuse(Op::ReadCalibExtTempSensor)) return kFail;
    *tenths = extTemp_;
    return 0;
}

int32_t Controller::ReadAnalog(int32_t bank, int32_t channel, int32_t* value) {
    if (!value || bank != 1 || channel != 8 || Refuse(Op::ReadAnalog, bank, channel)) {
        return kFail;
    }
    *value = WheelSensor();
    return 0;
}

int32_t Controller::WriteDigital(int32_t port, int32_t pin, int32_t value) {
    if (!ValidPort(port) || pin < 1 || pin > kDigitalPins || Refuse(Op::WriteDigital, port, pin)) {
        return kFail;
    }
    digital_[port][pin - 1] = value;
    return 0;
}

bool Controller::SetWheelMarks(const WheelMarks& marks) {
    if (marks.turnSteps < 1 || marks.width < 1) return false;
    for (int32_t m : marks.marks) {
        if (m < 0 || m >= marks.turnSteps) return false;
    }
    wheel_ = marks;
    return true;
}

int32_t Controller::WheelSensor() const {
    const int64_t travel = Stepper(kWheelPort).travel;
    const int64_t turn = wheel_.turnSteps;
    const int64_t phase = PositiveMod(int64_t{wheel_.offset} - travel, turn);
    for (int32_t m : wheel_.marks) {
        if (PositiveMod(phase - m, turn) < wheel_.width) return wheel_.markReading;
    }
    return wheel_.gapReading;
}

// --- relays and inputs ---

Controller::Relay& Controller::SettledRelay(int32_t port, int32_t index) const {
    Relay& r = relays_[port][index];
    if (r.pulsing && clock_->NowUs() >= r.pulseEndUs) {
        r.pulsing = false;
        r.closed = false;
    }
    return r;
}

int32_t Controller::RelioRelayRead(int32_t port, int32_t index, int32_t* state) {
    if (!state || !ValidPort(port) || !ValidIndex(index, kRelays) ||
        Refuse(Op::RelioRelayRead, port, index)) {
        return kFail;
    }
    *state = SettledRelay(port, index).closed ? 1 : 0;
    return 0;
}

int32_t Controller::RelioRelaySet(int32_t port, int32_t index, int32_t value, int32_t* state) {
    if (!state || !ValidPort(port) || !ValidIndex(index, kRelays) ||
        Refuse(Op::RelioRelaySet, port, index)) {
        return kFail;
    }
    Relay& r = relays_[port][index];
    r.pulsing = false;
    r.closed = value != 0;
    *state = r.closed ? 1 : 0;
    return 0;
}

int32_t Controller::RelioRelayChange(int32_t port, int32_t index, int32_t* state) {
    if (!state || !ValidPort(port) || !ValidIndex(index, kRelays) ||
        Refuse(Op::RelioRelayChange, port, index)) {
        return kFail;
    }
    Relay& r = SettledRelay(port, index);
    r.pulsing = false;
    r.closed = !r.closed;
    *state = r.closed ? 1 : 0;
    return 0;
}

int32_t Controller::RelioRelayPulse(int32_t port, int32_t index, int32_t periodMs, int32_t* state) {
    if (!state || periodMs < 0 || !ValidPort(port) || !ValidIndex(index, kRelays) ||
        Refuse(Op::RelioRelayPulse, port, index)) {
        return kFail;
    }
    Relay& r = relays_[port][index];
    r.closed = true;
    r.pulsing = true;
    r.pulseEndUs = clock_->NowUs() + int64_t{periodMs} * 1000;
    *state = SettledRelay(port, index).closed ? 1 : 0;
    return 0;
}

int32_t Controller::RelioInputAnRead(int32_t port, int32_t index, int32_t* value) {
    if (!value || !ValidPort(port) || !ValidIndex(index, kInputs) ||
        Refuse(Op::RelioInputAnRead, port, index)) {
        return kFail;
    }
    *value = inputs_[port][index];
    return 0;
}

int32_t Controller::RelioInputDigRead(int32_t port, int32_t index, int32_t* value) {
    if (!value || !ValidPort(port) || !ValidIndex(index, kInputs) ||
        Refuse(Op::RelioInputDigRead, port, index)) {
        return kFail;
    }
    *value = inputs_[port][index] > kDigitalThreshold ? 1 : 0;
    return 0;
}

bool Controller::SetAnalogInput(int32_t port, int32_t index, int32_t raw) {
    if (!ValidPort(port) || !ValidIndex(index, kInputs) || raw < 0 || raw > kMaxRaw) {
        return false;
    }
    inputs_[port][index] = raw;
    return true;
}

bool Controller::SetRelay(int32_t port, int32_t index, bool closed) {
    if (!ValidPort(port) || !ValidIndex(index, kRelays)) return false;
    Relay& r = relays_[port][index];
    r.pulsing = false;
    r.closed = closed;
    return true;
}

// --- observation ---

StepperState Controller::Stepper(int32_t port) const {
    if (!ValidPort(port)) return {};
    Settle(port);
    return motors_[port].state;
}

bool Controller::RelayClosed(int32_t port, int32_t index) const {
    if (!ValidPort(port) || !ValidIndex(index, kRelays)) return false;
    return SettledRelay(port, index).closed;
}

int32_t Controller::AnalogInput(int32_t port, int32_t index) const {
    if (!ValidPort(port) || !ValidIndex(index, kInputs)) return 0;
    return inputs_[port][index];
}

int32_t Controller::DigitalOutput(int32_t port, int32_t pin) const {
    if (!ValidPort(port) || pin < 1 || pin > kDigitalPins) return 0;
    return digital_[port][pin - 1];
}

}  // namespace korvex::sim
