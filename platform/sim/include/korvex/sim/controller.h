// The simulated controller: three stepper ports, a relay box of eight relays and eight inputs per
// port, digital outputs, two temperature sensors and the filter-wheel mark sensor.
//
// Motion is computed lazily from the clock (no thread): a stepper moves one step every travel
// interval toward its target, so StepperGetPos shows intermediate counts. Travel interval = the
// fast rate (the smaller of StepperSetSpeedRangeUs' two values; StepperSetSpeed(ms) sets both to
// ms * 1000), divided by the speed scale. Default 10000 us (100 steps/s).
//
// Rules the drivers rely on:
// - StepperStop stops at once, at the current count.
// - StepperSetPos redefines the counter without motion; a move in progress stops there.
// - StepperGotoBlash and StepperGotoODB first go |backlash| steps past the target in the
//   direction of travel, then come back and end on the target (the driver decides when to call
//   them: on reversals, or always in one direction so the final approach is from one side). A
//   move to the current count has no direction and no overshoot.
// - Relays: set (0 open, non-zero closed), change (toggle), pulse (closed for the period, then
//   open by itself); out = the state right after the call, 0 open / 1 closed.
// - Inputs: raw readings 0..1023 set from outside; digital read = 1 when the reading is above 512.
// - ReadAnalog(1, 8, v) is the filter-wheel mark sensor (see WheelMarks); other banks and
//   channels are refused.
// - While unplugged every hardware call fails with -1 (steppers freeze where they are),
//   TKLCommIsUp is 0 and SysGetFWVersion 0; language and comm method still answer.
// - Bad arguments (null pointer, port outside 0..2, index outside its range, value outside its
//   range) return -1 and change nothing.
//
// Not thread-safe: one owner (the hub's loop, or a single-threaded test).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "korvex/hardware.h"
#include "korvex/sim/clock.h"
#include "korvex/sim/op.h"

namespace korvex::sim {

inline constexpr int32_t kPorts = 3;
inline constexpr int32_t kRelays = 8;
inline constexpr int32_t kInputs = 8;
inline constexpr int32_t kDigitalPins = 8;  // pins 1..8
inline constexpr int32_t kWheelPort = 2;    // the mark sensor watches the THIRD-port stepper
inline constexpr int32_t kAny = -1;         // failure rule matching any port or index
inline constexpr int32_t kForever = -1;     // failure rule that stays until cleared

// The command that started a stepper's latest move.
enum class MoveKind { None, Goto, Blash, Odb };
const char* MoveKindName(MoveKind kind);  // "none", "goto", "blash", "odb"

struct StepperState {
    int32_t position = 0;  // the controller's counter (what StepperGetPos reports)
    int32_t target = 0;    // final target of the latest move
    bool moving = false;
    MoveKind lastKind = MoveKind::None;
    int32_t lastBacklash = 0;  // backlash argument of the latest move (0 for StepperGoto)
    int32_t model = 0;         // 0..3
    int32_t halfStep = 0;      // 0/1
    int32_t wireMode = 0;      // 0..3
    int32_t stopPower = 0;     // 0..1024
    int32_t movePower = 1024;  // 0..1024
    int32_t slowUs = 10000;    // microseconds between steps
    int32_t fastUs = 10000;
    int32_t speedMs = 10;  // last StepperSetSpeed value
    // Net steps actually moved since the controller was created (+ toward larger counts).
    // StepperSetPos does not change it: it is the shaft, not the counter.
    int64_t travel = 0;
};

// The filter wheel on the THIRD-port stepper, seen by the mark sensor. The wheel's phase, in
// steps 0..turnSteps-1, grows as the stepper moves toward smaller counts (the direction of a
// search run): phase = (offset - travel) mod turnSteps. A mark at m covers phases
// [m, m + width). Default: six marks a turn, slot 1 carrying two marks 40 steps apart, then
// slots 2..5 each 240 steps further; width 12 steps (360 ms at 30 ms per step, so a 50 ms poll
// sees it); a turn of 1200 steps, so every slot is found within 1800 steps of travel.
struct WheelMarks {
    int32_t turnSteps = 1200;
    int32_t width = 12;
    std::vector<int32_t> marks = {0, 40, 280, 520, 760, 1000};
    int32_t offset = 600;        // phase at travel 0: between slot 3 and slot 4
    int32_t markReading = 1010;  // sensor reading on a mark (>= 996)
    int32_t gapReading = 120;    // sensor reading between marks (<= 995)
};

struct FailureRule {
    Op op;
    int32_t port = kAny;   // stepper/relay/digital port, ReadAnalog bank; kAny matches all
    int32_t index = kAny;  // relay/input index, digital pin, ReadAnalog channel; kAny matches all
    int32_t times = kForever;  // calls left to fail
};

class Controller final : public Hardware {
  public:
    // Uses the machine's monotonic clock.
    Controller();
    // Uses `clock`, which must outlive the controller.
    explicit Controller(const Clock& clock);

    // --- link operations (Hardware) ---
    int32_t TKLCommIsUp() override;
    bool LinkUp() const override { return plugged_; }
    uint64_t ConnectCount() const override { return connectCount_; }
    int32_t TKLGetLanguage() override;
    int32_t TKLGetCommMethod() override;
    int32_t SysGetFWVersion() override;
    int32_t StepperGoto(int32_t port, int32_t steps) override;
    int32_t StepperGotoBlash(int32_t port, int32_t steps, int32_t backlash) override;
    int32_t StepperGotoODB(int32_t port, int32_t steps, int32_t backlash) override;
    int32_t StepperGetPos(int32_t port, int32_t* pos) override;
    int32_t StepperSetPos(int32_t port, int32_t steps) override;
    int32_t StepperStop(int32_t port) override;
    int32_t StepperSetModel(int32_t port, int32_t model) override;
    int32_t StepperSetHalfstep(int32_t port, int32_t half) override;
    int32_t StepperSetWireMode(int32_t port, int32_t mode) override;
    int32_t StepperSetStopPow(int32_t port, int32_t power) override;
    int32_t StepperSetMovePow(int32_t port, int32_t power) override;
    int32_t StepperSetSpeedRangeUs(int32_t port, int32_t slowUs, int32_t fastUs) override;
    int32_t StepperSetSpeed(int32_t port, int32_t ms) override;
    int32_t ReadCalibIntTempSensor(int32_t* tenths) override;
    int32_t ReadCalibExtTempSensor(int32_t* tenths) override;
    int32_t ReadAnalog(int32_t bank, int32_t channel, int32_t* value) override;
    int32_t WriteDigital(int32_t port, int32_t pin, int32_t value) override;
    int32_t RelioRelayRead(int32_t port, int32_t index, int32_t* state) override;
    int32_t RelioRelaySet(int32_t port, int32_t index, int32_t value, int32_t* state) override;
    int32_t RelioRelayChange(int32_t port, int32_t index, int32_t* state) override;
    int32_t RelioRelayPulse(int32_t port, int32_t index, int32_t periodMs, int32_t* state) override;
    int32_t RelioInputAnRead(int32_t port, int32_t index, int32_t* value) override;
    int32_t RelioInputDigRead(int32_t port, int32_t index, int32_t* value) override;

    // --- the outside world (tests, korvex-hub ctl) ---
    // Unplug stops every stepper where it is; Plug counts a new connection (ConnectCount + 1).
    void Unplug();
    void Plug();
    bool Plugged() const { return plugged_; }

    void SetLanguage(int32_t id) { language_ = id; }
    void SetCommMethod(int32_t method) { commMethod_ = method; }
    void SetFirmwareVersion(int32_t version) { firmware_ = version; }
    void SetInternalTemp(int32_t tenths) { intTemp_ = tenths; }
    void SetExternalTemp(int32_t tenths) { extTemp_ = tenths; }
    // Raw reading 0..1023; false (nothing changed) when an argument is out of range.
    bool SetAnalogInput(int32_t port, int32_t index, int32_t raw);
    // Forces a relay open or closed (ends a pulse); false when out of range.
    bool SetRelay(int32_t port, int32_t index, bool closed);

    // Instant moves: every move ends on its target at the moment it is commanded.
    void SetInstantMoves(bool on);
    bool InstantMoves() const { return instant_; }
    // Speed scale > 0: 10 makes every move ten times faster. false when scale <= 0.
    bool SetSpeedScale(double scale);
    double SpeedScale() const { return speedScale_; }

    // false (nothing changed) for a model with turnSteps < 1, width < 1 or a mark outside
    // 0..turnSteps-1.
    bool SetWheelMarks(const WheelMarks& marks);
    const WheelMarks& GetWheelMarks() const { return wheel_; }

    // Makes `op` fail (result -1; TKLCommIsUp 0, TKLMainIsPresent 0, TKLSubArrives refused,
    // TKLSubCheckComms -1, void operations do nothing) for calls matching port and index, for
    // `times` calls or until cleared. Rules are checked in order; the first match is used.
    void InjectFailure(Op op, int32_t port = kAny, int32_t index = kAny, int32_t times = kForever);
    void ClearFailures();
    void ClearFailures(Op op);
    const std::vector<FailureRule>& Failures() const { return failures_; }
    // True when a rule matches (and counts the call against it). The controller calls it for
    // its own operations; bindings call it for the operations they serve themselves
    // (attachment, reconnection check, store, trace).
    bool ConsumeFailure(Op op, int32_t port = kAny, int32_t index = kAny);

    // --- observation (motion brought up to the clock's now) ---
    StepperState Stepper(int32_t port) const;  // port outside 0..2: a default state
    bool RelayClosed(int32_t port, int32_t index) const;
    int32_t AnalogInput(int32_t port, int32_t index) const;
    int32_t DigitalOutput(int32_t port, int32_t pin) const;  // last value written, 0 at start
    int32_t WheelSensor() const;                             // what ReadAnalog(1, 8) would read
    int32_t Language() const { return language_; }
    int32_t CommMethod() const { return commMethod_; }
    int32_t FirmwareVersion() const { return firmware_; }
    int32_t InternalTemp() const { return intTemp_; }
    int32_t ExternalTemp() const { return extTemp_; }
    const Clock& GetClock() const { return *clock_; }

  private:
    struct Motor;
    struct Relay {
        bool closed = false;
        bool pulsing = false;  // closed until pulseEndUs, then open by itself
        int64_t pulseEndUs = 0;
    };

    int32_t StartMove(Op op, int32_t port, int32_t steps, int32_t backlash, MoveKind kind);
    void Settle(int32_t port) const;
    void Rebase(int32_t port) const;
    int64_t IntervalUs(int32_t port) const;
    Relay& SettledRelay(int32_t port, int32_t index) const;
    bool Refuse(Op op, int32_t port = kAny, int32_t index = kAny);
    int32_t SetSetting(Op op, int32_t port, int32_t value, int32_t lo, int32_t hi,
                       int32_t StepperState::*field);

    const Clock* clock_;
    bool plugged_ = true;
    uint64_t connectCount_ = 1;
    int32_t language_ = 9;
    int32_t commMethod_ = 0;
    int32_t firmware_ = 1250;
    int32_t intTemp_ = 200;
    int32_t extTemp_ = 150;
    bool instant_ = false;
    double speedScale_ = 1.0;
    WheelMarks wheel_;
    std::vector<FailureRule> failures_;

    struct Motor {
        StepperState state;
        // Legs of the move in progress: an overshoot point, then the target.
        std::array<int32_t, 2> legs{};
        int32_t legCount = 0;
        int32_t leg = 0;
        int64_t legStartUs = 0;
        int64_t legStartPos = 0;
    };
    mutable std::array<Motor, kPorts> motors_{};
    mutable std::array<std::array<Relay, kRelays>, kPorts> relays_{};
    std::array<std::array<int32_t, kInputs>, kPorts> inputs_{};
    std::array<std::array<int32_t, kDigitalPins>, kPorts> digital_{};
};

}  // namespace korvex::sim
