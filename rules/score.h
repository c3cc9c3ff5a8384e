// The score: points, prefixes and UBA sections per band, and the totals.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "rules/contest_data.h"

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
  // The prefixes and UBA sections counted on each contest band that has a
  // row, in store order of first counted occurrence; has_row tells which.
  BandLists worked_prefixes;
  BandLists worked_sections;
  std::array<bool, kBandCount> has_row{};
};

// Scores every band seen, in the order SortBands gives, and collects the
// worked lists of the contest bands that have a row.
ScoreSummary ComputeScore(const ContestData& data);

// Sorts band texts the way the result lists them: descending by the text
// left-filled with "0" to 20 characters.
void SortBands(std::vector<std::string>& bands);

// points x (prefixes + sections), computed wide and capped at INT_MAX.
int ScoreOf(int points, int prefixes, int sections);

}  // namespace stats
