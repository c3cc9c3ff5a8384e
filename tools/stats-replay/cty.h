// Country lookup in a country file of the widespread cty.dat format.
//
// The file lists entities; each starts with a line of eight fields ending in
// colons (name, CQ zone, ITU zone, continent, latitude, longitude, time
// offset, primary prefix) and goes on with its prefixes and exact calls
// ("=CALL"), separated by commas and ended by a semicolon.  Zone and other
// overrides in brackets after a prefix are not needed here and dropped.
// Entities whose primary prefix carries "*" are not DXCC countries of their
// own (for example WAE-only islands): they are skipped, so their calls fall
// to the country that owns them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace replay {

class CountryFile {
 public:
  // Parses the file's text; nullopt with *error set when it holds no entity
  // or an entity line is malformed.
  static std::optional<CountryFile> Parse(std::string_view text, std::string* error);

  // The primary prefix of the call's country ("ON" for ON4ABC), from the
  // parts SplitCall finds:
  //  - an exact entry ("=CALL") matches the call as logged: the whole text,
  //    or the home call when nothing around it is a place (R9XX/P).  It is
  //    never applied to a call changed by a new call area (AA1TV/7 is not
  //    the AA7TV of an exact entry);
  //  - a location designator: its longest listed prefix (PA/ON4ABC is the
  //    Netherlands, M/DJ1AA England);
  //  - else the longest listed prefix of the home call, moved to its new
  //    call area (UA3ABC/9: UA9); a call of the USA or its territories
  //    moved so stays in the USA (KH0AA/4: the call area 4 of the states,
  //    not Midway's KH4).  KG4 with a two-letter suffix only is Guantanamo
  //    Bay; other KG4 calls are the USA's;
  //  - a maritime or aeronautical mobile (/MM, /AM after the call) is in no
  //    country and gives "", as does a call that no prefix matches.
  std::string CountryPrefix(std::string_view call) const;

  // Whether the text is listed whole as a prefix of an entity (VP2V).
  bool IsListedPrefix(std::string_view text) const;

  size_t entity_count() const { return primaries_.size(); }

 private:
  // The country of a home call (moved: to a new call area) by its longest
  // listed prefix, with the rule of Guantanamo Bay's KG4 calls.
  std::string HomeCountry(std::string_view home, bool moved) const;
  // The longest listed prefix.
  std::string LongestPrefix(std::string_view call) const;

  // A listed prefix, or the start of a longer one, or both: a lookup walks
  // from the call's first character on and stops where no listed prefix
  // goes on, usually after three or four steps.
  struct PrefixNode {
    static constexpr size_t kNotListed = ~size_t{0};
    size_t entity = kNotListed;  // the entity of the listed prefix
    bool longer = false;         // a longer listed prefix starts with it
  };

  // Looked up by views of the call, without a copy of it.
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  template <typename Value>
  using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

  std::vector<std::string> primaries_;
  TextMap<size_t> exact_;  // exact calls: their entity
  TextMap<PrefixNode> prefixes_;
  // The value of a key; null when the key is not in the map.
  template <typename Value>
  static const Value* Find(const TextMap<Value>& map, std::string_view key) {
    const auto it = map.find(key);
    return it != map.end() ? &it->second : nullptr;
  }
};

}  // namespace replay
