#include "framework/core/WindowsAPI.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace korvex {
namespace {

ManualTickClock*& InstalledClock() {
    static ManualTickClock* clock = nullptr;
    return clock;
}

}  // namespace

int StartedMinimized() {
    const char* value = std::getenv("KORVEX_START_MINIMIZED");
    return value && std::strcmp(value, "1") == 0 ? 1 : 0;
}

uint32_t GetTicks() {
    if (const ManualTickClock* clock = InstalledClock()) return clock->Now();
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);  // wraps, as a 32-bit tick count does
}

ManualTickClock::ManualTickClock(uint32_t start) : now_(start) { InstalledClock() = this; }

ManualTickClock::~ManualTickClock() {
    if (InstalledClock() == this) InstalledClock() = nullptr;
}

}  // namespace korvex
