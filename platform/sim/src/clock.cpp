#include "korvex/sim/clock.h"

#include <time.h>

namespace korvex::sim {

int64_t SteadyClock::NowUs() const {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

}  // namespace korvex::sim
