// The link library's operations as an enumeration, in the order of TKL_OPERATIONS. Failure
// injection names operations with it, and the hub's wire protocol uses the values as op codes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "tkl.h"

namespace korvex::sim {

enum class Op : int32_t {
#define KORVEX_SIM_OP_(ret, name, params, args) name,
    TKL_OPERATIONS(KORVEX_SIM_OP_)
#undef KORVEX_SIM_OP_
        Count
};

inline constexpr int32_t kOpCount = static_cast<int32_t>(Op::Count);

// "StepperGoto" for Op::StepperGoto; "" for a value out of range.
std::string_view OpName(Op op);
// Exact, case-sensitive name lookup.
std::optional<Op> OpFromName(std::string_view name);

}  // namespace korvex::sim
