// The score: points, prefixes and UBA sections per band, and the totals.
#pragma once

#include <string>
#include <vector>

#include "plugin/contest.h"

namespace stats {

struct BandRow {
  std::string band;
  int qsos = 0;
  int points = 0;
  int new_prefixes = 0;
  int uba_sections = 0;
};

struct ScoreSummary {
  std::vector<BandRow> rows;
  int total_qsos = 0;
  int total_points = 0;
  int total_prefixes = 0;
  int total_sections = 0;
  int dupes = 0;
  int bad_qsos = 0;
  int score = 0;
};

// Sorts the bands seen, scores every band, rebuilds the worked lists of the
// contest bands that have a row, and stores the claimed score.
ScoreSummary ComputeScore(ContestState& state);

// Sorts band texts the way the result lists them: descending by the text
// left-filled with "0" to 20 characters.
void SortBands(std::vector<std::string>& bands);

// points x (prefixes + sections), computed wide and capped at INT_MAX.
int ScoreOf(int points, int prefixes, int sections);

}  // namespace stats
