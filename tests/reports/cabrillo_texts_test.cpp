// The Cabrillo log's texts: the header's encodings and the QSO lines.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "model/oledate.h"
#include "reports/cabrillo_header.h"
#include "reports/cabrillo_writer.h"

namespace stats {
namespace {

TEST(CabrilloTexts, ReplacementNeverSearchesInsertedText) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
  EXPECT_EQ(ReplaceAll("<CR><CR>", "<CR>", "x<CR>"), "x<CR>x<CR>");
  EXPECT_EQ(ReplaceAll("a<LF>b", "<LF>", ""), "ab");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("abc", "b", "b"), "abc");
}

TEST(CabrilloTexts, LogBaseName) {
  EXPECT_EQ(LogBaseName(""), "QORT");
  EXPECT_EQ(LogBaseName(" \t "), "QORT");
  EXPECT_EQ(LogBaseName("ON4XX/P"), "ON4XX_P");
  EXPECT_EQ(LogBaseName("  ON4 XX/P  "), "ON4 XX_P");
  EXPECT_EQ(LogBaseName("OE\\ON4XX/M"), "OE_ON4XX_M");
  EXPECT_EQ(LogBaseName("/"), "_");
}

// Whatever the host hands over as the own call, the log's name stays one
// file of the host's folder, the same on every system.
TEST(CabrilloTexts, LogBaseNameOfUnsafeCalls) {
  EXPECT_EQ(LogBaseName("OT/ON4XX"), "OT_ON4XX");
  EXPECT_EQ(LogBaseName("..\\..\\ON4XX"), ".._.._ON4XX");
  EXPECT_EQ(LogBaseName("C:\\ON4XX"), "C__ON4XX");
  EXPECT_EQ(LogBaseName("ON4*X?\"<|>"), "ON4_X_____");
  EXPECT_EQ(LogBaseName(std::string("ON\x01" "4XX\x7f", 7)), "ON_4XX_");
  EXPECT_EQ(LogBaseName(std::string("ON4\0XX", 6)), "ON4_XX");
  // Blanks and line ends around the call go before the mapping, as ever.
  EXPECT_EQ(LogBaseName("\r\nON4XX\t"), "ON4XX");
  EXPECT_EQ(LogBaseName("ON4 XX\tP"), "ON4 XX_P");
  // The host's code page passes.
  EXPECT_EQ(LogBaseName("R\xc4\xd6"), "R\xc4\xd6");
  EXPECT_EQ(LogBaseName("CON"), "CON_");
  EXPECT_EQ(LogBaseName("nul"), "nul_");
  EXPECT_EQ(LogBaseName("COM1"), "COM1_");
  EXPECT_EQ(LogBaseName("COM0"), "COM0");
  EXPECT_EQ(LogBaseName("CONTEST"), "CONTEST");
}

TEST(CabrilloTexts, SoapboxAndAddressEncodings) {
  const std::string typed = "Nice contest!\r\nSee you next year";
  const std::string stored = EncodeSoapbox(typed);
  EXPECT_EQ(stored, "Nice contest!<CR><LF>See you next year");
  EXPECT_EQ(DecodeSoapbox(stored), typed);
  EXPECT_EQ(PrintReadySoapbox(stored), "Nice contest!\r\nSOAPBOX: See you next year");
  EXPECT_EQ(PrintReadySoapbox("one<CR><LF>two<CR><LF>three"),
            "one\r\nSOAPBOX: two\r\nSOAPBOX: three");
  EXPECT_EQ(PrintReadyAddress("Kerkstraat 1<CR>Bus 2"), "Kerkstraat 1\r\nADDRESS: Bus 2");
  EXPECT_EQ(PrintReadyAddress("no marks"), "no marks");
}

TEST(CabrilloTexts, QsoLineColumns) {
  CInfo r;
  r.call = "DL1AB";
  r.frequency_khz = 3580;
  r.time = OleDate::FromCivil(2017, 3, 5, 7, 30);
  r.rst_sent = "599";
  r.exchange_sent = "001";
  r.rst_received = "59";
  r.exchange_received = "0123";
  EXPECT_EQ(FormatQsoLine(r, "PM", "ON4XX"),
            "QSO:  3580 PM 2017-03-05 0730 ON4XX         599 001    DL1AB         59  0123\r\n");
  // Thirteen characters and more fill the column and leave one blank.
  r.call = "OE2009/ON4ABC";
  r.frequency_khz = 144050;
  r.exchange_sent = "1234567";
  EXPECT_EQ(FormatQsoLine(r, "PM", "OE2009/ON4XYZ"),
            "QSO: 144050 PM 2017-03-05 0730 OE2009/ON4XYZ 599 1234567 OE2009/ON4ABC 59  0123\r\n");
  r.time = OleDate::Null();
  EXPECT_EQ(FormatQsoLine(r, "PM", "A").substr(0, 22), "QSO: 144050 PM  A     ");
  r.time = OleDate::Invalid();
  EXPECT_EQ(FormatQsoLine(r, "PM", "A").substr(0, 32), "QSO: 144050 PM Invalid DateTime ");
  // Frequencies of every width, the extremes of an int32 included.
  for (const auto& [khz, text] : std::initializer_list<std::pair<int32_t, std::string>>{
           {0, "    0"}, {7, "    7"}, {-7, "   -7"}, {99999, "99999"}, {-9999, "-9999"},
           {-10000, "-10000"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}}) {
    r.frequency_khz = khz;
    EXPECT_EQ(FormatQsoLine(r, "", "A"),
              "QSO: " + text +
                  "    Invalid DateTime A             599 1234567 OE2009/ON4ABC 59  0123\r\n");
  }
}

// The QSO line writes its date in place (QsoTimeText): it must give what
// FormatDate gives for every kind of date, years of three digits and times
// that round up to the next day included.
TEST(CabrilloTexts, QsoLineDatesAsTheFormatterWritesThem) {
  CInfo r;
  r.frequency_khz = -5;
  for (const OleDate& time :
       {OleDate::FromCivil(2017, 12, 31, 23, 59, 59), OleDate::FromCivil(999, 1, 2, 3, 4),
        OleDate::FromCivil(100, 1, 1), OleDate::FromCivil(9999, 12, 31, 23, 59),
        OleDate{42741.99999999, OleDate::Status::kValid}, OleDate{-1.25, OleDate::Status::kValid},
        OleDate{1e300, OleDate::Status::kValid}, OleDate::Null(), OleDate::Invalid()}) {
    r.time = time;
    EXPECT_EQ(FormatQsoLine(r, "PM", "ON4XX"),
              "QSO:    -5 PM " + FormatDate(time, "%Y-%m-%d %H%M") +
                  " ON4XX         " + "    " + "       " + "              " + "    " + "\r\n");
  }
}

}  // namespace
}  // namespace stats
