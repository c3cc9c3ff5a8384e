#include "wpx.h"

#include <algorithm>

namespace replay {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

// The part up to and including the last digit; empty when there is none.
std::string_view UpToLastDigit(std::string_view text) {
  const auto last_digit = std::find_if(text.rbegin(), text.rend(), IsDigit);
  return text.substr(0, static_cast<size_t>(text.rend() - last_digit));
}

std::string HomePrefix(std::string_view call, char area) {
  std::string prefix(UpToLastDigit(call));
  if (prefix.empty()) return std::string(call.substr(0, 2)) + "0";
  // A call whose only digit leads it (4UNR, 6YA) is read as a designator
  // of that shape is: the digit and the letter after it, no 0 added.
  if (prefix.size() == 1) return std::string(call.substr(0, 2));
  if (area != 0) prefix.back() = area;
  return prefix;
}

std::string DesignatorPrefix(std::string_view designator) {
  const std::string_view head = UpToLastDigit(designator);
  if (head.empty()) return std::string(designator) + "0";
  if (std::none_of(head.begin(), head.end(), IsLetter)) return std::string(designator);
  return std::string(head);
}

}  // namespace

std::string WpxPrefix(std::string_view call, const PrefixTest& is_listed) {
  const CallParts parts = SplitCall(call, is_listed);
  if (!parts.designator.empty()) return DesignatorPrefix(parts.designator);
  if (parts.home.empty()) return "";
  return HomePrefix(parts.home, parts.area);
}

}  // namespace replay
