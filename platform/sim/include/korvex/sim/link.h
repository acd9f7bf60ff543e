// In-process binding of the link library's table to a simulated controller, for driver unit
// tests: no hub, no socket, the test owns the controller and its clock.
//
// The table emulates one sub-client: TKLMainIsPresent 1; TKLSubArrives accepted for a port
// 0..2 and a non-empty name (unless a failure is injected); TKLSubCheckComms 1
// once after the attachment while the link is up and once after each Plug, below 0 while
// unplugged; TKLSubOpen/TKLSubClose/TKLSubExits recorded in InProcessState. ReadFromRegHKCU,
// SaveToRegHKCU and traza go to korvex::store (KORVEX_HOME decides where). Failures injected
// into the controller apply to every operation, store and trace included.
//
// One bound controller per process at a time (the table's functions reach it through a static
// pointer): binding again rebinds every table bound before to the new controller and resets the
// sub-client state. The controller must outlive the table's use; UnbindInProcess makes every
// operation fail as if the hub were gone. Single-threaded use only.
#pragma once

#include <cstdint>
#include <string>

#include "korvex/sim/controller.h"
#include "tkl_table.h"

namespace korvex::sim {

void BindInProcess(korvex::LinkTable& table, Controller& controller);
void UnbindInProcess();

// The emulated sub-client, for assertions.
struct InProcessLink {
    bool attached = false;  // TKLSubArrives accepted and TKLSubExits not yet called
    int32_t port = -1;
    int32_t kind = 0;
    std::string name;      // hub instance name given to TKLSubArrives
    bool open = false;     // TKLSubOpen called and TKLSubClose not since
    int32_t arrivals = 0;  // TKLSubArrives calls accepted so far
};
InProcessLink InProcessState();

}  // namespace korvex::sim
