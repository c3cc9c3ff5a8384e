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
    "    K,N,W;\n"
    "Hawaii:                   31:  61:  OC:   21.12:   157.48:    10.0:  KH6:\n"
    "    KH6,KH7;\n";

CountryFile Parsed() {
  std::string error;
  std::optional<CountryFile> file = CountryFile::Parse(kCty, &error);
  EXPECT_TRUE(file) << error;
  return file ? *file : *CountryFile::Parse("X: 1: 2: EU: 0: 0: 0: X:\n X;\n", &error);
}

TEST(CountryFile, LongestPrefixAndExactCalls) {
  const CountryFile cty = Parsed();
  EXPECT_EQ(cty.entity_count(), 9u);  // Shetland, marked *, is no country of its own
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
}

}  // namespace
}  // namespace replay
