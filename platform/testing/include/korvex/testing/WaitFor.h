// Waiting for a condition with a deadline, never for a fixed time.
#pragma once

#include <functional>

namespace korvex::testing {

// Checks `done` until it holds or `timeoutMs` passes; returns done(). Events of this thread run
// meanwhile (so a server or client in the test process makes progress), without spinning: the
// thread sleeps until an event arrives or a short tick passes.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);

}  // namespace korvex::testing
