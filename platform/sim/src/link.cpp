#include "korvex/sim/link.h"

#include "korvex/store.h"

namespace korvex::sim {
namespace {

constexpr int32_t kFail = -1;

Controller* g_controller = nullptr;
InProcessLink g_link;
ConnectionWatch g_watch;

bool Fails(Op op, int32_t port = kAny, int32_t index = kAny) {
    return !g_controller || g_controller->ConsumeFailure(op, port, index);
}

int32_t CommIsUp() { return g_controller ? g_controller->TKLCommIsUp() : 0; }

int32_t MainIsPresent() { return Fails(Op::TKLMainIsPresent) ? 0 : 1; }

int32_t SubArrives(int32_t port, int32_t kind, const char* name) {
    if (port < 0 || port >= kPorts || !name || !*name || Fails(Op::TKLSubArrives, port)) {
        return 1;
    }
    g_link.attached = true;
    g_link.port = port;
    g_link.kind = kind;
    g_link.name = name;
    ++g_link.arrivals;
    g_watch.Reset();
    return 0;
}

void SubOpen() {
    if (!Fails(Op::TKLSubOpen)) {
        g_link.open = true;
        g_watch.See(*g_controller);
    }
}

void SubClose() {
    if (!Fails(Op::TKLSubClose)) g_link.open = false;
}

void SubExits() {
    if (Fails(Op::TKLSubExits)) return;
    g_link.attached = false;
    g_link.open = false;
}

int32_t SubCheckComms() {
    if (Fails(Op::TKLSubCheckComms)) return kFail;
    return g_watch.Check(*g_controller);
}

int32_t GetLanguage() { return g_controller ? g_controller->TKLGetLanguage() : kFail; }
int32_t GetCommMethod() { return g_controller ? g_controller->TKLGetCommMethod() : kFail; }
int32_t FwVersion() { return g_controller ? g_controller->SysGetFWVersion() : 0; }

void Traza(const char* text) {
    if (!text || Fails(Op::traza)) return;
    korvex::store::AppendTrace(text);
}

int32_t ReadReg(const char* path, const char* name, char* buffer, int32_t* length) {
    if (Fails(Op::ReadFromRegHKCU)) return kFail;
    return korvex::store::ReadValue(path, name, buffer, length);
}

int32_t SaveReg(const char* path, const char* name, const char* value) {
    if (Fails(Op::SaveToRegHKCU)) return kFail;
    return korvex::store::SaveValue(path, name, value);
}

// Hardware operations: straight to the controller, or failing while unbound.
#define KORVEX_FORWARD_(name, params, args) \
    int32_t name params { return g_controller ? g_controller->name args : kFail; }

KORVEX_FORWARD_(StepperGoto, (int32_t port, int32_t steps), (port, steps))
KORVEX_FORWARD_(StepperGotoBlash, (int32_t port, int32_t steps, int32_t backlash),
                (port, steps, backlash))
KORVEX_FORWARD_(StepperGotoODB, (int32_t port, int32_t steps, int32_t backlash),
                (port, steps, backlash))
KORVEX_FORWARD_(StepperGetPos, (int32_t port, int32_t* pos), (port, pos))
KORVEX_FORWARD_(StepperSetPos, (int32_t port, int32_t steps), (port, steps))
KORVEX_FORWARD_(StepperStop, (int32_t port), (port))
KORVEX_FORWARD_(StepperSetModel, (int32_t port, int32_t v), (port, v))
KORVEX_FORWARD_(StepperSetHalfstep, (int32_t port, int32_t v), (port, v))
KORVEX_FORWARD_(StepperSetWireMode, (int32_t port, int32_t v), (port, v))
KORVEX_FORWARD_(StepperSetStopPow, (int32_t port, int32_t v), (port, v))
KORVEX_FORWARD_(StepperSetMovePow, (int32_t port, int32_t v), (port, v))
KORVEX_FORWARD_(StepperSetSpeedRangeUs, (int32_t port, int32_t slowUs, int32_t fastUs),
                (port, slowUs, fastUs))
KORVEX_FORWARD_(StepperSetSpeed, (int32_t port, int32_t ms), (port, ms))
KORVEX_FORWARD_(ReadCalibIntTempSensor, (int32_t * t), (t))
KORVEX_FORWARD_(ReadCalibExtTempSensor, (int32_t * t), (t))
KORVEX_FORWARD_(ReadAnalog, (int32_t bank, int32_t channel, int32_t* v), (bank, channel, v))
KORVEX_FORWARD_(WriteDigital, (int32_t port, int32_t pin, int32_t v), (port, pin, v))
KORVEX_FORWARD_(RelioRelayRead, (int32_t port, int32_t i, int32_t* s), (port, i, s))
KORVEX_FORWARD_(RelioRelaySet, (int32_t port, int32_t i, int32_t v, int32_t* s), (port, i, v, s))
KORVEX_FORWARD_(RelioRelayChange, (int32_t port, int32_t i, int32_t* s), (port, i, s))
KORVEX_FORWARD_(RelioRelayPulse, (int32_t port, int32_t i, int32_t ms, int32_t* s),
                (port, i, ms, s))
KORVEX_FORWARD_(RelioInputAnRead, (int32_t port, int32_t i, int32_t* v), (port, i, v))
KORVEX_FORWARD_(RelioInputDigRead, (int32_t port, int32_t i, int32_t* v), (port, i, v))
#undef KORVEX_FORWARD_

}  // namespace

void BindInProcess(korvex::LinkTable& table, Controller& controller) {
    g_controller = &controller;
    g_link = InProcessLink{};
    g_watch.Reset();

    table = korvex::LinkTable{};
    table.TKLCommIsUp = CommIsUp;
    table.TKLMainIsPresent = MainIsPresent;
    table.TKLSubArrives = SubArrives;
    table.TKLSubOpen = SubOpen;
    table.TKLSubClose = SubClose;
    table.TKLSubExits = SubExits;
    table.TKLSubCheckComms = SubCheckComms;
    table.TKLGetLanguage = GetLanguage;
    table.TKLGetCommMethod = GetCommMethod;
    table.traza = Traza;
    table.SysGetFWVersion = FwVersion;
    table.ReadFromRegHKCU = ReadReg;
    table.SaveToRegHKCU = SaveReg;
    table.StepperGoto = StepperGoto;
    table.StepperGotoBlash = StepperGotoBlash;
    table.StepperGotoODB = StepperGotoODB;
    table.StepperGetPos = StepperGetPos;
    table.StepperSetPos = StepperSetPos;
    table.StepperStop = StepperStop;
    table.StepperSetModel = StepperSetModel;
    table.StepperSetHalfstep = StepperSetHalfstep;
    table.StepperSetWireMode = StepperSetWireMode;
    table.StepperSetStopPow = StepperSetStopPow;
    table.StepperSetMovePow = StepperSetMovePow;
    table.StepperSetSpeedRangeUs = StepperSetSpeedRangeUs;
    table.StepperSetSpeed = StepperSetSpeed;
    table.ReadCalibIntTempSensor = ReadCalibIntTempSensor;
    table.ReadCalibExtTempSensor = ReadCalibExtTempSensor;
    table.ReadAnalog = ReadAnalog;
    table.WriteDigital = WriteDigital;
    table.RelioRelayRead = RelioRelayRead;
    table.RelioRelaySet = RelioRelaySet;
    table.RelioRelayChange = RelioRelayChange;
    table.RelioRelayPulse = RelioRelayPulse;
    table.RelioInputAnRead = RelioInputAnRead;
    table.RelioInputDigRead = RelioInputDigRead;
}

void UnbindInProcess() {
    g_controller = nullptr;
    g_link = InProcessLink{};
    g_watch.Reset();
}

InProcessLink InProcessState() { return g_link; }

}  // namespace korvex::sim
