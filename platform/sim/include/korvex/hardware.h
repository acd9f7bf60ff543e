// The controller as the hub sees it: one call per hardware operation of the link library, with
// the library's result conventions (0 = success for commands and reads, -1 = failure; every
// failure is negative). The simulated controller implements it; a real transport would too.
//
// Ports: 0 MAIN, 1 EXP, 2 THIRD. Relays and inputs: index 0..7 per port. Digital outputs: pins
// 1..8 per port. Temperatures in tenths of a degree Celsius. Step counts are 32-bit signed.
#pragma once

#include <cstdint>

namespace korvex {

class Hardware {
  public:
    virtual ~Hardware() = default;

    // -1 while the link to the controller is up, 0 while it is down (or made to fail).
    virtual int32_t TKLCommIsUp() = 0;
    // The link's real state, for bookkeeping: no failure injection, no side effects.
    virtual bool LinkUp() const = 0;
    // How many times the link has come up so far (1 for a controller plugged from the start). A
    // change tells a sub-client that the link (re)connected since it last looked.
    virtual uint64_t ConnectCount() const = 0;
    // Hub language id (9 English, 3082 Spanish) and link kind (1 = network); both are known
    // while the link is down.
    virtual int32_t TKLGetLanguage() = 0;
    virtual int32_t TKLGetCommMethod() = 0;
    // Firmware number; 0 while the link is down.
    virtual int32_t SysGetFWVersion() = 0;

    virtual int32_t StepperGoto(int32_t port, int32_t steps) = 0;
    virtual int32_t StepperGotoBlash(int32_t port, int32_t steps, int32_t backlash) = 0;
    virtual int32_t StepperGotoODB(int32_t port, int32_t steps, int32_t backlash) = 0;
    virtual int32_t StepperGetPos(int32_t port, int32_t* pos) = 0;
    virtual int32_t StepperSetPos(int32_t port, int32_t steps) = 0;
    virtual int32_t StepperStop(int32_t port) = 0;
    virtual int32_t StepperSetModel(int32_t port, int32_t model) = 0;
    virtual int32_t StepperSetHalfstep(int32_t port, int32_t half) = 0;
    virtual int32_t StepperSetWireMode(int32_t port, int32_t mode) = 0;
    virtual int32_t StepperSetStopPow(int32_t port, int32_t power) = 0;
    virtual int32_t StepperSetMovePow(int32_t port, int32_t power) = 0;
    virtual int32_t StepperSetSpeedRangeUs(int32_t port, int32_t slowUs, int32_t fastUs) = 0;
    virtual int32_t StepperSetSpeed(int32_t port, int32_t ms) = 0;

    virtual int32_t ReadCalibIntTempSensor(int32_t* tenths) = 0;
    virtual int32_t ReadCalibExtTempSensor(int32_t* tenths) = 0;
    virtual int32_t ReadAnalog(int32_t bank, int32_t channel, int32_t* value) = 0;
    virtual int32_t WriteDigital(int32_t port, int32_t pin, int32_t value) = 0;

    virtual int32_t RelioRelayRead(int32_t port, int32_t index, int32_t* state) = 0;
    virtual int32_t RelioRelaySet(int32_t port, int32_t index, int32_t value, int32_t* state) = 0;
    virtual int32_t RelioRelayChange(int32_t port, int32_t index, int32_t* state) = 0;
    virtual int32_t RelioRelayPulse(int32_t port, int32_t index, int32_t periodMs,
                                    int32_t* state) = 0;
    virtual int32_t RelioInputAnRead(int32_t port, int32_t index, int32_t* value) = 0;
    virtual int32_t RelioInputDigRead(int32_t port, int32_t index, int32_t* value) = 0;
};

// One sub-client's view of the link: TKLSubCheckComms semantics.
class ConnectionWatch {
  public:
    // 1 exactly once after each (re)connection of the link (and once after the first look when
    // it is up), below 0 while the link is down, 0 otherwise.
    int32_t Check(Hardware& hw) {
        if (!hw.LinkUp()) return -1;
        const uint64_t now = hw.ConnectCount();
        if (now == seen_) return 0;
        seen_ = now;
        return 1;
    }
    // Forget what was seen: the next Check while up gives 1 (a fresh attachment).
    void Reset() { seen_ = 0; }
    // The sub-client has taken the connection in place as it is: it configures its device when
    // it opens the link while the link is up, so only a later (re)connection reports 1. Without
    // this the first poll would configure again and undo a move started in between.
    void See(Hardware& hw) {
        if (hw.LinkUp()) seen_ = hw.ConnectCount();
    }

  private:
    uint64_t seen_ = 0;
};

}  // namespace korvex
