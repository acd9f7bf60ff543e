// Cost of one settings write (a committed transaction), one read, and one trace line.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "korvex/store.h"

namespace {

constexpr const char* kKey = "Software\\Vantaro\\Korvex\\KorvexRotator.Rotator";

// A fresh KORVEX_HOME for the life of one benchmark.
class Home {
  public:
    Home() {
        std::string pattern = std::filesystem::temp_directory_path() / "korvex-bench-XXXXXX";
        dir_ = mkdtemp(pattern.data()) ? pattern : std::string();
        setenv("KORVEX_HOME", dir_.c_str(), 1);
        korvex::store::Close();
    }
    ~Home() {
        korvex::store::Close();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

  private:
    std::string dir_;
};

void BM_SaveValue(benchmark::State& state) {
    Home home;
    int i = 0;
    for (auto _ : state) {
        std::string value = std::to_string(i++ % 1000);
        if (korvex::store::SaveValue(kKey, "Position", value.c_str()) != 0)
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_SaveValue);

void BM_ReadValue(benchmark::State& state) {
    Home home;
    for (int i = 0; i < 40; ++i)
        korvex::store::Set(kKey, "Name" + std::to_string(i), std::string(20, 'v'));
    char buffer[81];
    for (auto _ : state) {
        int32_t length = 80;
        if (korvex::store::ReadValue(kKey, "Name17", buffer, &length) != 0)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_ReadValue);

void BM_AppendTrace(benchmark::State& state) {
    Home home;
    for (auto _ : state) korvex::store::AppendTrace("Just connected, configuring...");
}
BENCHMARK(BM_AppendTrace);

}  // namespace

BENCHMARK_MAIN();
