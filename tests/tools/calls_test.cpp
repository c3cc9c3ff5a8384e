// The prefix and the country of real calls, both from one reading of the
// call's parts, against the country file the program uses by default.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "cty.h"
#include "wpx.h"

namespace replay {
namespace {

struct Call {
  const char* call;
  const char* prefix;
  const char* country;
};

struct Rule {
  const char* text;
  std::vector<Call> calls;
};

std::optional<CountryFile> InstalledCountryFile() {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> f(std::fopen("/usr/share/hamradio-files/cty.dat", "rb"));
  if (!f) return std::nullopt;
  std::string text;
  std::string chunk(1 << 16, '\0');
  size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), f.get())) > 0) text.append(chunk, 0, n);
  std::string error;
  return CountryFile::Parse(text, &error);
}

TEST(RealCalls, PrefixAndCountryByRule) {
  const std::optional<CountryFile> cty = InstalledCountryFile();
  if (!cty) GTEST_SKIP() << "no country file installed";
  const PrefixTest listed = [&](std::string_view part) { return cty->IsListedPrefix(part); };
  const Rule rules[] = {
      {"An exact entry matches only the call as it was logged: a call moved to a new call area "
       "is no station's exact entry",
       {{"AA1TV/7", "AA7", "K"},
        {"K1BHC/0", "K0", "K"},
        {"K2IEE/1", "K1", "K"},
        {"AB1IC/0", "AB0", "K"},
        {"UA3ABC/9", "UA9", "UA9"}}},
      {"A call-area digit after a call of the USA or its territories names a call area of the "
       "states",
       {{"KH0AA/4", "KH4", "K"}, {"KH2BD/6", "KH6", "K"}, {"KP4ABC/3", "KP3", "K"}}},
      {"An exact entry matches the whole text, or the home call when the marks around it are "
       "not places",
       {{"HB9DAR/LH", "HB9", "HB"},
        {"OE3MWS/Y2K", "OE3", "OE"},
        {"SB5RAFS/LH", "SB5", "SM"},
        {"PH4RTM/WHE", "PH4", "PA"},
        {"KG4AC/P", "KG4", "KG4"},
        {"4UNR", "4U", "OE"}}},
      {"A suffix is a place only when it has the shape of a prefix that the rules or cty.dat "
       "know; otherwise the home call decides both prefix and country",
       {{"DL2ABC/LH", "DL2", "DL"},
        {"OZ1ABC/LGT", "OZ1", "OZ"},
        {"W5RRR/STS50", "W5", "K"},
        {"G4ABC/SAT", "G4", "G"},
        {"DK0ABC/UNI", "DK0", "DL"},
        {"PA3ABC/BUX", "PA3", "PA"},
        {"G3ABC/NOT", "G3", "G"},
        {"PH4ABC/WHE", "PH4", "PA"},
        {"OE3ABC/Y2K", "OE3", "OE"}}},
      {"A suffix with the shape of a designator with a digit, or a whole cty.dat prefix, is "
       "the place",
       {{"K1ABC/KH6", "KH6", "KH6"},
        {"N8BJQ/KH9", "KH9", "KH9"},
        {"VE4GV/6Y", "6Y", "6Y"},
        {"KH6XXX/W8", "W8", "K"},
        {"ON4ABC/PA", "PA0", "PA"},
        {"K5PI/VP2V", "VP2", "VP2V"},
        {"DL1ABC/OH0", "OH0", "OH0"}}},
      {"Guantanamo Bay is KG4 with a two-letter suffix only; the other KG4 calls are the USA",
       {{"KG4AB", "KG4", "KG4"},
        {"KG4DY", "KG4", "KG4"},
        {"KG4A", "KG4", "K"},
        {"KG4ABC", "KG4", "K"},
        {"KG4CRJ", "KG4", "K"},
        {"KG4AKV/P", "KG4", "K"},
        {"KG1AB/4", "KG4", "K"},
        {"W1AW/KG4", "KG4", "KG4"}}},
      {"A call whose only digit is its first character is read as such a designator is: the "
       "digit and the letter after it",
       {{"4XZ", "4X", "4X"},
        {"6YA", "6Y", "6Y"},
        {"5UAIHM", "5U", "5U"},
        {"9A/DD4YR", "9A", "9A"},
        {"4U1UN", "4U1", "4U1U"},
        {"4X4AA", "4X4", "4X"}}},
  };
  for (const Rule& rule : rules) {
    for (const Call& c : rule.calls) {
      EXPECT_EQ(WpxPrefix(c.call, listed), c.prefix) << c.call << ": " << rule.text;
      EXPECT_EQ(cty->CountryPrefix(c.call), c.country) << c.call << ": " << rule.text;
    }
  }
}

// Leading-digit calls of different countries are different multipliers.
TEST(RealCalls, LeadingDigitCallsKeepTheirCountriesApart) {
  std::set<std::string> prefixes;
  for (const char* call : {"4XZ", "4UNR", "4LZ", "6YA", "6WA", "5UAIHM", "5BA"}) {
    prefixes.insert(WpxPrefix(call));
  }
  EXPECT_EQ(prefixes.size(), 7u);
}

}  // namespace
}  // namespace replay
