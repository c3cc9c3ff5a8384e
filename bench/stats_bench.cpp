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

#include <filesystem>
#include <string>
#include <vector>

#include "loggen.h"
#include "plugin/abi.h"
#include "plugin/exports.h"
#include "plugin/host_args.h"

namespace {

namespace fs = std::filesystem;
namespace host_args = stats::host_args;

constexpr const char* kOwnCall = "DL6UHU";
constexpr int kSizes[] = {1000, 10000, 100000};

// The host's arguments of one QSO.
struct HostQso {
  loggen::Qso qso;
  OleDateTime time;
  std::string mode = "BPSK63";
};

// The made-up log, the same for every benchmark: enough QSOs for the
// largest store and the calls added after it, and calls never worked.
struct Data {
  std::vector<HostQso> qsos;
  std::vector<std::string> never_worked;
};

const Data& TheData() {
  static const Data data = [] {
    Data d;
    loggen::Generator generator(loggen::ReadCallList("/usr/share/hamradio-files/MASTER.SCP"), 1);
    const size_t count = static_cast<size_t>(kSizes[2]) * 5 / 4 + 1000;
    d.qsos.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      HostQso h;
      h.qso = generator.Next();
      h.time = OleDateTime{h.qso.OleDays(), 0};
      d.qsos.push_back(std::move(h));
    }
    for (int i = 0; i < kSizes[2]; ++i) d.never_worked.push_back(generator.FreshCall());
    return d;
  }();
  return data;
}

// The host's arguments of one QSO.
host_args::QsoFields FieldsOf(const HostQso& h) {
  const loggen::Qso& q = h.qso;
  host_args::QsoFields f;
  f.own_call = kOwnCall;
  f.call = q.call.c_str();
  f.time = &h.time;
  f.frequency_hz = q.frequency_khz * 1000u;
  f.mode = h.mode.c_str();
  f.rst_sent = "599";
  f.rst_received = "599";
  f.exchange_sent = q.exchange_sent.c_str();
  f.exchange_received = q.exchange_received.c_str();
  f.prefix = q.prefix.c_str();
  f.country = q.country.c_str();
  f.band = q.band.c_str();
  return f;
}

int Add(const HostQso& h) { return host_args::CallQso(AddData0, FieldsOf(h)); }

int Remove(const HostQso& h) { return host_args::CallQso(RemoveData0, FieldsOf(h)); }

// A contest run in a scratch folder that holds the station details for the
// Cabrillo log (examples/settings), started anew with the first n QSOs.
class Run {
 public:
  Run(size_t n, bool cabrillo = false) {
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

// The texts of a CheckCallFunc0 call, made before the timing and read in
// order, so that the benchmark's own data stays out of the figures.
struct Probe {
  std::string call, prefix, country, band;
};

void CheckCalls(benchmark::State& state, const std::vector<Probe>& probes) {
  // The host's two text buffers.
  std::string out1(256, '\0'), out2(256, '\0');
  size_t i = 0;
  for (auto _ : state) {
    const Probe& p = probes[i];
    host_args::CheckFields f;
    f.call = p.call.c_str();
    f.mode = "BPSK63";
    f.prefix = p.prefix.c_str();
    f.country = p.country.c_str();
    f.band = p.band.c_str();
    f.band2 = p.band.c_str();
    benchmark::DoNotOptimize(host_args::CallCheck(CheckCallFunc0, f, out1.data(), out2.data()));
    if (++i == probes.size()) i = 0;
  }
  PerCall(state, 1);
}

void BM_CheckCallFunc0_Worked(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Run run(n);
  const Data& data = TheData();
  std::vector<Probe> probes;
  // Every stored QSO once, striding through the store so that successive
  // calls are far apart.
  for (size_t i = 0, k = 0; i < n; ++i, k = (k + 7919) % n) {
    const loggen::Qso& q = data.qsos[k].qso;
    probes.push_back({q.call, q.prefix, q.country, q.band});
  }
  CheckCalls(state, probes);
}

void BM_CheckCallFunc0_NeverWorked(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  Run run(n);
  const Data& data = TheData();
  std::vector<Probe> probes;
  for (size_t i = 0; i < data.never_worked.size(); ++i) {
    const loggen::Qso& like = data.qsos[i * 7919 % n].qso;
    probes.push_back({data.never_worked[i], loggen::PrefixOf(data.never_worked[i]),
                      like.country, like.band});
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

BENCHMARK(BM_AddData0_FreshFill)->Apply(Sizes)->Iterations(3)->Unit(benchmark::kMillisecond);
// A store of N grows by N/4 while it is timed.
BENCHMARK(BM_AddData0)->Arg(1000)->Iterations(250);
BENCHMARK(BM_AddData0)->Arg(10000)->Iterations(2500);
BENCHMARK(BM_AddData0)->Arg(100000)->Iterations(25000);
BENCHMARK(BM_CheckCallFunc0_Worked)->Apply(Sizes);
BENCHMARK(BM_CheckCallFunc0_NeverWorked)->Apply(Sizes);
// Each removal rewrites the journal to the disk: a few are enough.
BENCHMARK(BM_RemoveData0)->Apply(Sizes)->Iterations(10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetResult0)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
