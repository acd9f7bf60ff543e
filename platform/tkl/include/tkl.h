// The controller link library's C interface (libtkl.so).
//
// Conventions: 32-bit integers throughout, outputs through int32_t*, UTF-8 strings.
// TKLCommIsUp returns -1 while the link to the controller is up; reads return 0 on success.
// port: 0 MAIN, 1 EXP, 2 THIRD. Bad arguments (null pointers, ports or indexes out of range)
// return a non-zero failure code and never crash. No call blocks for long: with the hub gone a
// call fails within milliseconds.
//
// Failures are -1 (negative). TKLSubArrives: 0 accepted, 1 slot taken by another sub-client,
// 2 no hub answered within about 3 s, -1 bad argument or refused. TKLSubCheckComms: 1 once after
// each (re)connection (including a re-join of a restarted hub; a connection already up when the
// sub-client opens the link counts as seen), -1 while the link is down, else 0.
// While the hub is gone: TKLCommIsUp 0, SysGetFWVersion 0, TKLGetLanguage and TKLGetCommMethod
// the hub's last answer (9 and 0 before any). Thread-safe (one mutex); fork-safe (a child starts
// unattached).
#ifndef KORVEX_TKL_H
#define KORVEX_TKL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The operations drivers call, as one list: X(result type, name, parameter list, argument list).
// Binders (dlsym tables, in-process test tables) expand it instead of repeating the names.
#define TKL_OPERATIONS(X)                                                                      \
    X(int32_t, TKLCommIsUp, (void), ())                                                       \
    X(int32_t, TKLMainIsPresent, (void), ())                                                  \
    X(int32_t, TKLSubArrives, (int32_t port, int32_t kind, const char* name),                 \
      (port, kind, name))                                                                     \
    X(void, TKLSubOpen, (void), ())                                                           \
    X(void, TKLSubClose, (void), ())                                                          \
    X(void, TKLSubExits, (void), ())                                                          \
    X(int32_t, TKLSubCheckComms, (void), ())                                                  \
    X(int32_t, TKLGetLanguage, (void), ())                                                    \
    X(int32_t, TKLGetCommMethod, (void), ())                                                  \
    X(void, traza, (const char* text), (text))                                                \
    X(int32_t, SysGetFWVersion, (void), ())                                                   \
    X(int32_t, ReadFromRegHKCU, (const char* path, const char* name, char* buffer,            \
                                 int32_t* length), (path, name, buffer, length))              \
    X(int32_t, SaveToRegHKCU, (const char* path, const char* name, const char* value),        \
      (path, name, value))                                                                    \
    X(int32_t, StepperGoto, (int32_t port, int32_t steps), (port, steps))                     \
    X(int32_t, StepperGotoBlash, (int32_t port, int32_t steps, int32_t backlash),             \
      (port, steps, backlash))                                                                \
    X(int32_t, StepperGotoODB, (int32_t port, int32_t steps, int32_t backlash),               \
      (port, steps, backlash))                                                                \
    X(int32_t, StepperGetPos, (int32_t port, int32_t* pos), (port, pos))                      \
    X(int32_t, StepperSetPos, (int32_t port, int32_t steps), (port, steps))                   \
    X(int32_t, StepperStop, (int32_t port), (port))                                           \
    X(int32_t, StepperSetModel, (int32_t port, int32_t model), (port, model))                 \
    X(int32_t, StepperSetHalfstep, (int32_t port, int32_t half), (port, half))                \
    X(int32_t, StepperSetWireMode, (int32_t port, int32_t mode), (port, mode))                \
    X(int32_t, StepperSetStopPow, (int32_t port, int32_t power), (port, power))               \
    X(int32_t, StepperSetMovePow, (int32_t port, int32_t power), (port, power))               \
    X(int32_t, StepperSetSpeedRangeUs, (int32_t port, int32_t slowUs, int32_t fastUs),        \
      (port, slowUs, fastUs))                                                                 \
    X(int32_t, StepperSetSpeed, (int32_t port, int32_t ms), (port, ms))                       \
    X(int32_t, ReadCalibIntTempSensor, (int32_t* tenths), (tenths))                           \
    X(int32_t, ReadCalibExtTempSensor, (int32_t* tenths), (tenths))                           \
    X(int32_t, ReadAnalog, (int32_t bank, int32_t channel, int32_t* value),                   \
      (bank, channel, value))                                                                 \
    X(int32_t, WriteDigital, (int32_t port, int32_t pin, int32_t value), (port, pin, value))  \
    X(int32_t, RelioRelayRead, (int32_t port, int32_t index, int32_t* state),                 \
      (port, index, state))                                                                   \
    X(int32_t, RelioRelaySet, (int32_t port, int32_t index, int32_t value, int32_t* state),   \
      (port, index, value, state))                                                            \
    X(int32_t, RelioRelayChange, (int32_t port, int32_t index, int32_t* state),               \
      (port, index, state))                                                                   \
    X(int32_t, RelioRelayPulse, (int32_t port, int32_t index, int32_t periodMs,               \
                                 int32_t* state), (port, index, periodMs, state))             \
    X(int32_t, RelioInputAnRead, (int32_t port, int32_t index, int32_t* value),               \
      (port, index, value))                                                                   \
    X(int32_t, RelioInputDigRead, (int32_t port, int32_t index, int32_t* value),              \
      (port, index, value))

#define TKL_DECLARE_(ret, name, params, args) ret name params;
TKL_OPERATIONS(TKL_DECLARE_)
#undef TKL_DECLARE_

#ifdef __cplusplus
}
#endif

#endif
