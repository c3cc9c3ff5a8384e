#include "wpx.h"

#include <algorithm>
#include <vector>

#include "host_rules.h"

namespace replay {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsPortableDesignator(std::string_view part) {
  return part == "P" || part == "M" || part == "MM" || part == "AM" || part == "QRP";
}

// The prefix of a call or prefix designator without slashes.
std::string PlainPrefix(std::string_view call, bool designator) {
  const auto last_digit = std::find_if(call.rbegin(), call.rend(), IsDigit);
  if (last_digit != call.rend()) {
    return std::string(call.substr(0, static_cast<size_t>(call.rend() - last_digit)));
  }
  // No digit at all: a designator (PA in PA/ON4ABC) is the prefix itself,
  // a call gives its first two letters; either way 0 is added.
  return std::string(designator ? call : call.substr(0, 2)) + "0";
}

}  // namespace

std::string WpxPrefix(std::string_view call_text) {
  const std::string call = Upper(Trim(call_text));
  std::vector<std::string_view> parts;
  std::string_view rest = call;
  while (true) {
    const size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (!part.empty() && !IsPortableDesignator(part)) parts.push_back(part);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  if (parts.empty()) return "";
  // The station's own call is the longest part; a single digit after it
  // moves the call to another call area.
  const auto own = std::max_element(parts.begin(), parts.end(),
                                    [](auto a, auto b) { return a.size() < b.size(); });
  for (auto it = parts.begin(); it != parts.end(); ++it) {
    if (it == own) continue;
    const std::string_view part = *it;
    if (part.size() == 1 && IsDigit(part[0])) {
      std::string prefix = PlainPrefix(*own, false);
      if (!prefix.empty() && IsDigit(prefix.back())) prefix.back() = part[0];
      return prefix;
    }
    // Any other part is a prefix designator, and it wins.
    return PlainPrefix(part, true);
  }
  return PlainPrefix(*own, false);
}

}  // namespace replay
