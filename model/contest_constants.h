// What this contest accepts: its mode and its six bands, and the per-band
// lists the rules and the windows keep.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace stats {

// A constant list of accepted texts (modes or bands).
class CContestRules {
 public:
  explicit CContestRules(std::vector<std::string> entries) : entries_(std::move(entries)) {}
  // True if some entry equals the text without regard to the case of the
  // letters A to Z (other bytes, such as those of multibyte characters, must
  // be equal).
  bool Contains(std::string_view text) const;
  size_t Size() const { return entries_.size(); }
  const std::string& At(size_t index) const { return entries_[index]; }

 private:
  std::vector<std::string> entries_;
};

// Compares two texts ignoring the case of the letters A to Z only.
bool EqualsNoCase(std::string_view a, std::string_view b);

const CContestRules& AcceptedModes();  // "BPSK63"
const CContestRules& AcceptedBands();  // "160m" ... "10m"; band index k is entry k

inline constexpr int kBandCount = 6;

// Band index 0 to 5 of a band text equal to an accepted band exactly; -1 for
// any other text.
int BandIndex(std::string_view band);

// Per band lists of texts (worked prefixes, worked sections), band index k
// at entry k.
using BandLists = std::array<std::vector<std::string>, kBandCount>;

// Appends text unless an equal entry (exact compare) is already present.
void AddIfAbsent(std::vector<std::string>& list, std::string_view text);

}  // namespace stats
