#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "cty.h"

namespace replay {
namespace {

// A few entities in the file's own layout, overrides and all.
constexpr const char* kCty =
    "Belgium:                  14:  27:  EU:   50.70:    -4.85:    -1.0:  ON:\n"
    "    ON,OO,OP,OQ,OR,OS,OT,=ON4BRN/LGT;\n"
    "Netherlands:              14:  27:  EU:   52.28:    -5.47:    -1.0:  PA:\n"
    "    PA,PB,PC,PD,PE,PF,PG,PH,PI;\n"
    "France:                   14:  27:  EU:   46.00:    -2.00:    -1.0:  F:\n"
    "    F,HW,HX,HY,TH,TM,TO(8)[11],TX(32)[62];\n"
    "Germany:                  14:  28:  EU:   51.00:   -10.00:    -1.0:  DL:\n"
    "    DA,DB,DC,DD,DE,DF,DG,DH,DI,DJ,DK,DL,DM,DN,DO,DP,DQ,DR,\n"
    "    =DL0ABC/LH<50.1/-8.2>;\n"
    "European Russia:          16:  29:  EU:   53.65:   -41.37:    -4.0:  UA:\n"
    "    R,U,=R9XX(17){AS};\n"
    "Asiatic Russia:           17:  30:  AS:   55.88:   -84.08:    -7.0:  UA9:\n"
    "    R9,RA9,UA9,UA0;\n"
    "Shetland Islands:         14:  27:  EU:   60.50:     1.50:     0.0:  *GM/s:\n"
    "    GM0ABC,=GM4ZZZ;\n"
    "Scotland:                 14:  27:  EU:   56.82:     4.18:     0.0:  GM:\n"
    "    GM,MM;\n"
    "United States:            05:  08:  NA:   37.53:    91.67:     5.0:  K:\n"
    "    AA,AB,K,N,W;\n"
    "Alaska:                   01:  01:  NA:   61.40:   148.87:     8.0:  KL:\n"
    "    AL,KL,NL,WL,=AA7TV,=K0BHC;\n"
    "Guantanamo Bay:           08:  11:  NA:   20.00:    75.00:     5.0:  KG4:\n"
    "    KG4,=KG4AC;\n"
    "Norway:                   14:  18:  EU:   61.00:    -9.00:    -1.0:  LA:\n"
    "    LA,LB,LH,=HB9DAR/LH;\n"
    "Hawaii:                   31:  61:  OC:   21.12:   157.48:    10.0:  KH6:\n"
    "    KH6,KH7;\n"
    "England:                  14:  27:  EU:   52.77:     1.47:     0.0:  G:\n"
    "    2E,G,M;\n"
    "Croatia:                  15:  28:  EU:   45.18:   -15.30:    -1.0:  9A:\n"
    "    9A;\n"
    "British Virgin Islands:   08:  11:  NA:   18.42:    64.62:     4.0:  VP2V:\n"
    "    VP2V;\n"
    "Israel:                   20:  39:  AS:   31.32:   -34.82:    -2.0:  4X:\n"
    "    4X,4Z;\n"
    "Cyprus:                   20:  39:  AS:   35.00:   -33.00:    -2.0:  5B:\n"
    "    5B,C4,H2,P3;\n"
    "Jamaica:                  08:  11:  NA:   18.20:    77.47:     5.0:  6Y:\n"
    "    6Y;\n"
    "Canada:                   05:  09:  NA:   44.35:    78.75:     5.0:  VE:\n"
    "    VE,VA;\n"
    "Italy:                    15:  28:  EU:   42.82:   -12.58:    -1.0:  I:\n"
    "    I;\n"
    "Japan:                    25:  45:  AS:   36.40:  -138.38:    -9.0:  JA:\n"
    "    JA;\n";

CountryFile Parsed() {
  std::string error;
  std::optional<CountryFile> file = CountryFile::Parse(kCty, &error);
  EXPECT_TRUE(file) << error;
  return file ? *file : *CountryFile::Parse("X: 1: 2: EU: 0: 0: 0: X:\n X;\n", &error);
}

TEST(CountryFile, LongestPrefixAndExactCalls) {
  const CountryFile cty = Parsed();
  EXPECT_EQ(cty.entity_count(), 21u);  // Shetland, marked *, is no country of its own
  EXPECT_EQ(cty.CountryPrefix("ON4ABC"), "ON");
  EXPECT_EQ(cty.CountryPrefix("ot17a"), "ON");
  EXPECT_EQ(cty.CountryPrefix("PD1HB"), "PA");
  EXPECT_EQ(cty.CountryPrefix("TO5A"), "F");  // zone overrides dropped
  EXPECT_EQ(cty.CountryPrefix("UA3ABC"), "UA");
  EXPECT_EQ(cty.CountryPrefix("UA9ABC"), "UA9");  // longer prefix wins
  EXPECT_EQ(cty.CountryPrefix("R9XX"), "UA");     // exact call wins over R9
  EXPECT_EQ(cty.CountryPrefix("DL0ABC/LH"), "DL");
  EXPECT_EQ(cty.CountryPrefix("ON4BRN/LGT"), "ON");
  EXPECT_EQ(cty.CountryPrefix("GM0ABC"), "GM");
  EXPECT_EQ(cty.CountryPrefix("GM4ZZZ"), "GM");
  EXPECT_EQ(cty.CountryPrefix("KH6XYZ"), "KH6");
  EXPECT_EQ(cty.CountryPrefix("ZL1ABC"), "");
  EXPECT_EQ(cty.CountryPrefix(""), "");
}

TEST(CountryFile, PortableCalls) {
  const CountryFile cty = Parsed();
  EXPECT_EQ(cty.CountryPrefix("ON4ABC/P"), "ON");
  EXPECT_EQ(cty.CountryPrefix("PA/ON4ABC"), "PA");
  EXPECT_EQ(cty.CountryPrefix("ON4ABC/PA"), "PA");
  EXPECT_EQ(cty.CountryPrefix("F/ON4ABC/P"), "F");
  EXPECT_EQ(cty.CountryPrefix("K1ABC/KH6"), "KH6");
  EXPECT_EQ(cty.CountryPrefix("K1ABC/6"), "K");
  EXPECT_EQ(cty.CountryPrefix("UA3ABC/9"), "UA9");
  EXPECT_EQ(cty.CountryPrefix("ON4ABC/MM"), "");
  EXPECT_EQ(cty.CountryPrefix("K1ABC/AM"), "");
}

// Calls are taken whatever their case and blanks; a call that is no more
// than an operating mark is in no country; an exact entry counts for a home
// call behind a slash too.
TEST(CountryFile, CaseBlanksMarksAndExactHomeCalls) {
  const CountryFile cty = Parsed();
  EXPECT_EQ(cty.CountryPrefix(" dl1abc\t"), "DL");
  EXPECT_EQ(cty.CountryPrefix("r9xx"), "UA");
  EXPECT_EQ(cty.CountryPrefix("dl0abc/lh"), "DL");
  EXPECT_EQ(cty.CountryPrefix("pa/on4abc"), "PA");
  EXPECT_EQ(cty.CountryPrefix("GM"), "GM");
  for (const char* mark : {"P", "m", "MM", "QRP", "K", "  "}) {
    EXPECT_EQ(cty.CountryPrefix(mark), "") << mark;
  }
  EXPECT_EQ(cty.CountryPrefix("GM4ZZZ/P"), "GM");
  EXPECT_EQ(cty.CountryPrefix("R9XX/P"), "UA");
}

struct CountryCase {
  const char* call;
  const char* country;
};

// Real portable calls, grouped by the rule that decides their country.
TEST(CountryFile, RealPortableCallsByRule) {
  const CountryFile cty = Parsed();
  const struct {
    const char* rule;
    std::vector<CountryCase> cases;
  } rules[] = {
      {"A location designator before or after the call names the country",
       {{"9A/DD4YR", "9A"},
        {"4X/F8ATM", "4X"},
        {"5B/G3TXF", "5B"},
        {"VE4GV/6Y", "6Y"},
        {"I2/K3LR", "I"},
        {"PA/ON4ABC", "PA"}}},
      {"Before the call, M is England and MM Scotland, not mobile and maritime mobile",
       {{"M/DJ1AA", "G"}, {"MM/W6PNG", "GM"}}},
      {"Single-letter and licence-class suffixes leave the home call's country",
       {{"G0UKZ/A", "G"},
        {"JA1ABC/E", "JA"},
        {"G0UKZ/B", "G"},
        {"G0UKZ/C", "G"},
        {"ON4ABC/X", "ON"},
        {"DL1ABC/Z", "DL"},
        {"OT4A/R", "ON"},
        {"MW0PLA/M", "G"},
        {"ON4ABC/QRPP", "ON"}}},
      {"Of two equally long parts the one listed as a prefix is the designator",
       {{"VP2V/K5PI", "VP2V"}, {"K5PI/VP2V", "VP2V"}}},
      {"Maritime and aeronautical mobile after the call are in no country",
       {{"G3XYZ/MM", ""}, {"K1ABC/AM", ""}}},
  };
  for (const auto& rule : rules) {
    for (const CountryCase& c : rule.cases) {
      EXPECT_EQ(cty.CountryPrefix(c.call), c.country) << c.call << ": " << rule.rule;
    }
  }
  EXPECT_TRUE(cty.IsListedPrefix("VP2V"));
  EXPECT_FALSE(cty.IsListedPrefix("K5PI"));
}

// An exact entry is one station's call as logged; the rules of call areas,
// suffixes and KG4 read the rest.
TEST(CountryFile, ExactEntriesSuffixesAndKg4) {
  const CountryFile cty = Parsed();
  const struct {
    const char* rule;
    std::vector<CountryCase> cases;
  } rules[] = {
      {"An exact entry matches the whole call as logged",
       {{"AA7TV", "KL"}, {"K0BHC", "KL"}, {"HB9DAR/LH", "LA"}, {"KG4AC", "KG4"}}},
      {"A call moved to a new call area is no station's exact entry",
       {{"AA1TV/7", "K"}, {"K1BHC/0", "K"}, {"AA1TV/7/P", "K"}}},
      {"A call area after a call of the USA's names a call area of the states",
       {{"KH0ABC/6", "K"}, {"KL7ABC/6", "K"}, {"UA3ABC/9", "UA9"}}},
      {"The home call's exact entry counts when the marks around it are not places",
       {{"AA7TV/P", "KL"}, {"AA7TV/SAT", "KL"}, {"KG4AC/QRP", "KG4"}}},
      {"A suffix is a place only with a digit in a designator's shape, or listed whole",
       {{"DL1ABC/LH", "DL"},
        {"ON4ABC/SAT", "ON"},
        {"PA3ABC/Y2K", "PA"},
        {"K1ABC/STS50", "K"},
        {"ON4ABC/UNI", "ON"},
        {"ON4ABC/LA", "LA"},
        {"ON4ABC/KH6", "KH6"},
        {"ON4ABC/W6", "K"}}},
      {"Guantanamo Bay is KG4 with a two-letter suffix only",
       {{"KG4AB", "KG4"},
        {"KG4A", "K"},
        {"KG4ABC", "K"},
        {"KG4ABC/P", "K"},
        {"KG4AB/P", "KG4"},
        {"KG1AB/4", "K"},
        {"W1AW/KG4", "KG4"}}},
  };
  for (const auto& rule : rules) {
    for (const CountryCase& c : rule.cases) {
      EXPECT_EQ(cty.CountryPrefix(c.call), c.country) << c.call << ": " << rule.rule;
    }
  }
}

TEST(CountryFile, LineEndsOfAnyKind) {
  std::string error;
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string text = std::string("Belgium: 14: 27: EU: 50.70: -4.85: -1.0: ON:") + end +
                             "    ON,OT;" + end + "Germany: 14: 28: EU: 51: -10: -1: DL:" + end +
                             "    DL;" + end;
    const std::optional<CountryFile> cty = CountryFile::Parse(text, &error);
    ASSERT_TRUE(cty) << error;
    EXPECT_EQ(cty->entity_count(), 2u);
    EXPECT_EQ(cty->CountryPrefix("DL1ABC"), "DL");
  }
}

TEST(CountryFile, RejectsTextThatIsNoCountryFile) {
  std::string error;
  EXPECT_FALSE(CountryFile::Parse("", &error));
  EXPECT_EQ(error, "no entity found");
  EXPECT_FALSE(CountryFile::Parse("Belgium: 14: 27: EU: ON:\n ON;\n", &error));
  EXPECT_EQ(error, "line 1: not an entity line of 8 fields");
}

// The country file the program uses by default, when it is installed.
TEST(CountryFile, InstalledFile) {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> f(std::fopen("/usr/share/hamradio-files/cty.dat", "rb"));
  if (!f) GTEST_SKIP() << "no country file installed";
  std::string text;
  std::string chunk(1 << 16, '\0');
  size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), f.get())) > 0) text.append(chunk, 0, n);
  std::string error;
  const std::optional<CountryFile> cty = CountryFile::Parse(text, &error);
  ASSERT_TRUE(cty) << error;
  EXPECT_GT(cty->entity_count(), 300u);
  EXPECT_EQ(cty->CountryPrefix("ON4ABC"), "ON");
  EXPECT_EQ(cty->CountryPrefix("OT17A"), "ON");
  EXPECT_EQ(cty->CountryPrefix("DL1ABC"), "DL");
  EXPECT_EQ(cty->CountryPrefix("PA/ON4ABC"), "PA");
  EXPECT_EQ(cty->CountryPrefix("W1AW"), "K");
  EXPECT_EQ(cty->CountryPrefix("JA1ABC"), "JA");
  EXPECT_EQ(cty->CountryPrefix("UA9ABC"), "UA9");
  EXPECT_EQ(cty->CountryPrefix("G0UKZ/A"), "G");
  EXPECT_EQ(cty->CountryPrefix("M/DJ1AA"), "G");
  EXPECT_EQ(cty->CountryPrefix("MM/W6PNG"), "GM");
  EXPECT_EQ(cty->CountryPrefix("VP2V/K5PI"), "VP2V");
  EXPECT_EQ(cty->CountryPrefix("OT4A/R"), "ON");
  EXPECT_EQ(cty->CountryPrefix("9A/DD4YR"), "9A");
}

}  // namespace
}  // namespace replay
