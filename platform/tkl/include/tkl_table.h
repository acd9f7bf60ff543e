// One table of function pointers for the link library's operations.
//
// Drivers reach the controller only through such a table: filled with dlsym from libtkl.so in the
// programs, or bound to an in-process simulated controller in unit tests.
#pragma once

#include "tkl.h"

namespace korvex {

struct LinkTable {
#define TKL_TABLE_ENTRY_(ret, name, params, args) ret(*name) params = nullptr;
    TKL_OPERATIONS(TKL_TABLE_ENTRY_)
#undef TKL_TABLE_ENTRY_

    // The loaded library (dlopen handle); null for in-process tables.
    void* handle = nullptr;

    // True when every operation is bound.
    bool Complete() const {
#define TKL_TABLE_CHECK_(ret, name, params, args) if (!name) return false;
        TKL_OPERATIONS(TKL_TABLE_CHECK_)
#undef TKL_TABLE_CHECK_
        return true;
    }
};

}  // namespace korvex
