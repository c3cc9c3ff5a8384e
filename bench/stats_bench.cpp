// How the cost of AddData0 and CheckCallFunc0 depends on the size of the log.
// A host feeds its whole log through AddData0 when a contest opens and calls
// CheckCallFunc0 at every keystroke, so neither may grow with the store.
//
//   build/linux/stats_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "plugin/exports.h"
#include "plugin/oledate.h"

namespace {

namespace fs = std::filesystem;

const char* const kBlank = "";

OleDateTime At(int n) {
  return {stats::OleDate::FromCivil(2017, 1, 6).days + n / 86400.0, 0};
}

int Add(const std::string& call, const char* band, int n) {
  const OleDateTime t = At(n);
  const OleDateTime none{0.0, 2};
  const std::string prefix = call.substr(0, 3);
  return AddData0("DL1OWN", call.c_str(), &t, &none, &none, &none, 0, 14070000, "BPSK63", "599",
                  "599", "001", "001", kBlank, kBlank, kBlank, kBlank, kBlank, kBlank, kBlank,
                  kBlank, prefix.c_str(), "DL", 0, 0, 0, 0.0, 0.0, kBlank, kBlank, kBlank, band,
                  kBlank);
}

int Remove(const std::string& call, const char* band, int n) {
  const OleDateTime t = At(n);
  const OleDateTime none{0.0, 2};
  return RemoveData0("DL1OWN", call.c_str(), &t, &none, &none, &none, 0, 14070000, "BPSK63",
                     "599", "599", "001", "001", kBlank, kBlank, kBlank, kBlank, kBlank, kBlank,
                     kBlank, kBlank, kBlank, "DL", 0, 0, 0, 0.0, 0.0, kBlank, kBlank, kBlank, band,
                     kBlank);
}

std::string CallOf(int n) { return "D" + std::to_string(n % 10) + "X" + std::to_string(n); }

// A contest run in a scratch folder with a log of n QSOs.
class Log {
 public:
  explicit Log(int n) {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("stats-bench-" + std::to_string(n));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    const OleDateTime start = At(0), end = At(86400);
    ResetStats0(kBlank, 0, "DL1OWN", &start, &end, kBlank, kBlank, kBlank, kBlank, kBlank, kBlank,
                kBlank, kBlank, kBlank, "DL", 0, 0, 0, 0.0, 0.0, kBlank, kBlank, kBlank);
    for (int i = 0; i < n; ++i) Add(CallOf(i), i % 2 ? "20m" : "40m", i);
  }
  ~Log() {
    fs::current_path(old_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

 private:
  fs::path old_, dir_;
};

void BM_AddData0(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Log log(n);
  int i = n;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Add(CallOf(i), "20m", i));
    state.PauseTiming();
    Remove(CallOf(i), "20m", i);
    state.ResumeTiming();
    ++i;
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_AddData0)->RangeMultiplier(8)->Range(1 << 9, 1 << 18)->Complexity();

void BM_CheckCallFunc0(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Log log(n);
  char out1[32], out2[32];
  int i = 0;
  for (auto _ : state) {
    const std::string call = CallOf(i++ % (2 * n));  // half known, half new
    benchmark::DoNotOptimize(CheckCallFunc0(
        call.c_str(), 0, 0, "BPSK63", kBlank, kBlank, kBlank, kBlank, kBlank, kBlank, kBlank,
        kBlank, "D1X", "DL", 0, 0, 0, 0.0, 0.0, kBlank, kBlank, kBlank, kBlank, kBlank, "20m",
        "20m", out1, out2));
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_CheckCallFunc0)->RangeMultiplier(8)->Range(1 << 9, 1 << 18)->Complexity();

}  // namespace

BENCHMARK_MAIN();
