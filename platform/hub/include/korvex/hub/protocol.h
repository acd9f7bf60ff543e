// Wire protocol between libtkl.so (and `korvex-hub ctl`) and korvex-hub: one SOCK_SEQPACKET Unix
// socket per hub instance (paths::HubSocket), one request message answered by one reply message.
//
// Link operations use fixed binary messages, host byte order (both ends run on this machine):
// a 16-byte Request answered by an 8-byte Reply. `op` is a korvex::sim::Op value. Arguments:
//   port  the port (ReadAnalog: the bank)
//   a     steps / value / kind (TKLSubArrives) / index, pin or channel
//   b     backlash / fast rate (StepperSetSpeedRangeUs, with a = slow rate) / relay value /
//         pulse period / digital value (WriteDigital, with a = pin)
// Reply.rc is the operation's result (for TKLCommIsUp, TKLSubCheckComms, TKLGetLanguage,
// TKLGetCommMethod and SysGetFWVersion the value itself); Reply.out is the output argument,
// meaningful only when rc is 0.
//
// Control messages: kOpCtl as a 32-bit op followed by the command's words separated by '\n'
// (UTF-8); the reply is a 32-bit status (0 = done) followed by UTF-8 text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvex::hub {

struct Request {
    int32_t op;
    int32_t port;
    int32_t a;
    int32_t b;
};

struct Reply {
    int32_t rc;
    int32_t out;
};

static_assert(sizeof(Request) == 16 && sizeof(Reply) == 8);

inline constexpr int32_t kOpPing = 1000;  // rc 0
inline constexpr int32_t kOpCtl = 1001;

// TKLSubArrives replies.
inline constexpr int32_t kClaimAccepted = 0;
inline constexpr int32_t kClaimSlotTaken = 1;
inline constexpr int32_t kClaimRefused = -1;  // bad port, or a failure injected

// Largest message either side sends (a state document fits easily).
inline constexpr size_t kMaxMessage = 64 * 1024;

}  // namespace korvex::hub
