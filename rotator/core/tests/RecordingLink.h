// A link table that records every call (name and arguments) and forwards it to an inner table,
// so tests see exactly which operations reached the link, in order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tkl_table.h"

namespace korvex::rotator::testing {

// The table the recording entries forward to, and the calls seen so far ("StepperGoto(0,800)").
// One recording table per process: the entries are plain C functions.
inline LinkTable gInnerLink;
inline std::vector<std::string> gLinkCalls;

inline std::string ArgText(int32_t v) { return std::to_string(v); }
inline std::string ArgText(const char* v) { return v ? v : "null"; }
inline std::string ArgText(int32_t*) { return "*"; }
inline std::string ArgText(char*) { return "*"; }

template <class... A>
std::string ArgsText(A... args) {
    std::string text;
    ((text += (text.empty() ? "" : ",") + ArgText(args)), ...);
    return text;
}

#define KORVEX_RECORD_(ret, name, params, args)                             \
    inline ret Record_##name params {                                       \
        gLinkCalls.push_back(std::string(#name "(") + ArgsText args + ")"); \
        return gInnerLink.name args;                                        \
    }
TKL_OPERATIONS(KORVEX_RECORD_)
#undef KORVEX_RECORD_

// A table whose every entry records and then forwards to `inner`.
inline LinkTable RecordingLink(const LinkTable& inner) {
    gInnerLink = inner;
    gLinkCalls.clear();
    LinkTable table;
#define KORVEX_BIND_(ret, name, params, args) table.name = Record_##name;
    TKL_OPERATIONS(KORVEX_BIND_)
#undef KORVEX_BIND_
    return table;
}

// The recorded calls whose text starts with `prefix` ("Stepper", "SaveToRegHKCU"...).
inline std::vector<std::string> CallsStartingWith(const std::string& prefix) {
    std::vector<std::string> calls;
    for (const std::string& call : gLinkCalls) {
        if (call.rfind(prefix, 0) == 0) calls.push_back(call);
    }
    return calls;
}

}  // namespace korvex::rotator::testing
