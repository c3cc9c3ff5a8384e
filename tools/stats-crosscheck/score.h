// The scores of an entrant: the raw recount of every QSO line, the checked
// score over the lines that stand, and what each line that lost credit cost.
// For the UBA contest the plug-in scores both, through its exports, exactly
// as it scored the operator's log while logging; for a contest scored by
// QSOs the score is the points of the QSOs counted.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contest.h"
#include "logs.h"
#include "matching.h"

namespace crosscheck {

// One scoring: score = points * multipliers.
struct Score {
  long value = 0;
  long points = 0;
  long multipliers = 1;
  long qso_value = 1;  // what one QSO more or less is worth, multipliers aside
};

class Scorer {
 public:
  virtual ~Scorer() = default;
  // Scores the log's QSOs for which keep[i] is set; nullopt with *error set
  // when it cannot.
  virtual std::optional<Score> Run(const StationLog& log, const std::vector<char>& keep, std::string* error) = 0;
  // The scores of all QSOs, then with the QSOs of `order` taken out one
  // after another: order.size() + 1 scores.  By Run each time unless the
  // scorer knows better.
  virtual std::optional<std::vector<Score>> Removals(const StationLog& log, const std::vector<size_t>& order,
                                                     std::string* error);
};

// QSO points only: `points` each.
class QsoScorer final : public Scorer {
 public:
  explicit QsoScorer(int points) : points_(points) {}
  std::optional<Score> Run(const StationLog& log, const std::vector<char>& keep, std::string* error) override;

 private:
  int points_;
};

// The plug-in, loaded by path, scoring in `work` (its settings file and
// journal are written there).  The country file gives each QSO its country
// and, where the log has none, its prefix, as the host works them out.
class PluginScorer final : public Scorer {
 public:
  static std::unique_ptr<PluginScorer> Load(const std::filesystem::path& plugin, const std::string& cty_text,
                                            const std::filesystem::path& work, int64_t period_start,
                                            int64_t period_end, std::string* error);
  ~PluginScorer() override;
  std::optional<Score> Run(const StationLog& log, const std::vector<char>& keep, std::string* error) override;
  // All QSOs once, then RemoveData0 for each QSO taken out and a result
  // after each, as an operator deleting lines: one feed instead of one per
  // line.  The last score is checked against a fresh feed of the QSOs
  // left; where they differ (a QSO the plug-in took for a dupe of one taken
  // out keeps its mark) every score is taken by a fresh feed.
  std::optional<std::vector<Score>> Removals(const StationLog& log, const std::vector<size_t>& order,
                                             std::string* error) override;

 private:
  struct State;
  explicit PluginScorer(std::unique_ptr<State> state);
  // Reads the log's QSOs as the host hands them on, once per log.
  bool Prepare(const StationLog& log, std::string* error);
  void Reset(const StationLog& log);
  std::optional<Score> Result(const StationLog& log, std::string* error);
  std::unique_ptr<State> state_;
};

// Reads the score line of the plug-in's result text, "Score = P * (A + B)  = S".
std::optional<Score> ParsePluginScore(const std::string& result);

struct Deduction {
  size_t qso = 0;  // index into the log's QSOs
  long cost = 0;   // score points
};

struct EntrantScore {
  Score raw;      // every QSO line
  Score checked;  // the lines that stand, less the penalties
  long claimed_qsos = 0;
  long checked_qsos = 0;
  long penalty_qsos = 0;
  // One per line that lost credit or carries a penalty, in file order; the
  // costs add up to raw.value - checked.value.
  std::vector<Deduction> deductions;
};

// The scores of one used log.  The line costs are the score lost by taking
// the lines out one after another in file order; a penalty QSO costs what
// a QSO is worth in the checked score (its points times the multipliers).
std::optional<EntrantScore> ScoreEntrant(Scorer& scorer, const StationLog& log, const LogCheck& check,
                                         std::string* error);

// ScoreEntrant in two halves, for a scorer in another process: the lines
// taken out, in file order, and the entrant's scores from the scores after
// each of them (removed.size() + 1, as Scorer::Removals gives them).
std::vector<size_t> RemovalOrder(const StationLog& log, const LogCheck& check);
std::optional<EntrantScore> EntrantFromScores(const StationLog& log, const LogCheck& check,
                                              const std::vector<size_t>& removed, const std::vector<Score>& scores,
                                              std::string* error);

}  // namespace crosscheck
