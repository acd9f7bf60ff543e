#include "korvex/sim/op.h"

#include <array>

namespace korvex::sim {
namespace {

constexpr std::array<std::string_view, kOpCount> kNames = {
#define KORVEX_SIM_OP_NAME_(ret, name, params, args) #name,
    TKL_OPERATIONS(KORVEX_SIM_OP_NAME_)
#undef KORVEX_SIM_OP_NAME_
};

}  // namespace

std::string_view OpName(Op op) {
    const auto i = static_cast<int32_t>(op);
    return i >= 0 && i < kOpCount ? kNames[i] : std::string_view();
}

std::optional<Op> OpFromName(std::string_view name) {
    for (int32_t i = 0; i < kOpCount; ++i) {
        if (kNames[i] == name) return static_cast<Op>(i);
    }
    return std::nullopt;
}

}  // namespace korvex::sim
