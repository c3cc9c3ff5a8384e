#include "score.h"

#include <algorithm>

#include "cty.h"
#include "host_qso.h"
#include "host_rules.h"
#include "input.h"
#include "plugin.h"
#include "wpx.h"

namespace crosscheck {
namespace {

// Every QSO of a log with what the host hands the plug-in with it.
struct HostQsos final : public replay::LogReceiver {
  explicit HostQsos(const replay::CountryFile& countries) : countries_(countries) {}
  void OnQso(const replay::LogQso& qso) override { qsos.push_back(replay::ToHostQso(qso, countries_)); }
  void OnProblem(const replay::ReadProblem& problem) override { (void)problem; }
  std::vector<stats::host_args::HostQso> qsos;

 private:
  const replay::CountryFile& countries_;
};

std::optional<long> NumberAt(const std::string& text, size_t* pos) {
  while (*pos < text.size() && text[*pos] == ' ') ++*pos;
  const bool negative = *pos < text.size() && text[*pos] == '-';
  if (negative) ++*pos;
  long long value = 0;
  bool digits = false;
  // The plug-in's figures are 32-bit integers.
  while (*pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9' && value < 10000000000LL) {
    value = value * 10 + (text[*pos] - '0');
    ++*pos;
    digits = true;
  }
  if (!digits || value > 2147483647LL) return std::nullopt;
  return static_cast<long>(negative ? -value : value);
}

bool Expect(const std::string& text, size_t* pos, std::string_view what) {
  while (*pos < text.size() && text[*pos] == ' ') ++*pos;
  if (text.compare(*pos, what.size(), what) != 0) return false;
  *pos += what.size();
  return true;
}

}  // namespace

std::optional<Score> ParsePluginScore(const std::string& result) {
  size_t pos = result.rfind("Score = ");
  if (pos == std::string::npos) return std::nullopt;
  pos += 8;
  const std::optional<long> points = NumberAt(result, &pos);
  if (!points || !Expect(result, &pos, "*") || !Expect(result, &pos, "(")) return std::nullopt;
  const std::optional<long> prefixes = NumberAt(result, &pos);
  if (!prefixes || !Expect(result, &pos, "+")) return std::nullopt;
  const std::optional<long> sections = NumberAt(result, &pos);
  if (!sections || !Expect(result, &pos, ")") || !Expect(result, &pos, "=")) return std::nullopt;
  const std::optional<long> value = NumberAt(result, &pos);
  if (!value) return std::nullopt;
  return Score{*value, *points, *prefixes + *sections, *prefixes + *sections};
}

std::optional<Score> QsoScorer::Run(const StationLog& log, const std::vector<char>& keep, std::string* error) {
  (void)log, (void)error;
  const long kept = static_cast<long>(std::count(keep.begin(), keep.end(), 1));
  return Score{kept * points_, kept * points_, 1, points_};
}

struct PluginScorer::State {
  stats::host_args::PluginLibrary<replay::LibrarySystem> plugin;
  std::optional<replay::CountryFile> countries;
  std::string host_folder;
  OleDateTime start{}, end{};
  // The QSOs of the log scored last: a log is scored many times over.
  std::filesystem::path file;
  bool read = false;
  std::vector<stats::host_args::HostQso> qsos;
  std::string error;
};

PluginScorer::PluginScorer(std::unique_ptr<State> state) : state_(std::move(state)) {}
PluginScorer::~PluginScorer() = default;

std::unique_ptr<PluginScorer> PluginScorer::Load(const std::filesystem::path& plugin, const std::string& cty_text,
                                                 const std::filesystem::path& work, int64_t period_start,
                                                 int64_t period_end, std::string* error) {
  auto state = std::make_unique<State>();
  state->countries = replay::CountryFile::Parse(cty_text, error);
  if (!state->countries) return nullptr;
  state->plugin = stats::host_args::PluginLibrary<replay::LibrarySystem>(plugin);
  if (!state->plugin.loaded() || !state->plugin.missing().empty()) {
    *error = "cannot load the plug-in " + plugin.string() + ": " +
             (state->plugin.loaded() ? "the library does not export " + state->plugin.missing() : state->plugin.error());
    return nullptr;
  }
  state->host_folder = (work / "").string();
  // The contest's first and last day, as the host gives them.
  state->start = {static_cast<double>(period_start / 1440), 0};
  state->end = {static_cast<double>((period_end - 1) / 1440), 0};
  return std::unique_ptr<PluginScorer>(new PluginScorer(std::move(state)));
}

bool PluginScorer::Prepare(const StationLog& log, std::string* error) {
  State& s = *state_;
  if (!s.read || s.file != log.file) {
    s.read = true;
    s.file = log.file;
    s.qsos.clear();
    s.error.clear();
    std::unique_ptr<replay::FileSource> source = replay::FileSource::Open(log.file, &s.error);
    if (source) {
      const bool cabrillo = replay::DetectFormat(log.name, *source) == replay::LogFormat::kCabrillo;
      source = replay::FileSource::Open(log.file, &s.error);
      if (source) {
        HostQsos receiver(*s.countries);
        cabrillo ? replay::StreamCabrillo(*source, receiver) : replay::StreamAdif(*source, receiver);
        s.error = source->Error();
        s.qsos = std::move(receiver.qsos);
        for (stats::host_args::HostQso& q : s.qsos) {
          if (q.own_call.empty()) q.own_call = log.call;
        }
      }
    }
    if (s.error.empty() && s.qsos.size() != log.qsos.size()) s.error = "the log changed while it was checked";
  }
  if (!s.error.empty()) {
    *error = "cannot score " + log.path + ": " + s.error;
    return false;
  }
  return true;
}

void PluginScorer::Reset(const StationLog& log) {
  State& s = *state_;
  const std::string own_country = s.countries->CountryPrefix(log.call);
  stats::host_args::ResetFields reset;
  reset.host_folder = s.host_folder.c_str();
  reset.cabrillo = 0;
  reset.own_call = log.call.c_str();
  reset.start = &s.start;
  reset.end = &s.end;
  reset.own_country = own_country.c_str();
  stats::host_args::CallReset(s.plugin.entry().ResetStats0, reset);
}

std::optional<Score> PluginScorer::Result(const StationLog& log, std::string* error) {
  int ignored = 0;
  const char* result = state_->plugin.entry().GetResult0(&ignored);
  const std::optional<Score> score = ParsePluginScore(result != nullptr ? result : "");
  if (!score) *error = "the plug-in's result for " + log.path + " has no score";
  return score;
}

std::optional<Score> PluginScorer::Run(const StationLog& log, const std::vector<char>& keep, std::string* error) {
  if (!Prepare(log, error)) return std::nullopt;
  State& s = *state_;
  Reset(log);
  for (size_t i = 0; i < s.qsos.size(); ++i) {
    if (keep[i]) stats::host_args::CallQso(s.plugin.entry().AddData0, s.qsos[i]);
  }
  return Result(log, error);
}

std::optional<std::vector<Score>> PluginScorer::Removals(const StationLog& log, const std::vector<size_t>& order,
                                                         std::string* error) {
  if (!Prepare(log, error)) return std::nullopt;
  State& s = *state_;
  std::vector<Score> scores;
  Reset(log);
  for (const stats::host_args::HostQso& q : s.qsos) stats::host_args::CallQso(s.plugin.entry().AddData0, q);
  std::optional<Score> score = Result(log, error);
  if (!score) return std::nullopt;
  scores.push_back(*score);
  std::vector<char> keep(s.qsos.size(), 1);
  for (const size_t i : order) {
    stats::host_args::CallQso(s.plugin.entry().RemoveData0, s.qsos[i]);
    keep[i] = 0;
    if (!(score = Result(log, error))) return std::nullopt;
    scores.push_back(*score);
  }
  if (order.empty()) return scores;
  const std::optional<Score> fresh = Run(log, keep, error);
  if (!fresh) return std::nullopt;
  if (fresh->value == scores.back().value && fresh->points == scores.back().points &&
      fresh->multipliers == scores.back().multipliers) {
    return scores;
  }
  return Scorer::Removals(log, order, error);
}

std::optional<std::vector<Score>> Scorer::Removals(const StationLog& log, const std::vector<size_t>& order,
                                                   std::string* error) {
  std::vector<char> keep(log.qsos.size(), 1);
  std::vector<Score> scores;
  std::optional<Score> score = Run(log, keep, error);
  if (!score) return std::nullopt;
  scores.push_back(*score);
  for (const size_t i : order) {
    keep[i] = 0;
    if (!(score = Run(log, keep, error))) return std::nullopt;
    scores.push_back(*score);
  }
  return scores;
}

std::vector<size_t> RemovalOrder(const StationLog& log, const LogCheck& check) {
  std::vector<size_t> order(log.qsos.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return log.qsos[a].line < log.qsos[b].line; });
  std::vector<size_t> removed;
  for (const size_t i : order) {
    if (!check.findings[i].counted) removed.push_back(i);
  }
  return removed;
}

std::optional<EntrantScore> EntrantFromScores(const StationLog& log, const LogCheck& check,
                                              const std::vector<size_t>& removed, const std::vector<Score>& scores,
                                              std::string* error) {
  if (scores.size() != removed.size() + 1) {
    *error = "cannot score " + log.path + ": " + std::to_string(scores.size()) + " scores for " +
             std::to_string(removed.size()) + " lines taken out";
    return std::nullopt;
  }
  EntrantScore e;
  const size_t n = log.qsos.size();
  e.claimed_qsos = static_cast<long>(n);
  e.raw = scores.front();
  for (size_t k = 0; k < removed.size(); ++k) {
    e.deductions.push_back({removed[k], scores[k].value - scores[k + 1].value});
  }
  const Score current = scores.back();
  e.checked = current;
  e.checked_qsos = static_cast<long>(n - removed.size());
  const long per_qso = current.qso_value;
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return log.qsos[a].line < log.qsos[b].line; });
  for (const size_t i : order) {
    const int penalty = check.findings[i].penalty;
    if (penalty == 0) continue;
    e.penalty_qsos += penalty;
    const long cost = penalty * per_qso;
    auto it = std::find_if(e.deductions.begin(), e.deductions.end(), [&](const Deduction& d) { return d.qso == i; });
    if (it == e.deductions.end()) {
      it = e.deductions.insert(std::upper_bound(e.deductions.begin(), e.deductions.end(), i,
                                                [&](size_t q, const Deduction& d) { return log.qsos[q].line < log.qsos[d.qso].line; }),
                               Deduction{i, 0});
    }
    it->cost += cost;
    e.checked.value -= cost;
  }
  return e;
}

std::optional<EntrantScore> ScoreEntrant(Scorer& scorer, const StationLog& log, const LogCheck& check,
                                         std::string* error) {
  const std::vector<size_t> removed = RemovalOrder(log, check);
  const std::optional<std::vector<Score>> scores = scorer.Removals(log, removed, error);
  if (!scores) return std::nullopt;
  return EntrantFromScores(log, check, removed, *scores, error);
}

}  // namespace crosscheck
