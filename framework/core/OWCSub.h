// The link attachment of a driver: start the hub when absent, claim the port slot, open and
// close the use of the link, and the reconnection check every poll begins with.
//
// Calling order: AttachToLink -> OpenLink -> polls (CheckComms first) -> CloseLink ->
// DetachFromLink. A start-up that fails after attaching calls DetachFromLink alone.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "tkl_table.h"

namespace korvex {

class MessageBoxService;
class ProcessLauncher;
struct InicioState;

// File name of the hub program in the program folder.
inline constexpr auto kHubProgram = "korvex-hub";

class OWCSub {
  public:
    enum class Comms {
        JustConnected,  // the link just came (back) up: on-connect configuration has run
        Down,           // skip the rest of the poll
        Up,             // go on with the poll
    };

    // Every reference must outlive this object. MutexName and ProgramFolder are read from
    // `state` at the time of each call.
    OWCSub(const LinkTable& link, const InicioState& state, int32_t port, int32_t kind,
           MessageBoxService& boxes, ProcessLauncher& launcher);

    // The device's on-connect configuration (push the driver's state to the controller).
    void SetOnConnect(std::function<void()> configure) { onConnect_ = std::move(configure); }

    // Starts <program folder>/korvex-hub (not waited for) when TKLMainIsPresent() is 0, then
    // claims the slot with TKLSubArrives(port, kind, MutexName). True when attached. Message
    // boxes: "Wrong mutex name" / "Ugly error" for a mutex name of 4 characters or fewer;
    // "Cannot find Korvex main program" / "Warning" when the hub cannot be started. A taken
    // slot shows nothing (the caller traces its refusal text).
    bool AttachToLink();

    // TKLSubOpen, then the on-connect configuration when TKLCommIsUp() is non-zero.
    void OpenLink();
    void CloseLink();       // TKLSubClose
    void DetachFromLink();  // TKLSubExits

    // The hub's language as a 16-bit id (0 when the link reports something out of range).
    int16_t GetLinkLanguage() const;

    // Reconnection check at the start of every device poll: TKLSubCheckComms() 1 traces
    // "Just connected, configuring..." and runs the on-connect configuration; below 0 the poll
    // skips its reads.
    Comms CheckComms();

  private:
    const LinkTable& link_;
    const InicioState& state_;
    int32_t port_;
    int32_t kind_;
    MessageBoxService& boxes_;
    ProcessLauncher& launcher_;
    std::function<void()> onConnect_;
};

}  // namespace korvex
