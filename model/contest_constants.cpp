#include "model/contest_constants.h"

#include <algorithm>

namespace stats {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool CContestRules::Contains(std::string_view text) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const std::string& e) { return EqualsNoCase(e, text); });
}

const CContestRules& AcceptedModes() {
  static const CContestRules modes({"BPSK63"});
  return modes;
}

const CContestRules& AcceptedBands() {
  static const CContestRules bands({"160m", "80m", "40m", "20m", "15m", "10m"});
  return bands;
}

int BandIndex(std::string_view band) {
  const CContestRules& bands = AcceptedBands();
  for (size_t k = 0; k < bands.Size(); ++k) {
    if (bands.At(k) == band) return static_cast<int>(k);
  }
  return -1;
}

void AddIfAbsent(std::vector<std::string>& list, std::string_view text) {
  if (std::find(list.begin(), list.end(), text) == list.end()) list.emplace_back(text);
}

}  // namespace stats
