#include "crosscheck.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "cli.h"
#include "contest.h"
#include "host_rules.h"
#include "input.h"
#include "logs.h"
#include "matching.h"
#include "outputs.h"
#include "parallel.h"
#include "reports.h"
#include "score.h"
#include "stats_version.h"
#include "system.h"
#include "terminal.h"
#include "workers.h"

namespace crosscheck {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "stats-crosscheck";

void Write(std::FILE* to, const std::string& text) { std::fwrite(text.data(), 1, text.size(), to); }

// Texts from a log or a file name reach the terminal with control bytes
// escaped.
void Complain(std::FILE* err, const std::string& text) {
  Write(err, std::string(kProgram) + ": " + replay::Printable(text) + "\n");
}

// A built-in contest by name, else a definition file.
std::optional<ContestDefinition> LoadContest(const std::string& name, std::string* error) {
  const std::string_view builtin = BuiltinContestText(name);
  if (!builtin.empty()) return ParseContest(builtin, name, error);
  std::error_code ec;
  if (!fs::exists(name, ec)) {
    std::string names;
    for (std::string_view n : BuiltinContestNames()) names += (names.empty() ? "" : ", ") + std::string(n);
    *error = "no contest '" + name + "': neither a definition file nor one of " + names;
    return std::nullopt;
  }
  std::string text;
  if (!replay::ReadRegularFile(name, &text, error)) {
    *error = "cannot read the contest definition " + name + ": " + *error;
    return std::nullopt;
  }
  return ParseContest(text, name, error);
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  std::string error;
  const std::optional<Options> parsed = ParseOptions(args, &error);
  if (!parsed) {
    Complain(err, error);
    Write(err, std::string("Try '") + kProgram + " --help' for more information.\n");
    return kExitUsage;
  }
  const Options& options = *parsed;
  if (options.help) {
    Write(out, UsageText());
    return kExitOk;
  }
  if (options.version) {
    Write(out, std::string(kProgram) + " " + STATS_VERSION_TEXT + "\n");
    return kExitOk;
  }
  const std::optional<ContestDefinition> contest = LoadContest(options.contest, &error);
  if (!contest) {
    Complain(err, error);
    return kExitInput;
  }

  std::vector<std::string> missing;
  const std::vector<std::string> files = ListLogFiles(options.logs, &missing);
  for (const std::string& m : missing) Complain(err, "cannot read " + m);
  const unsigned threads = options.threads > 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  using Clock = std::chrono::steady_clock;
  const auto seconds = [](Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); };
  // Progress on a terminal: one line, written over.
  const bool progress = sys::IsTerminal(err);
  std::mutex progress_lock;
  const auto tell = [&](const std::string& text) {
    if (progress) Write(err, "\r" + text + "\x1b[K");
  };
  // Before a message: the progress line goes.
  const auto clear = [&] {
    if (progress) Write(err, "\r\x1b[K");
  };
  size_t read_count = 0;
  const auto on_read = [&] {
    const std::lock_guard<std::mutex> hold(progress_lock);
    ++read_count;
    if (read_count % 50 == 0 || read_count == files.size()) {
      tell("read " + std::to_string(read_count) + " of " + std::to_string(files.size()) + " logs");
    }
  };
  auto step = Clock::now();
  std::vector<StationLog> logs = ReadStationLogs(files, *contest, threads, progress ? std::function<void()>(on_read) : std::function<void()>());
  const double read_seconds = seconds(step);
  clear();

  // What could not be read, log by log in file order; an unreadable log is
  // left out, a bad line skipped.
  std::vector<StationLog> readable;
  for (StationLog& log : logs) {
    if (!log.error.empty()) {
      Complain(err, "cannot read " + log.path + ": " + log.error);
      continue;
    }
    for (const replay::ReadProblem& p : log.problems) {
      Complain(err, log.path + ":" + std::to_string(p.line) + ": " + p.reason + "; skipped");
    }
    if (log.call.empty()) {
      Complain(err, log.path + ": the log names no station call (CALLSIGN:); left out");
      continue;
    }
    readable.push_back(std::move(log));
  }
  if (readable.empty()) {
    Complain(err, "no log to check");
    return kExitInput;
  }
  ArrangeLogs(&readable);

  CheckOptions check_options;
  check_options.first_day = options.first_day;
  check_options.window_minutes = options.window_minutes;
  long lines = 0;
  for (const StationLog& log : readable) lines += static_cast<long>(log.qsos.size());
  tell("matching " + std::to_string(lines) + " QSOs of " + std::to_string(readable.size()) + " logs");
  const CheckResult result = CheckLogs(readable, *contest, check_options);
  clear();
  for (size_t l = 0; l < readable.size(); ++l) {
    if (result.logs[l].used) continue;
    Complain(err, readable[l].path + " and " + readable[result.logs[l].superseded_by].path +
                      " are both logs of " + readable[l].call + ": the later one, " +
                      readable[result.logs[l].superseded_by].path + ", is used");
  }

  std::error_code ec;
  const fs::path folder = fs::absolute(options.out, ec);
  fs::create_directories(folder / "ubn", ec);
  if (ec) {
    Complain(err, "cannot make the folder " + (folder / "ubn").string() + ": " + ec.message());
    return kExitOutput;
  }

  // The scores, one entrant after another: the plug-in holds one contest
  // at a time.
  std::unique_ptr<Scorer> scorer;
  const bool own_work = options.work.empty();
  fs::path work = own_work ? fs::path() : fs::absolute(options.work, ec);
  std::optional<fs::path> back;
  fs::path plugin_path;
  fs::path cty_path;
  if (contest->score == ScoreRule::kPlugin) {
    // Absolute: the scoring processes work in folders of their own.
    cty_path = fs::absolute(options.cty, ec);
    std::string cty_text;
    if (!replay::ReadRegularFile(options.cty, &cty_text, &error)) {
      Complain(err, "cannot read the country file " + options.cty + ": " + error);
      return kExitInput;
    }
    plugin_path = options.plugin;
    if (plugin_path.empty()) {
      const fs::path program = replay::sys::ProgramPath();
      plugin_path = program.empty() ? fs::path(STATS_LIBRARY_NAME) : program.parent_path() / STATS_LIBRARY_NAME;
    }
    plugin_path = fs::absolute(plugin_path, ec);
    if (own_work) {
      // The plug-in's settings file is written on every result and its
      // files are not kept: a folder in memory where the system has one.
      work = sys::MakeScratchFolder("stats-crosscheck", &error);
      if (work.empty()) {
        Complain(err, "cannot make a folder for the plug-in's files: " + error);
        return kExitOutput;
      }
    }
    fs::create_directories(work, ec);
    // The plug-in writes its journal into the current folder.
    back = fs::current_path(ec);
    fs::current_path(work, ec);
    if (ec) {
      Complain(err, "cannot work in the folder " + work.string() + ": " + ec.message());
      if (own_work) fs::remove_all(work, ec);
      return kExitOutput;
    }
    scorer = PluginScorer::Load(plugin_path, cty_text, work, result.period_start, result.period_end, &error);
    if (!scorer) {
      Complain(err, error);
      fs::current_path(*back, ec);
      if (own_work) fs::remove_all(work, ec);
      return kExitInput;
    }
  } else {
    scorer = std::make_unique<QsoScorer>(contest->points);
  }
  step = Clock::now();
  std::vector<ScoreTask> tasks;
  for (size_t l = 0; l < readable.size(); ++l) {
    if (result.logs[l].used) tasks.push_back({l, RemovalOrder(readable[l], result.logs[l])});
  }
  // The plug-in scores in processes of this program side by side, one per
  // thread; where none can be started, here.
  std::vector<TaskOutcome> outcomes(tasks.size());
  const fs::path program = replay::sys::ProgramPath();
  if (contest->score == ScoreRule::kPlugin && threads > 1 && tasks.size() > 1 && !program.empty()) {
    size_t scored = 0;
    const auto on_scored = [&] {
      const std::lock_guard<std::mutex> hold(progress_lock);
      ++scored;
      if (scored % 50 == 0 || scored == tasks.size()) {
        tell("scoring: " + std::to_string(scored) + " of " + std::to_string(tasks.size()) + " entrants scored");
      }
    };
    outcomes = ScoreInProcesses(program, plugin_path, cty_path, result.period_start, result.period_end, readable, tasks,
                                threads, work, progress ? std::function<void()>(on_scored) : std::function<void()>());
  }
  std::vector<Entrant> entrants;
  int status = kExitOk;
  for (size_t t = 0; t < tasks.size(); ++t) {
    const size_t l = tasks[t].log;
    TaskOutcome& o = outcomes[t];
    if (!o.started) {
      if (t % 50 == 0) tell("scoring: " + std::to_string(t) + " of " + std::to_string(tasks.size()) + " entrants scored");
      o.scores = scorer->Removals(readable[l], tasks[t].removed, &o.error);
    }
    std::optional<EntrantScore> score;
    if (o.scores) score = EntrantFromScores(readable[l], result.logs[l], tasks[t].removed, *o.scores, &o.error);
    if (!score) {
      clear();
      Complain(err, o.error);
      status = kExitInput;
      continue;
    }
    entrants.push_back({l, std::move(*score)});
  }
  scorer.reset();
  if (back) {
    fs::current_path(*back, ec);
    // A folder of its own is removed; one given keeps the plug-in's files.
    if (own_work) fs::remove_all(work, ec);
  }

  const double score_seconds = seconds(step);
  clear();
  step = Clock::now();
  const auto put = [&](const fs::path& path, const std::string& text) {
    if (ReplaceFile(path, text, &error)) return true;
    Complain(err, error);
    status = kExitOutput;
    return false;
  };
  // The rows of each log and the UBN reports are made side by side; what
  // could not be written is told in the order of the files.
  const std::vector<size_t> table_order = VerdictsOrder(readable, result);
  std::vector<std::string> table(table_order.size() + 1);
  table[0] = VerdictsHeader();
  std::vector<std::string> ubn_errors(entrants.size());
  ForEachIndex(table_order.size() + entrants.size(), threads, [&](size_t i) {
    if (i < table_order.size()) {
      table[i + 1] = VerdictRows(readable, result, table_order[i]);
      return;
    }
    const Entrant& e = entrants[i - table_order.size()];
    // Left empty when the file is written.
    ReplaceFile(folder / "ubn" / UbnFileName(readable[e.log].call), UbnReport(*contest, readable, result, e),
                &ubn_errors[i - table_order.size()]);
  });
  if (!ReplaceFile(folder / "verdicts.tsv", table, &error)) {
    Complain(err, error);
    status = kExitOutput;
  }
  std::vector<std::string>().swap(table);
  for (const std::string& failed : ubn_errors) {
    if (failed.empty()) continue;
    Complain(err, failed);
    status = kExitOutput;
  }
  const Results tables = ResultTables(*contest, readable, entrants);
  put(folder / "results.txt", tables.text);
  put(folder / "results.csv", tables.csv);
  put(folder / "results.html", tables.html);

  const double write_seconds = seconds(step);
  clear();
  if (options.timings) {
    const auto ms = [](double s) { return std::to_string(static_cast<long>(s * 1000 + 0.5)) + " ms"; };
    Complain(err, "timings: read " + ms(read_seconds) + ", match " + ms(result.match_seconds) + ", bust search " +
                      ms(result.bust_seconds) + ", score " + ms(score_seconds) + ", write " + ms(write_seconds));
  }
  std::array<long, kVerdictCount> counts{};
  long qsos = 0, used_logs = 0;
  for (size_t l = 0; l < readable.size(); ++l) {
    if (!result.logs[l].used) continue;
    ++used_logs;
    for (const Finding& f : result.logs[l].findings) {
      ++counts[static_cast<size_t>(f.verdict)];
      ++qsos;
    }
  }
  std::string summary = std::to_string(used_logs) + " logs, " + std::to_string(qsos) + " QSOs:";
  bool first = true;
  for (int v = 0; v < kVerdictCount; ++v) {
    if (counts[v] == 0) continue;
    summary += std::string(first ? " " : ", ") + std::to_string(counts[v]) + " " +
               std::string(VerdictName(static_cast<Verdict>(v)));
    first = false;
  }
  Complain(err, summary);
  return status;
}

}  // namespace crosscheck
