// Test helpers: run the real korvex-hub from the build's program folder (KORVEX_BIN_DIR) under
// the test program's KORVEX_HOME, and run other programs capturing their output.
#pragma once

#include <sys/types.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korvex::test {

std::string BinDir();

struct ProgramResult {
    int status = -1;  // exit status, -1 when it did not exit normally
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs `args` (args[0] is the program path) to completion.
ProgramResult RunProgram(const std::vector<std::string>& args);

// `korvex-hub ctl --instance NAME words...`
ProgramResult Ctl(const std::string& instance, const std::vector<std::string>& words);

// True once the hub of `instance` answers a ping within `timeoutMs`.
bool HubAnswers(const std::string& instance, int timeoutMs);

// Polls `condition` every few milliseconds until it holds or `timeoutMs` passes.
template <typename F>
bool WaitFor(F condition, int timeoutMs);

class HubProcess {
  public:
    // `instance` empty: the hub picks its folder's instance.
    explicit HubProcess(std::string instance);
    ~HubProcess();  // SIGKILL and reap when still running
    HubProcess(const HubProcess&) = delete;
    HubProcess& operator=(const HubProcess&) = delete;

    // Starts the hub and waits until it answers; false when it did not within 5 s.
    bool Start();
    void Signal(int sig);
    // Waits for the hub to end; its exit status, -1 when killed by a signal.
    int Wait();
    pid_t Pid() const { return pid_; }

  private:
    std::string instance_;
    pid_t pid_ = -1;
};

// Monotonic milliseconds.
int64_t NowMs();

template <typename F>
bool WaitFor(F condition, int timeoutMs) {
    const int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (NowMs() >= deadline) return false;
        struct timespec ts {
            0, 5 * 1000 * 1000
        };
        nanosleep(&ts, nullptr);
    }
}

}  // namespace korvex::test
