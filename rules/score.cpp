#include "rules/score.h"

#include <algorithm>
#include <climits>
#include <string_view>
#include <utility>
#include <unordered_map>
#include <unordered_set>

namespace stats {
namespace {

std::string SortKey(const std::string& band) {
  return band.size() >= 20 ? band : std::string(20 - band.size(), '0') + band;
}

// What one band collects while the store is scanned.
struct BandTally {
  BandRow row;
  int dupes = 0;
  // Views of the store's texts, which stay put while it is scanned.
  std::unordered_set<std::string_view> prefixes;
  std::unordered_set<std::string_view> sections;
};

}  // namespace

void SortBands(std::vector<std::string>& bands) {
  // Descending by key, in n log n.  Texts with equal keys (the same band
  // text with more or fewer leading zeros) keep the order in which they were
  // first seen.
  std::vector<std::pair<std::string, size_t>> keyed;
  keyed.reserve(bands.size());
  for (size_t i = 0; i < bands.size(); ++i) keyed.emplace_back(SortKey(bands[i]), i);
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::string> sorted;
  sorted.reserve(bands.size());
  for (const auto& k : keyed) sorted.push_back(std::move(bands[k.second]));
  bands = std::move(sorted);
}

int ScoreOf(int points, int prefixes, int sections) {
  const long long score =
      static_cast<long long>(points) * (static_cast<long long>(prefixes) + sections);
  if (score > INT_MAX) return INT_MAX;
  if (score < INT_MIN) return INT_MIN;
  return static_cast<int>(score);
}

ScoreSummary ComputeScore(const ContestData& data) {
  std::vector<std::string> bands = data.bands_seen;
  SortBands(bands);

  ScoreSummary summary;
  std::unordered_map<std::string, BandTally> tallies;
  for (const std::string& band : bands) {
    tallies[band].row.band = band;
    const int index = BandIndex(band);
    if (index >= 0) summary.has_row[static_cast<size_t>(index)] = true;
  }

  // One pass over the store, in store order, so each worked list keeps the
  // order of first counted occurrence.
  for (size_t i = 0; i < data.store.Count(); ++i) {
    const CInfo& r = data.store.At(i);
    auto found = tallies.find(r.band);
    if (found == tallies.end() || r.call.empty()) continue;
    BandTally& t = found->second;
    t.dupes += r.dupe;
    if (r.not_counted) continue;
    ++t.row.qsos;
    const int index = BandIndex(r.band);
    const std::string_view prefix = r.prefix.view(), section = r.uba_section.view();
    if (t.prefixes.insert(prefix).second) {
      ++t.row.new_prefixes;
      if (index >= 0) summary.worked_prefixes[static_cast<size_t>(index)].emplace_back(prefix);
    }
    if (!section.empty() && t.sections.insert(section).second) {
      ++t.row.uba_sections;
      if (index >= 0) summary.worked_sections[static_cast<size_t>(index)].emplace_back(section);
    }
  }

  for (const std::string& band : bands) {
    BandTally& t = tallies[band];
    t.row.points = t.row.qsos;
    summary.total_qsos += t.row.qsos;
    summary.total_points += t.row.points;
    summary.total_prefixes += t.row.new_prefixes;
    summary.total_sections += t.row.uba_sections;
    summary.dupes += t.dupes;
    summary.rows.push_back(t.row);
  }
  summary.bad_qsos = data.journal.BadLineCount();
  summary.score = ScoreOf(summary.total_points, summary.total_prefixes, summary.total_sections);
  return summary;
}

}  // namespace stats
