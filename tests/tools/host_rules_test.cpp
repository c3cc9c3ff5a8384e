#include <gtest/gtest.h>

#include <vector>

#include "host_rules.h"

namespace replay {
namespace {

TEST(BandPlan, EdgesAndGaps) {
  EXPECT_EQ(BandOfFrequency(1800000), "160m");
  EXPECT_EQ(BandOfFrequency(2000000), "160m");
  EXPECT_EQ(BandOfFrequency(2000001), "");
  EXPECT_EQ(BandOfFrequency(3580000), "80m");
  EXPECT_EQ(BandOfFrequency(7040000), "40m");
  EXPECT_EQ(BandOfFrequency(10142000), "30m");
  EXPECT_EQ(BandOfFrequency(14070000), "20m");
  EXPECT_EQ(BandOfFrequency(18100000), "17m");
  EXPECT_EQ(BandOfFrequency(21070000), "15m");
  EXPECT_EQ(BandOfFrequency(24920000), "12m");
  EXPECT_EQ(BandOfFrequency(29700000), "10m");
  EXPECT_EQ(BandOfFrequency(50313000), "6m");
  EXPECT_EQ(BandOfFrequency(144300000), "2m");
  EXPECT_EQ(BandOfFrequency(432200000), "70cm");
  EXPECT_EQ(BandOfFrequency(5357000), "60m");
  EXPECT_EQ(BandOfFrequency(5500000), "");
  EXPECT_EQ(BandOfFrequency(0), "");
  EXPECT_EQ(NormalBand(" 20M "), "20m");
  EXPECT_EQ(NormalBand("70CM"), "70cm");
}

TEST(Text, LinesEndInLfCrLfOrCr) {
  const std::string_view text = "a\r\nb\rc\n\nd";
  size_t pos = 0;
  std::vector<std::string> lines;
  while (const std::optional<std::string_view> line = NextLine(text, &pos)) {
    lines.emplace_back(*line);
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));
  pos = 0;
  EXPECT_FALSE(NextLine("", &pos));
}

TEST(Text, ControlBytesAreShownEscaped) {
  EXPECT_EQ(Printable("ON4ABC"), "ON4ABC");
  EXPECT_EQ(Printable("\x1B[2J\x1B]0;title\x07"), "\\x1B[2J\\x1B]0;title\\x07");
  EXPECT_EQ(Printable(std::string("a\0b\r\n\t\x7F", 7)), "a\\x00b\\x0D\\x0A\\x09\\x7F");
  EXPECT_EQ(Printable("J\xC3\xBCrgen"), "J\xC3\xBCrgen");  // UTF-8 stays as it is
}

TEST(ModeText, AdifAndCabrillo) {
  EXPECT_EQ(AdifModeText("PSK", "PSK63"), "BPSK63");
  EXPECT_EQ(AdifModeText("psk", "psk63"), "BPSK63");
  EXPECT_EQ(AdifModeText("PSK63", ""), "BPSK63");
  EXPECT_EQ(AdifModeText("PSK", "PSK31"), "PSK31");
  EXPECT_EQ(AdifModeText("PSK", "QPSK63"), "QPSK63");
  EXPECT_EQ(AdifModeText("RTTY", ""), "RTTY");
  EXPECT_EQ(AdifModeText("", ""), "");
  EXPECT_EQ(CabrilloModeText("PM"), "BPSK63");
  EXPECT_EQ(CabrilloModeText("dg"), "BPSK63");
  EXPECT_EQ(CabrilloModeText("PK"), "BPSK63");
  EXPECT_EQ(CabrilloModeText("CW"), "CW");
  EXPECT_EQ(CabrilloModeText("RY"), "RY");
}

TEST(Serials, AtLeastThreeDigits) {
  EXPECT_EQ(SerialText("7"), "007");
  EXPECT_EQ(SerialText("42"), "042");
  EXPECT_EQ(SerialText("0"), "000");
  EXPECT_EQ(SerialText("123"), "123");
  EXPECT_EQ(SerialText("1234"), "1234");
  EXPECT_EQ(SerialText(" 7 "), "007");
  EXPECT_EQ(SerialText(""), "");
  EXPECT_EQ(SerialText("7A"), "7A");
}

TEST(Frequencies, DecimalTextToHz) {
  EXPECT_EQ(MegahertzToHz("14.0705"), 14070500u);
  EXPECT_EQ(MegahertzToHz("14"), 14000000u);
  EXPECT_EQ(MegahertzToHz(".5"), 500000u);
  EXPECT_EQ(MegahertzToHz("3.5800005"), 3580001u);  // rounded to the Hz
  EXPECT_EQ(MegahertzToHz("4294.967295"), 4294967295u);
  EXPECT_FALSE(MegahertzToHz("4294.967296"));
  EXPECT_FALSE(MegahertzToHz("10368000"));
  EXPECT_FALSE(MegahertzToHz("-14.07"));
  EXPECT_FALSE(MegahertzToHz("14,07"));
  EXPECT_FALSE(MegahertzToHz("."));
  EXPECT_FALSE(MegahertzToHz(""));
  EXPECT_EQ(KilohertzToHz("14070"), 14070000u);
  EXPECT_EQ(KilohertzToHz("14070.5"), 14070500u);
}

}  // namespace
}  // namespace replay
