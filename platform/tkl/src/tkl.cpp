// libtkl.so: the link library's C interface, a client of korvex-hub.
//
// Result conventions: commands and reads return 0 on success and -1 on failure (bad argument,
// hub unreachable, controller unplugged, failure injected); outputs are written only on success.
// While the hub cannot be reached: TKLCommIsUp 0, TKLSubCheckComms -1, SysGetFWVersion 0,
// TKLGetLanguage and TKLGetCommMethod the hub's last answer. Sends use MSG_NOSIGNAL: a hub that
// vanishes never raises SIGPIPE in the driver.
#include "tkl.h"

#include "korvex/hub/protocol.h"
#include "korvex/sim/op.h"
#include "korvex/store.h"
#include "link_client.h"

#define KORVEX_TKL_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using korvex::hub::Reply;
using korvex::hub::Request;
using korvex::sim::Op;
using korvex::tkl::LinkClient;

constexpr int32_t kFail = -1;

// A command or read: rc from the hub, or -1 when the hub cannot be reached.
inline int32_t Send(Op op, int32_t port = 0, int32_t a = 0, int32_t b = 0, int32_t* out = nullptr) {
    Reply rep;
    if (!LinkClient::Get().Call(Request{static_cast<int32_t>(op), port, a, b}, rep)) return kFail;
    if (out && rep.rc == 0) *out = rep.out;
    return rep.rc;
}

inline int32_t Read(Op op, int32_t port, int32_t a, int32_t b, int32_t* out) {
    return out ? Send(op, port, a, b, out) : kFail;
}

}  // namespace

KORVEX_TKL_EXPORT int32_t TKLCommIsUp(void) {
    Reply rep;
    const Request req{static_cast<int32_t>(Op::TKLCommIsUp), 0, 0, 0};
    return LinkClient::Get().Call(req, rep) ? rep.rc : 0;
}

KORVEX_TKL_EXPORT int32_t TKLMainIsPresent(void) { return LinkClient::Get().HubPresent(); }

KORVEX_TKL_EXPORT int32_t TKLSubArrives(int32_t port, int32_t kind, const char* name) {
    return LinkClient::Get().Join(port, kind, name);
}

KORVEX_TKL_EXPORT void TKLSubOpen(void) { Send(Op::TKLSubOpen); }

KORVEX_TKL_EXPORT void TKLSubClose(void) { Send(Op::TKLSubClose); }

KORVEX_TKL_EXPORT void TKLSubExits(void) { LinkClient::Get().Leave(); }

KORVEX_TKL_EXPORT int32_t TKLSubCheckComms(void) { return Send(Op::TKLSubCheckComms); }

KORVEX_TKL_EXPORT int32_t TKLGetLanguage(void) {
    Reply rep;
    LinkClient& link = LinkClient::Get();
    if (!link.Call(Request{static_cast<int32_t>(Op::TKLGetLanguage), 0, 0, 0}, rep)) {
        return link.CachedLanguage();
    }
    if (rep.rc > 0) link.RememberLanguage(rep.rc);
    return rep.rc;
}

KORVEX_TKL_EXPORT int32_t TKLGetCommMethod(void) {
    Reply rep;
    LinkClient& link = LinkClient::Get();
    if (!link.Call(Request{static_cast<int32_t>(Op::TKLGetCommMethod), 0, 0, 0}, rep)) {
        return link.CachedCommMethod();
    }
    if (rep.rc >= 0) link.RememberCommMethod(rep.rc);
    return rep.rc;
}

KORVEX_TKL_EXPORT void traza(const char* text) {
    if (text) korvex::store::AppendTrace(text);
}

KORVEX_TKL_EXPORT int32_t SysGetFWVersion(void) {
    Reply rep;
    const Request req{static_cast<int32_t>(Op::SysGetFWVersion), 0, 0, 0};
    return LinkClient::Get().Call(req, rep) ? rep.rc : 0;
}

KORVEX_TKL_EXPORT int32_t ReadFromRegHKCU(const char* path, const char* name, char* buffer,
                                          int32_t* length) {
    return korvex::store::ReadValue(path, name, buffer, length);
}

KORVEX_TKL_EXPORT int32_t SaveToRegHKCU(const char* path, const char* name, const char* value) {
    return korvex::store::SaveValue(path, name, value);
}

KORVEX_TKL_EXPORT int32_t StepperGoto(int32_t port, int32_t steps) {
    return Send(Op::StepperGoto, port, steps);
}

KORVEX_TKL_EXPORT int32_t StepperGotoBlash(int32_t port, int32_t steps, int32_t backlash) {
    return Send(Op::StepperGotoBlash, port, steps, backlash);
}

KORVEX_TKL_EXPORT int32_t StepperGotoODB(int32_t port, int32_t steps, int32_t backlash) {
    return Send(Op::StepperGotoODB, port, steps, backlash);
}

KORVEX_TKL_EXPORT int32_t StepperGetPos(int32_t port, int32_t* pos) {
    return Read(Op::StepperGetPos, port, 0, 0, pos);
}

KORVEX_TKL_EXPORT int32_t StepperSetPos(int32_t port, int32_t steps) {
    return Send(Op::StepperSetPos, port, steps);
}

KORVEX_TKL_EXPORT int32_t StepperStop(int32_t port) { return Send(Op::StepperStop, port); }

KORVEX_TKL_EXPORT int32_t StepperSetModel(int32_t port, int32_t model) {
    return Send(Op::StepperSetModel, port, model);
}

KORVEX_TKL_EXPORT int32_t StepperSetHalfstep(int32_t port, int32_t half) {
    return Send(Op::StepperSetHalfstep, port, half);
}

KORVEX_TKL_EXPORT int32_t StepperSetWireMode(int32_t port, int32_t mode) {
    return Send(Op::StepperSetWireMode, port, mode);
}

KORVEX_TKL_EXPORT int32_t StepperSetStopPow(int32_t port, int32_t power) {
    return Send(Op::StepperSetStopPow, port, power);
}

KORVEX_TKL_EXPORT int32_t StepperSetMovePow(int32_t port, int32_t power) {
    return Send(Op::StepperSetMovePow, port, power);
}

KORVEX_TKL_EXPORT int32_t StepperSetSpeedRangeUs(int32_t port, int32_t slowUs, int32_t fastUs) {
    return Send(Op::StepperSetSpeedRangeUs, port, slowUs, fastUs);
}

KORVEX_TKL_EXPORT int32_t StepperSetSpeed(int32_t port, int32_t ms) {
    return Send(Op::StepperSetSpeed, port, ms);
}

KORVEX_TKL_EXPORT int32_t ReadCalibIntTempSensor(int32_t* tenths) {
    return Read(Op::ReadCalibIntTempSensor, 0, 0, 0, tenths);
}

KORVEX_TKL_EXPORT int32_t ReadCalibExtTempSensor(int32_t* tenths) {
    return Read(Op::ReadCalibExtTempSensor, 0, 0, 0, tenths);
}

KORVEX_TKL_EXPORT int32_t ReadAnalog(int32_t bank, int32_t channel, int32_t* value) {
    return Read(Op::ReadAnalog, bank, channel, 0, value);
}

KORVEX_TKL_EXPORT int32_t WriteDigital(int32_t port, int32_t pin, int32_t value) {
    return Send(Op::WriteDigital, port, pin, value);
}

KORVEX_TKL_EXPORT int32_t RelioRelayRead(int32_t port, int32_t index, int32_t* state) {
    return Read(Op::RelioRelayRead, port, index, 0, state);
}

KORVEX_TKL_EXPORT int32_t RelioRelaySet(int32_t port, int32_t index, int32_t value,
                                        int32_t* state) {
    return Read(Op::RelioRelaySet, port, index, value, state);
}

KORVEX_TKL_EXPORT int32_t RelioRelayChange(int32_t port, int32_t index, int32_t* state) {
    return Read(Op::RelioRelayChange, port, index, 0, state);
}

KORVEX_TKL_EXPORT int32_t RelioRelayPulse(int32_t port, int32_t index, int32_t periodMs,
                                          int32_t* state) {
    return Read(Op::RelioRelayPulse, port, index, periodMs, state);
}

KORVEX_TKL_EXPORT int32_t RelioInputAnRead(int32_t port, int32_t index, int32_t* value) {
    return Read(Op::RelioInputAnRead, port, index, 0, value);
}

KORVEX_TKL_EXPORT int32_t RelioInputDigRead(int32_t port, int32_t index, int32_t* value) {
    return Read(Op::RelioInputDigRead, port, index, 0, value);
}
