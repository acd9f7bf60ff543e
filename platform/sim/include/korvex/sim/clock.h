// Time seam of the simulated controller: motion and relay pulses are computed from a clock, so
// tests advance a ManualClock instead of sleeping.
#pragma once

#include <cstdint>

namespace korvex::sim {

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic time in microseconds; only differences matter.
    virtual int64_t NowUs() const = 0;
};

// The machine's monotonic clock (CLOCK_MONOTONIC).
class SteadyClock final : public Clock {
  public:
    int64_t NowUs() const override;
};

// A clock that moves only when told to. Not thread-safe.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(int64_t startUs = 0) : nowUs_(startUs) {}
    int64_t NowUs() const override { return nowUs_; }
    void AdvanceUs(int64_t us) { nowUs_ += us; }
    void AdvanceMs(int64_t ms) { nowUs_ += ms * 1000; }

  private:
    int64_t nowUs_;
};

}  // namespace korvex::sim
