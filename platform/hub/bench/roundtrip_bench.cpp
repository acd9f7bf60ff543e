// Round trip of StepperGetPos between this process and a running korvex-hub, beside the floor
// of this machine: a bare 16-byte ping-pong between two processes over a Unix socket pair.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "hub_process.h"
#include "tkl.h"

namespace {

constexpr char kInstance[] = "BenchMutex";

// One echo child per run: reads 16 bytes, writes them back, until the pair is closed.
void BarePingPong(benchmark::State& state, int type) {
    int sv[2];
    if (socketpair(AF_UNIX, type, 0, sv) != 0) {
        state.SkipWithError("socketpair failed");
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(sv[0]);
        char buf[16];
        for (;;) {
            if (recv(sv[1], buf, sizeof buf, MSG_WAITALL) != sizeof buf) _exit(0);
            if (send(sv[1], buf, sizeof buf, MSG_NOSIGNAL) != sizeof buf) _exit(0);
        }
    }
    close(sv[1]);
    char msg[16] = {1};
    for (auto _ : state) {
        if (send(sv[0], msg, sizeof msg, MSG_NOSIGNAL) != sizeof msg ||
            recv(sv[0], msg, sizeof msg, MSG_WAITALL) != sizeof msg) {
            state.SkipWithError("echo child gone");
            break;
        }
    }
    close(sv[0]);
    waitpid(pid, nullptr, 0);
}

void BM_BarePingPongSeqpacket(benchmark::State& state) { BarePingPong(state, SOCK_SEQPACKET); }
void BM_BarePingPongStream(benchmark::State& state) { BarePingPong(state, SOCK_STREAM); }

void BM_StepperGetPos(benchmark::State& state) {
    int32_t pos = 0;
    for (auto _ : state) {
        if (StepperGetPos(0, &pos) != 0) {
            state.SkipWithError("StepperGetPos failed");
            break;
        }
        benchmark::DoNotOptimize(pos);
    }
}

BENCHMARK(BM_BarePingPongSeqpacket)->UseRealTime();
BENCHMARK(BM_BarePingPongStream)->UseRealTime();
BENCHMARK(BM_StepperGetPos)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    char home[] = "/tmp/korvex-bench-XXXXXX";
    if (!mkdtemp(home)) return 1;
    setenv("KORVEX_HOME", home, 1);
    int rc = 0;
    {
        korvex::test::HubProcess hub(kInstance);
        if (!hub.Start() || TKLSubArrives(0, 3, kInstance) != 0) {
            fprintf(stderr, "cannot start or join korvex-hub in %s\n",
                    korvex::test::BinDir().c_str());
            rc = 1;
        } else {
            benchmark::RunSpecifiedBenchmarks();
            TKLSubExits();
        }
        hub.Signal(SIGTERM);
        hub.Wait();
    }
    benchmark::Shutdown();
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
    return rc;
}
