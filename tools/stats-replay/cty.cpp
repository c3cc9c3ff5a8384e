#include "cty.h"

#include <algorithm>
#include <vector>

#include "callsign.h"
#include "host_rules.h"

namespace replay {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

}  // namespace

std::optional<CountryFile> CountryFile::Parse(std::string_view text, std::string* error) {
  CountryFile file;
  bool in_list = false;  // reading the prefixes of an entity
  bool skipped = false;  // the current entity is not a country of its own
  size_t entity = 0;
  int line_number = 0;
  size_t pos = 0;
  while (const std::optional<std::string_view> next = NextLine(text, &pos)) {
    std::string_view line = *next;
    ++line_number;
    if (Trim(line).empty()) continue;
    if (!in_list) {
      // An entity line: eight fields, each ended by a colon.
      std::vector<std::string_view> fields = Split(line, ':');
      if (fields.size() < 9) {
        *error = "line " + std::to_string(line_number) + ": not an entity line of 8 fields";
        return std::nullopt;
      }
      std::string primary(Trim(fields[7]));
      skipped = primary.empty() || primary.front() == '*';
      if (!skipped) {
        entity = file.primaries_.size();
        file.primaries_.push_back(primary);
      }
      in_list = true;
      // Whatever follows the eighth colon already belongs to the list.
      size_t colons = 0, at = 0;
      while (colons < 8) {
        at = line.find(':', at) + 1;
        ++colons;
      }
      line = line.substr(at);
    }
    const size_t semicolon = line.find(';');
    if (semicolon != std::string_view::npos) {
      line = line.substr(0, semicolon);
      in_list = false;
    }
    if (skipped) continue;
    for (std::string_view item : Split(line, ',')) {
      item = Trim(item);
      item = item.substr(0, item.find_first_of("([<{~"));
      if (item.empty()) continue;
      if (item.front() == '=') {
        file.exact_.try_emplace(Upper(item.substr(1)), entity);  // the first listing counts
      } else {
        const std::string prefix = Upper(item);
        PrefixNode& node = file.prefixes_[prefix];
        if (node.entity == PrefixNode::kNotListed) node.entity = entity;  // the first listing counts
        for (size_t n = 1; n < prefix.size(); ++n) file.prefixes_[prefix.substr(0, n)].longer = true;
      }
    }
  }
  if (file.primaries_.empty()) {
    *error = "no entity found";
    return std::nullopt;
  }
  return file;
}

std::string CountryFile::LongestPrefix(std::string_view call) const {
  size_t found = PrefixNode::kNotListed;
  for (size_t n = 1; n <= call.size(); ++n) {
    const PrefixNode* node = Find(prefixes_, call.substr(0, n));
    if (node == nullptr) break;
    if (node->entity != PrefixNode::kNotListed) found = node->entity;
    if (!node->longer) break;
  }
  return found != PrefixNode::kNotListed ? primaries_[found] : "";
}

bool CountryFile::IsListedPrefix(std::string_view text) const {
  const PrefixNode* node = Find(prefixes_, text);
  return node != nullptr && node->entity != PrefixNode::kNotListed;
}

std::string CountryFile::HomeCountry(std::string_view home, bool moved) const {
  std::string country = LongestPrefix(home);
  // A call-area digit after a call of the USA's names a call area of the
  // states: KH0AA/4 and KP4ABC/3 are in the USA, not on Midway or Puerto
  // Rico.  Every entity whose primary prefix starts with K is the USA's.
  if (moved && !country.empty() && country.front() == 'K') return LongestPrefix("K");
  // Guantanamo Bay is KG4 with a two-letter suffix only (KG4AB); every
  // other KG4 call (KG4A, KG4ABC) is the USA's.
  if (country == "KG4" && home.size() != 5) country = LongestPrefix("K");
  return country;
}

std::string CountryFile::CountryPrefix(std::string_view call_text) const {
  std::string_view call = Trim(call_text);
  if (call.empty()) return "";
  // The readers give calls in capitals: only a call with a small letter is
  // copied to be raised.
  std::string raised;
  if (std::any_of(call.begin(), call.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
    raised = Upper(call);
    call = raised;
  }
  // An exact entry is one station's call as it is logged: the whole text
  // here, or below the home call when the parts around it are no place.
  if (const size_t* entity = Find(exact_, call)) return primaries_[*entity];
  if (call.find('/') == std::string_view::npos) {
    // Without a slash the call is its own home call, unless it is no more
    // than a mark such as "P".
    return IsOperatingMark(call) ? "" : HomeCountry(call, false);
  }
  const CallParts parts =
      SplitCall(call, [this](std::string_view part) { return IsListedPrefix(part); });
  if (parts.maritime) return "";
  // A location designator names the country.
  if (!parts.designator.empty()) return LongestPrefix(parts.designator);
  if (parts.home.empty()) return "";
  if (parts.area != 0) {
    // A new call area: the call as if it carried that digit.  The moved
    // call is no station's call, so no exact entry applies to it.
    std::string moved = parts.home;
    const auto digit = std::find_if(moved.rbegin(), moved.rend(), IsDigit);
    if (digit != moved.rend()) *digit = parts.area;
    return HomeCountry(moved, true);
  }
  if (const size_t* entity = Find(exact_, parts.home)) return primaries_[*entity];
  return HomeCountry(parts.home, false);
}

}  // namespace replay
