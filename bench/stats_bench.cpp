// The entry points over realistic logs (bench/loggen: calls of the shapes of
// a call list, six bands, about 5% duplicates, 10% Belgian stations with
// sections, some bad QSOs), at 1 000, 10 000 and 100 000 stored QSOs:
//
//   AddData0      a fresh fill (time per QSO), and per call on a store of N
//                 QSOs (the next N/4 QSOs of the same log)
//   CheckCallFunc0  for calls worked on the band and calls never worked
//   RemoveData0   per call on a store of N (it rewrites the journal)
//   GetResult0    with and without the Cabrillo log
//
// Each call is timed alone, with no paused work between: the figures are
// what a host sees.  The end-to-end replay is timed by
// scripts/bench-replay.sh.
//
//   build/linux/stats_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "loggen.h"
#include "plugin/abi.h"
#include "plugin/exports.h"
#include "plugin/host_args.h"
#include "plugin/host_kit.h"
#include "model/settings.h"

namespace {

namespace fs = std::filesystem;
namespace host_args = stats::host_args;

constexpr const char* kOwnCall = "DL6UHU";
constexpr int kSizes[] = {1000, 10000, 100000};

// The made-up log, the same for every benchmark: enough QSOs for the
// largest store and the calls added after it, and calls never worked.
struct Data {
  std::vector<host_args::HostQso> qsos;
  std::vector<std::string> never_worked;
};

const Data& TheData() {
  static const Data data = [] {
    Data d;
    loggen::Generator generator(loggen::ReadCallList("/usr/share/hamradio-files/MASTER.SCP"), 1);
    const size_t count = static_cast<size_t>(kSizes[2]) * 5 / 4 + 1000;
    d.qsos.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      const loggen::Qso q = generator.Next();
      host_args::HostQso h;
      h.own_call = kOwnCall;
      h.call = q.call;
      h.time = OleDateTime{q.OleDays(), 0};
      h.frequency_hz = q.frequency_khz * 1000u;
      h.mode = "BPSK63";
      h.rst_sent = "599";
      h.rst_received = "599";
      h.exchange_sent = q.exchange_sent;
      h.exchange_received = q.exchange_received;
      h.prefix = q.prefix;
      h.country = q.country;
      h.band = q.band;
      d.qsos.push_back(std::move(h));
    }
    for (int i = 0; i < kSizes[2]; ++i) d.never_worked.push_back(generator.FreshCall());
    return d;
  }();
  return data;
}

int Add(const host_args::HostQso& h) { return host_args::CallQso(AddData0, h); }

int Remove(const host_args::HostQso& h) { return host_args::CallQso(RemoveData0, h); }

// A contest run in a scratch folder that holds the station details for the
// Cabrillo log (examples/settings), started anew with the first n QSOs.
class Run {
 public:
  Run(size_t n, bool cabrillo = false, bool windows = true) {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / "stats-bench";
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "Plugins");
    fs::copy_file(fs::path(STATS_SOURCE_DIR) / "examples/settings/Plugins/ZEVUVI.ini",
                  dir_ / "Plugins/ZEVUVI.ini");
    fs::current_path(dir_);
    loggen::Qso first_day;
    first_day.year = 2026;
    first_day.month = 1;
    first_day.day = 3;
    const OleDateTime start{first_day.OleDays(), 0};
    const OleDateTime end{start.dt + 2, 0};
    const std::string folder = (dir_ / "").string();
    host_args::ResetFields reset;
    reset.host_folder = folder.c_str();
    reset.cabrillo = cabrillo ? 1 : 0;
    reset.own_call = kOwnCall;
    reset.start = &start;
    reset.end = &end;
    reset.own_country = "DL";
    // "Start" 1: the contest starts without the window thread.
    if (!windows) stats::settings::Write("Start", "1");
    host_args::CallReset(ResetStats0, reset);
    Fill(0, n);
  }
  static void Fill(size_t from, size_t to) {
    const Data& data = TheData();
    for (size_t i = from; i < to; ++i) Add(data.qsos[i]);
  }
  ~Run() {
    fs::current_path(old_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

 private:
  fs::path old_, dir_;
};

// The time of one QSO or call, in the table's "per_call" column.
void PerCall(benchmark::State& state, double calls_per_iteration) {
  state.counters["per_call"] = benchmark::Counter(
      calls_per_iteration, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_AddData0_FreshFill(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  TheData();  // made before the timing, also when this benchmark runs first
  for (auto _ : state) {
    state.PauseTiming();
    {
      Run run(0);
      state.ResumeTiming();
      Run::Fill(0, n);
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  PerCall(state, static_cast<double>(n));
}

void BM_AddData0(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Run run(n);
  const Data& data = TheData();
  size_t next = n;
  for (auto _ : state) benchmark::DoNotOptimize(Add(data.qsos[next++]));
  PerCall(state, 1);
}

// The texts of the CheckCallFunc0 calls, made before the timing and read in
// order: each call's texts one after the other, NUL-terminated, in one
// buffer, so that the benchmark's own data is small and read in sequence
// and stays out of the figures (the host has the texts of one call at hand).
class Probes {
 public:
  void Add(std::string_view call, std::string_view prefix, std::string_view country,
           std::string_view band) {
    starts_.push_back(texts_.size());
    for (const std::string_view text : {call, prefix, country, band}) {
      texts_.append(text);
      texts_.push_back('\0');
    }
  }
  size_t Size() const { return starts_.size(); }
  // The four texts of probe i: call, prefix, country, band.
  std::array<const char*, 4> At(size_t i) const {
    std::array<const char*, 4> texts;
    const char* at = texts_.data() + starts_[i];
    for (const char*& text : texts) {
      text = at;
      at += std::strlen(at) + 1;
    }
    return texts;
  }

 private:
  std::string texts_;
  std::vector<size_t> starts_;
};

// The window thread, when it runs, is woken by each check and reads the
// contest under the contest lock: back to back, as here, the checks meet it
// at every call, which a host's keystrokes never do.  The call's own cost is
// timed without it (windows 0); with it (windows 1) the figures show what
// the two threads cost each other.
void CheckCalls(benchmark::State& state, const Probes& probes) {
  // The host's two text buffers.
  std::string out1(256, '\0'), out2(256, '\0');
  size_t i = 0;
  for (auto _ : state) {
    const std::array<const char*, 4> p = probes.At(i);
    host_args::CheckFields f;
    f.call = p[0];
    f.mode = "BPSK63";
    f.prefix = p[1];
    f.country = p[2];
    f.band = p[3];
    f.band2 = p[3];
    benchmark::DoNotOptimize(host_args::CallCheck(CheckCallFunc0, f, out1.data(), out2.data()));
    if (++i == probes.Size()) i = 0;
  }
  PerCall(state, 1);
  state.SetLabel(state.range(1) != 0 ? "window thread running" : "call alone");
}

void BM_CheckCallFunc0_Worked(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Run run(n, false, state.range(1) != 0);
  const Data& data = TheData();
  Probes probes;
  // Every stored QSO once, striding through the store so that successive
  // calls are far apart.
  for (size_t i = 0, k = 0; i < n; ++i, k = (k + 7919) % n) {
    const host_args::HostQso& q = data.qsos[k];
    probes.Add(q.call, q.prefix, q.country, q.band);
  }
  CheckCalls(state, probes);
}

void BM_CheckCallFunc0_NeverWorked(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Run run(n, false, state.range(1) != 0);
  const Data& data = TheData();
  Probes probes;
  for (size_t i = 0; i < data.never_worked.size(); ++i) {
    const host_args::HostQso& like = data.qsos[i * 7919 % n];
    probes.Add(data.never_worked[i], loggen::PrefixOf(data.never_worked[i]), like.country,
               like.band);
  }
  CheckCalls(state, probes);
}

void BM_RemoveData0(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Run run(n);
  const Data& data = TheData();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Remove(data.qsos[i]));
    i += 97;  // QSOs from all over the store
  }
  PerCall(state, 1);
}

void BM_GetResult0(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const bool cabrillo = state.range(1) != 0;
  Run run(n, cabrillo);
  int ignored = 0;
  for (auto _ : state) benchmark::DoNotOptimize(GetResult0(&ignored));
  state.SetLabel(cabrillo ? "with the Cabrillo log" : "result only");
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (const int n : kSizes) b->Arg(n);
}

// The checks alone come first: once a contest has started it, the window
// thread runs until the process ends.
BENCHMARK(BM_CheckCallFunc0_Worked)->ArgsProduct({{1000, 10000, 100000}, {0}});
BENCHMARK(BM_CheckCallFunc0_NeverWorked)->ArgsProduct({{1000, 10000, 100000}, {0}});
BENCHMARK(BM_AddData0_FreshFill)->Apply(Sizes)->Iterations(3)->Unit(benchmark::kMillisecond);
// A store of N grows by N/4 while it is timed.
BENCHMARK(BM_AddData0)->Arg(1000)->Iterations(250);
BENCHMARK(BM_AddData0)->Arg(10000)->Iterations(2500);
BENCHMARK(BM_AddData0)->Arg(100000)->Iterations(25000);
BENCHMARK(BM_CheckCallFunc0_Worked)->ArgsProduct({{1000, 10000, 100000}, {1}});
BENCHMARK(BM_CheckCallFunc0_NeverWorked)->ArgsProduct({{1000, 10000, 100000}, {1}});
// Each removal rewrites the journal to the disk: a few are enough.
BENCHMARK(BM_RemoveData0)->Apply(Sizes)->Iterations(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetResult0)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
