// Process start-up information and the tick clock (the widget-free half of WindowsAPI; window
// placement and URL opening live with the windows).
#pragma once

#include <cstdint>

namespace korvex {

// 1 when the process was asked to start minimized (environment KORVEX_START_MINIMIZED=1),
// else 0.
int StartedMinimized();

// Milliseconds of a monotonic clock, 32 bits, wrapping about every 49.7 days. Compare ticks
// only through differences (TicksSince), never with < on absolute values.
uint32_t GetTicks();

// Milliseconds from `start` to now, correct across one wrap.
inline uint32_t TicksSince(uint32_t start) { return GetTicks() - start; }

// Replaces the clock behind GetTicks for its lifetime (tests advance it by hand). At most one at
// a time; the real clock returns when it is destroyed.
class ManualTickClock {
  public:
    explicit ManualTickClock(uint32_t start = 0);
    ~ManualTickClock();
    ManualTickClock(const ManualTickClock&) = delete;
    ManualTickClock& operator=(const ManualTickClock&) = delete;

    uint32_t Now() const { return now_; }
    void Set(uint32_t ticks) { now_ = ticks; }
    void Advance(uint32_t ms) { now_ += ms; }

  private:
    uint32_t now_;
};

}  // namespace korvex
