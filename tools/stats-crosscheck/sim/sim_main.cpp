// contest-sim: simulated contests for stats-crosscheck, and the scorer of
// its verdicts against their truth.
//
//   contest-sim generate [--logs N] [--seed S] [--qsos MEAN] --out DIR
//       writes DIR/logs/<CALL>.log (Cabrillo 3.0) and DIR/truth.tsv
//   contest-sim score --truth TRUTH.tsv --verdicts VERDICTS.tsv
//                     [--results RESULTS.csv --logs DIR [--plugin P] [--cty C]]
//       compares the verdicts with the truth; with --results, also each
//       entrant's checked score with its true score (the plug-in's score of
//       the lines the truth counts)
//   contest-sim official --official OFFICIAL.tsv --verdicts VERDICTS.tsv --logs DIR
//       compares the verdicts with a sponsor's (the LZ Open 2017's)
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "contest.h"
#include "input.h"
#include "logs.h"
#include "outputs.h"
#include "score.h"
#include "official.h"
#include "simulate.h"
#include "system.h"

namespace {

namespace fs = std::filesystem;

int Fail(const std::string& text) {
  std::fprintf(stderr, "contest-sim: %s\n", text.c_str());
  return 1;
}

int Generate(const std::map<std::string, std::string>& args) {
  sim::Options o;
  if (args.count("--logs")) o.logs = std::atoi(args.at("--logs").c_str());
  if (args.count("--seed")) o.seed = static_cast<uint32_t>(std::strtoul(args.at("--seed").c_str(), nullptr, 10));
  if (args.count("--qsos")) o.mean_qsos = std::atoi(args.at("--qsos").c_str());
  if (!args.count("--out") || o.logs < 2 || o.mean_qsos < 1) return Fail("generate needs --out DIR, --logs 2 or more");
  const fs::path out = args.at("--out");
  std::error_code ec;
  fs::create_directories(out / "logs", ec);
  if (ec) return Fail("cannot make " + (out / "logs").string() + ": " + ec.message());
  const sim::Contest contest = sim::Simulate(o);
  std::string error;
  for (const auto& [name, text] : contest.files) {
    if (!crosscheck::ReplaceFile(out / "logs" / name, text, &error)) return Fail(error);
  }
  if (!crosscheck::ReplaceFile(out / "truth.tsv", sim::TruthTable(contest.truth), &error)) return Fail(error);
  long lines = static_cast<long>(contest.truth.size());
  std::printf("%zu logs, %ld QSO lines\n", contest.files.size(), lines);
  return 0;
}

int Score(const std::map<std::string, std::string>& args) {
  if (!args.count("--truth") || !args.count("--verdicts")) return Fail("score needs --truth and --verdicts");
  std::string truth_text, verdicts, error;
  if (!replay::ReadRegularFile(args.at("--truth"), &truth_text, &error)) return Fail(args.at("--truth") + ": " + error);
  if (!replay::ReadRegularFile(args.at("--verdicts"), &verdicts, &error)) return Fail(args.at("--verdicts") + ": " + error);
  std::vector<sim::TruthLine> truth;
  if (!sim::ParseTruth(truth_text, &truth, &error)) return Fail(error);
  sim::Comparison c;
  if (!sim::CompareVerdicts(truth, verdicts, &c, &error)) return Fail(error);
  std::string report = sim::ComparisonText(c);
  if (args.count("--results")) {
    if (!args.count("--logs")) return Fail("--results needs --logs");
    std::string csv;
    if (!replay::ReadRegularFile(args.at("--results"), &csv, &error)) return Fail(args.at("--results") + ": " + error);
    // call -> checked score, from the results.
    std::map<std::string, long> checked;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::vector<std::string> f;
      std::stringstream fields(line);
      std::string field;
      while (std::getline(fields, field, ',')) f.push_back(field);
      if (f.size() == 9) checked[f[2]] = std::atol(f[8].c_str());
    }
    std::string contest_error;
    const crosscheck::ContestDefinition contest =
        crosscheck::ParseContest(crosscheck::BuiltinContestText("uba-psk63-prefix"), "uba-psk63-prefix", &contest_error).value();
    std::string cty_text;
    const std::string cty = args.count("--cty") ? args.at("--cty") : "/usr/share/hamradio-files/cty.dat";
    if (!replay::ReadRegularFile(cty, &cty_text, &error)) return Fail(cty + ": " + error);
    fs::path plugin = args.count("--plugin") ? fs::path(args.at("--plugin"))
                                             : replay::sys::ProgramPath().parent_path() / STATS_LIBRARY_NAME;
    std::error_code ec;
    plugin = fs::absolute(plugin, ec);
    const fs::path logs = fs::absolute(args.at("--logs"), ec);
    const fs::path work = fs::temp_directory_path(ec) / ("contest-sim-" + std::to_string(std::rand()));
    fs::create_directories(work, ec);
    const fs::path back = fs::current_path(ec);
    fs::current_path(work, ec);
    // The contest day of the simulator: 2026-01-03 13:00 for 24 hours.
    const int64_t start = 46025LL * 1440 + 13 * 60;
    std::unique_ptr<crosscheck::PluginScorer> scorer =
        crosscheck::PluginScorer::Load(plugin, cty_text, work, start, start + 1440, &error);
    if (!scorer) return Fail(error);
    std::map<std::string, std::map<int, bool>> counted;
    for (const sim::TruthLine& t : truth) counted[t.log][t.line] = t.counted;
    long entrants = 0, close = 0;
    for (const auto& [name, lines] : counted) {
      const crosscheck::StationLog log = crosscheck::ReadStationLog((logs / name).string(), contest);
      crosscheck::LogCheck check;
      for (const crosscheck::Qso& q : log.qsos) {
        crosscheck::Finding f;
        f.counted = lines.count(q.line) ? lines.at(q.line) : true;
        check.findings.push_back(f);
      }
      // Only the final score is wanted: all lines kept, then the truth's.
      std::vector<char> keep;
      for (const crosscheck::Finding& f : check.findings) keep.push_back(f.counted ? 1 : 0);
      const std::optional<crosscheck::Score> s = scorer->Run(log, keep, &error);
      if (!s) return Fail(error);
      ++entrants;
      const auto it = checked.find(log.call);
      if (it == checked.end()) continue;
      const double diff = static_cast<double>(it->second - s->value);
      if ((diff < 0 ? -diff : diff) <= 0.005 * static_cast<double>(s->value)) ++close;
    }
    scorer.reset();
    fs::current_path(back, ec);
    fs::remove_all(work, ec);
    report += "checked score within 0.5% of the true score: " + std::to_string(close) + " of " +
              std::to_string(entrants) + " entrants\n";
  }
  std::fwrite(report.data(), 1, report.size(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc < 2) return Fail("usage: contest-sim generate|score [options]");
    const std::string command = argv[1];
    std::map<std::string, std::string> args;
    for (int i = 2; i + 1 < argc; i += 2) args[argv[i]] = argv[i + 1];
    if ((argc - 2) % 2 != 0) return Fail("every option takes a value");
    if (command == "generate") return Generate(args);
    if (command == "score") return Score(args);
    if (command == "official") {
      if (!args.count("--official") || !args.count("--verdicts") || !args.count("--logs")) {
        return Fail("official needs --official, --verdicts and --logs");
      }
      std::string official, verdicts, error, report;
      if (!replay::ReadRegularFile(args.at("--official"), &official, &error)) return Fail(args.at("--official") + ": " + error);
      if (!replay::ReadRegularFile(args.at("--verdicts"), &verdicts, &error)) return Fail(args.at("--verdicts") + ": " + error);
      if (!sim::CompareWithSponsor(official, verdicts, args.at("--logs"), &report, &error)) return Fail(error);
      std::fwrite(report.data(), 1, report.size(), stdout);
      return 0;
    }
    return Fail("unknown command " + command + " (generate, score, official)");
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
