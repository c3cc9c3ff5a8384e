#include "rules/exchange.h"

#include <algorithm>

namespace stats {

bool IsUbaSection(std::string_view text) {
  return std::find(kUbaSections.begin(), kUbaSections.end(), text) != kUbaSections.end();
}

bool IsValidExchange(std::string_view exchange, std::string_view country) {
  const size_t n = exchange.size();
  // "599" is the report, never a serial number or a section.
  if (exchange == "599") return false;
  if (country == "ON") {
    if (n != 3) return false;
    if (IsUbaSection(exchange)) return true;
  } else if (n != 3 && n != 4) {
    return false;
  }
  return std::all_of(exchange.begin(), exchange.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace stats
