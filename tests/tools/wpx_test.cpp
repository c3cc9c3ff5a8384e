#include <gtest/gtest.h>

#include <set>

#include "wpx.h"

namespace replay {
namespace {

struct Case {
  const char* call;
  const char* prefix;
};

// Calls as real logs carry them, grouped by the rule of the WPX contest
// that decides their prefix; the rule's text is the reason given on failure.
struct Rule {
  const char* text;
  std::vector<Case> cases;
};

// The prefixes a country file lists whole, for telling a designator from a
// home call of the same length.
bool Listed(std::string_view part) {
  static const std::set<std::string, std::less<>> kListed = {"VP2V", "VP2E", "KH6", "9A", "4X",
                                                             "5B",   "6Y",   "PA",  "F",
                                                             "LH",   "ST",   "Y2"};
  return kListed.count(part) != 0;
}

TEST(WpxPrefix, RealCallsByRule) {
  const Rule rules[] = {
      {"The prefix is the letter/numeral combination which forms the first part of the call",
       {{"ON4ABC", "ON4"},
        {"DL1ABC", "DL1"},
        {"K1ABC", "K1"},
        {"W2A", "W2"},
        {"2E0XYZ", "2E0"},
        {"9A1A", "9A1"},
        {"OT17A", "OT17"},
        {"YB10ABC", "YB10"},
        {"3DA0XY", "3DA0"},
        {"4X4AA", "4X4"},
        {"LY1000", "LY1000"},
        {" on4abc ", "ON4"}}},
      {"Any difference in the numbering, lettering, or order of same counts as a separate prefix",
       {{"9A/DD4YR", "9A"}, {"9H/DL1ABC", "9H"}, {"9K/W1AW", "9K"}, {"9A2AA", "9A2"}}},
      {"In cases of portable operation, the portable designator becomes the prefix",
       {{"9A/DD4YR", "9A"},
        {"4X/F8ATM", "4X"},
        {"5B/G3TXF", "5B"},
        {"VE4GV/6Y", "6Y"},
        {"I2/K3LR", "I2"},
        {"KH6/K1ABC", "KH6"},
        {"K1ABC/KH6", "KH6"},
        {"VP2E/K1ABC", "VP2"},
        {"N8BJQ/KH9", "KH9"},
        {"KH6XXX/W8", "W8"},
        {"KH6XXX/AD8", "AD8"}}},
      {"A call-area digit after the call moves the call to that area",
       {{"K1ABC/2", "K2"}, {"ON4ABC/3", "ON3"}, {"W6XYZ/4/P", "W4"}}},
      {"Portable designators without numbers are assigned a zero after their letters",
       {{"PA/N8BJQ", "PA0"},
        {"PA/ON4ABC", "PA0"},
        {"ON4ABC/PA", "PA0"},
        {"F/ON4ABC/P", "F0"},
        {"OH/DL1ABC", "OH0"}}},
      {"Before the call, MM and M are locations (Scotland, England), not maritime mobile and "
       "mobile",
       {{"MM/W6PNG", "MM0"}, {"M/DJ1AA", "M0"}, {"GM/DL1ABC", "GM0"}}},
      {"All calls without numbers are assigned a zero after the first two letters",
       {{"XEFTJW", "XE0"}, {"RAEM", "RA0"}, {"RAEM/P", "RA0"}}},
      {"Maritime mobile, mobile, /A, /E, /J, /P, or other license class identifiers do not count "
       "as prefixes",
       {{"ON4ABC/P", "ON4"},
        {"DL1ABC/M", "DL1"},
        {"G3XYZ/MM", "G3"},
        {"K1ABC/AM", "K1"},
        {"F5ABC/QRP", "F5"},
        {"G0UKZ/A", "G0"},
        {"JA1ABC/E", "JA1"},
        {"K2ABC/J", "K2"},
        {"OT4A/R", "OT4"},
        {"MW0PLA/M", "MW0"},
        {"M0NOM/P", "M0"}}},
      {"Of two equally long parts the designator is the one that is a prefix of an entity",
       {{"VP2V/K5PI", "VP2"}, {"K5PI/VP2V", "VP2"}, {"KH6/W1A", "KH6"}, {"W1A/KH6", "KH6"}}},
      {"A suffix is a place only when it has the shape of a prefix that the rules or the "
       "country file know; otherwise the home call decides",
       {{"HB9DAR/LH", "HB9"},
        {"OE3MWS/Y2K", "OE3"},
        {"PH4RTM/WHE", "PH4"},
        {"W5RRR/STS50", "W5"},
        {"G4ABC/SAT", "G4"},
        {"ON4ABC/LGT", "ON4"},
        {"DK0ABC/UNI", "DK0"},
        {"ON4ABC/ST", "ST0"},
        {"ON4ABC/Y2", "Y2"}}},
      {"A call whose only digit is its first character is read as such a designator is",
       {{"4UNR", "4U"}, {"4XZ", "4X"}, {"6YA", "6Y"}, {"5UAIHM", "5U"}, {"4U1UN", "4U1"}}},
      {"No call, no prefix", {{"", ""}, {"/P", ""}}},
  };
  for (const Rule& rule : rules) {
    for (const Case& c : rule.cases) {
      EXPECT_EQ(WpxPrefix(c.call, Listed), c.prefix) << c.call << ": " << rule.text;
    }
  }
}

TEST(WpxPrefix, EquallyLongPartsWithoutACountryFile) {
  // A part shaped like a prefix (no letter after its last digit) is the
  // designator; when both look alike the first is, as designators are
  // written before the call.
  EXPECT_EQ(WpxPrefix("KH6/W1A"), "KH6");
  EXPECT_EQ(WpxPrefix("W1A/KH6"), "KH6");
  EXPECT_EQ(WpxPrefix("VP2V/K5PI"), "VP2");
}

TEST(WpxPrefix, NineAAndNineHStayDistinctMultipliers) {
  std::set<std::string> prefixes;
  for (const char* call : {"9A/DD4YR", "9H/DD4YR", "9K/DD4YR", "4X/F8ATM", "5B/G3TXF",
                           "VE4GV/6Y", "9A0ABC", "9A1A"}) {
    prefixes.insert(WpxPrefix(call));
  }
  EXPECT_EQ(prefixes.size(), 8u);
}

TEST(SplitCall, PartsOfPortableCalls) {
  CallParts p = SplitCall("9a/dd4yr");
  EXPECT_EQ(p.home, "DD4YR");
  EXPECT_EQ(p.designator, "9A");
  p = SplitCall("W6XYZ/4/P");
  EXPECT_EQ(p.home, "W6XYZ");
  EXPECT_EQ(p.area, '4');
  EXPECT_TRUE(p.designator.empty());
  EXPECT_TRUE(SplitCall("ON4ABC/MM").maritime);
  EXPECT_FALSE(SplitCall("MM/W6PNG").maritime);
  EXPECT_EQ(SplitCall("MM/W6PNG").designator, "MM");
  p = SplitCall("F/ON4ABC/PA");  // the first designator counts
  EXPECT_EQ(p.designator, "F");
  // Without a country file a suffix without a digit is no place.
  EXPECT_TRUE(SplitCall("ON4ABC/PA").designator.empty());
  EXPECT_TRUE(SplitCall("ON4ABC/SAT").designator.empty());
  EXPECT_EQ(SplitCall("ON4ABC/KH6").designator, "KH6");
}

}  // namespace
}  // namespace replay
