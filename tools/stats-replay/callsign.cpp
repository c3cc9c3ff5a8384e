#include "callsign.h"

#include <algorithm>
#include <vector>

#include "host_rules.h"

namespace replay {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

// A part with no letter after its last digit, as prefixes are written
// (KH6, PA, W8) and home calls are not (K5PI).
bool PrefixShaped(std::string_view part) {
  const auto last_digit = std::find_if(part.rbegin(), part.rend(), IsDigit);
  return std::none_of(part.rbegin(), last_digit, IsLetter) || last_digit == part.rend();
}

// Whether a part after the call names a place: a designator with a digit
// (W8, KH6, AD8, 6Y, 3D2: up to four characters, no letter after the last
// digit), or a prefix listed whole in the country file (PA, F, VP2V).  The
// other parts are no place, whatever cty.dat's prefixes they start with:
// /LGT, /SAT, /UNI, /Y2K, /STS50, and /LH, the lighthouse mark, although LH
// is also one of Norway's prefixes (cty.dat files =HB9DAR/LH as Swiss).
bool IsPlaceAfterCall(std::string_view part, const PrefixTest& is_listed) {
  if (part == "LH") return false;
  if (std::any_of(part.begin(), part.end(), IsDigit) && part.size() <= 4 && PrefixShaped(part)) {
    return true;
  }
  return is_listed && is_listed(part);
}

}  // namespace

bool IsOperatingMark(std::string_view part) {
  return part == "P" || part == "M" || part == "MM" || part == "AM" || part == "QRP" ||
         part == "QRPP" || (part.size() == 1 && IsLetter(part[0]));
}

CallParts SplitCall(std::string_view call_text, const PrefixTest& is_listed) {
  const std::string call = Upper(Trim(call_text));
  std::vector<std::string_view> parts;
  std::string_view rest = call;
  while (true) {
    const size_t slash = rest.find('/');
    if (const std::string_view part = rest.substr(0, slash); !part.empty()) parts.push_back(part);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  CallParts result;
  if (parts.empty()) return result;

  // The home call: the longest part, with ties settled as described.  A
  // mark such as /P is never one ("/P" alone is no call).
  size_t home = parts.size();
  for (size_t i = 0; i < parts.size(); ++i) {
    if (IsOperatingMark(parts[i])) continue;
    if (home == parts.size() || parts[i].size() > parts[home].size()) home = i;
  }
  if (home == parts.size()) return result;
  for (size_t i = home + 1; i < parts.size(); ++i) {
    if (parts[i].size() != parts[home].size() || IsOperatingMark(parts[i])) continue;
    // parts[home] comes first and is the designator unless the tests below
    // point to parts[i].
    const std::string_view first = parts[home], second = parts[i];
    bool second_is_designator = false;
    const bool first_listed = is_listed && is_listed(first);
    const bool second_listed = is_listed && is_listed(second);
    if (first_listed != second_listed) {
      second_is_designator = second_listed;
    } else if (PrefixShaped(first) != PrefixShaped(second)) {
      second_is_designator = PrefixShaped(second);
    }
    if (!second_is_designator) home = i;
    break;
  }
  result.home = std::string(parts[home]);

  for (size_t i = 0; i < parts.size(); ++i) {
    if (i == home) continue;
    const std::string_view part = parts[i];
    if (std::all_of(part.begin(), part.end(), IsDigit)) {
      // A single digit is a new call area; longer numbers mark nothing.
      if (part.size() == 1 && result.area == 0) result.area = part[0];
      continue;
    }
    if (i > home) {
      if (part == "MM" || part == "AM") {
        result.maritime = true;
        continue;
      }
      if (IsOperatingMark(part) || !IsPlaceAfterCall(part, is_listed)) continue;
    }
    if (result.designator.empty()) result.designator = std::string(part);
  }
  return result;
}

}  // namespace replay
