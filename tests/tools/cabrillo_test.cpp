#include <gtest/gtest.h>

#include "log.h"

namespace replay {
namespace {

TEST(CabrilloReader, ReadsQsoLinesAndTheOwnCall) {
  const Log log = ReadCabrillo(
      "START-OF-LOG: 3.0\r\n"
      "CALLSIGN: on4xyz\r\n"
      "QSO: 14070 PM 2017-01-07 1312 ON4XYZ        599 LGE    DL1ABC        589 012\r\n"
      "QSO:  3580 DG 2017-01-07 1313 ON4XYZ        599 LGE    ON4AAA        599 bdx\r\n"
      "X-QSO: 7040 PM 2017-01-07 1314 ON4XYZ       599 LGE    F5ABC         599 001\r\n"
      "END-OF-LOG:\r\n");
  EXPECT_TRUE(log.problems.empty());
  EXPECT_EQ(log.own_call, "ON4XYZ");
  ASSERT_EQ(log.qsos.size(), 2u);
  const LogQso& q = log.qsos[0];
  EXPECT_EQ(q.number, 3);
  EXPECT_EQ(q.frequency_hz, 14070000u);
  EXPECT_EQ(q.band, "20m");
  EXPECT_EQ(q.mode, "BPSK63");
  EXPECT_EQ(q.time, (QsoTime{2017, 1, 7, 13, 12, 0}));
  EXPECT_EQ(q.own_call, "ON4XYZ");
  EXPECT_EQ(q.rst_sent, "599");
  EXPECT_EQ(q.exchange_sent, "LGE");
  EXPECT_EQ(q.call, "DL1ABC");
  EXPECT_EQ(q.rst_received, "589");
  EXPECT_EQ(q.exchange_received, "012");
  EXPECT_EQ(log.qsos[1].band, "80m");
  EXPECT_EQ(log.qsos[1].exchange_received, "bdx");
}

TEST(CabrilloReader, ExtraColumns) {
  const Log log = ReadCabrillo(
      // transmitter number
      "QSO: 7040 PK 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012 1\n"
      // a two-column exchange on each side
      "QSO: 7040 PM 2017-01-07 1313 ON4XYZ 599 LGE 14 DL1ABC 599 012 28\n"
      // no RST columns
      "QSO: 7040 PM 2017-01-07 1314 ON4XYZ LGE DL1ABC 013 0\n"
      // another mode stays as it is
      "QSO: 7040 RY 2017-01-07 1315 ON4XYZ 599 LGE DL1ABC 599 014\n");
  ASSERT_EQ(log.qsos.size(), 4u) << log.problems[0].reason;
  EXPECT_EQ(log.qsos[0].mode, "BPSK63");
  EXPECT_EQ(log.qsos[0].exchange_received, "012");
  EXPECT_EQ(log.qsos[1].exchange_sent, "LGE 14");
  EXPECT_EQ(log.qsos[1].call, "DL1ABC");
  EXPECT_EQ(log.qsos[1].exchange_received, "012 28");
  EXPECT_EQ(log.qsos[2].rst_sent, "599");
  EXPECT_EQ(log.qsos[2].rst_received, "599");
  EXPECT_EQ(log.qsos[2].exchange_sent, "LGE");
  EXPECT_EQ(log.qsos[2].exchange_received, "013");
  EXPECT_EQ(log.qsos[3].mode, "RY");
}

// Exchanges of other contests without an RST are read whole: the column
// after the call is an RST only when it is shaped like one on both sides.
TEST(CabrilloReader, ExchangesWithoutAnRst) {
  const Log log = ReadCabrillo(
      // Field Day: class and section
      "QSO: 14000 CW 2025-06-28 1800 W3AO 2A EPA K1ABC 3A CT\n"
      // Sweepstakes: serial, precedence, check, section
      "QSO: 21000 CW 2024-11-02 2100 KD4D 1 A 67 VA K1ABC 123 B 75 CT\n"
      // NAQP: name and state
      "QSO: 7000 CW 2025-08-02 1800 K3AJ JOHN PA K1ABC BOB CT\n"
      // a serial shaped like an RST on one side only
      "QSO: 21000 CW 2024-11-02 2101 KD4D 57 A 67 VA K1ABC 123 B 75 CT\n"
      // RSTs written 5NN and 59
      "QSO: 7040 CW 2017-01-07 1313 ON4XYZ 5NN LGE DL1ABC 5NN 012\n"
      "QSO: 7040 PH 2017-01-07 1314 ON4XYZ 59 LGE DL1ABC 59 012\n");
  ASSERT_EQ(log.qsos.size(), 6u);
  EXPECT_EQ(log.qsos[0].exchange_sent, "2A EPA");
  EXPECT_EQ(log.qsos[0].call, "K1ABC");
  EXPECT_EQ(log.qsos[0].exchange_received, "3A CT");
  EXPECT_EQ(log.qsos[0].rst_received, "599");
  EXPECT_EQ(log.qsos[1].exchange_sent, "1 A 67 VA");
  EXPECT_EQ(log.qsos[1].exchange_received, "123 B 75 CT");
  EXPECT_EQ(log.qsos[2].exchange_received, "BOB CT");
  EXPECT_EQ(log.qsos[3].exchange_sent, "57 A 67 VA");
  EXPECT_EQ(log.qsos[3].exchange_received, "123 B 75 CT");
  EXPECT_EQ(log.qsos[4].rst_received, "5NN");
  EXPECT_EQ(log.qsos[4].exchange_received, "012");
  EXPECT_EQ(log.qsos[5].rst_sent, "59");
  EXPECT_EQ(log.qsos[5].exchange_received, "012");
}

TEST(CabrilloReader, FrequenciesAndBandDesignators) {
  const Log log = ReadCabrillo(
      "QSO: 1838 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012\n"
      "QSO: 10142 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012\n"
      "QSO: 50 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012\n"
      "QSO: 432 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012\n"
      "QSO: 5000 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012\n");
  ASSERT_EQ(log.qsos.size(), 5u);
  EXPECT_EQ(log.qsos[0].band, "160m");
  EXPECT_EQ(log.qsos[1].band, "30m");
  EXPECT_EQ(log.qsos[2].band, "6m");
  EXPECT_EQ(log.qsos[2].frequency_hz, 50000000u);
  EXPECT_EQ(log.qsos[3].band, "70cm");
  EXPECT_EQ(log.qsos[4].band, "");
  EXPECT_EQ(log.qsos[4].frequency_hz, 5000000u);
}

TEST(CabrilloReader, EveryKindOfLineEnd) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string text = std::string("START-OF-LOG: 3.0") + end + "CALLSIGN: ON4XYZ" + end +
                             "QSO: 14070 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012" + end +
                             end + "QSO: 7040 PM 2017-01-07 1313 ON4XYZ 599 LGE F5ABC 599 013" +
                             end + "END-OF-LOG:" + end;
    const Log log = ReadCabrillo(text);
    ASSERT_EQ(log.qsos.size(), 2u) << "line end " << (end[0] == '\r' ? "CR" : "LF");
    EXPECT_EQ(log.own_call, "ON4XYZ");
    EXPECT_EQ(log.qsos[0].exchange_received, "012");
    EXPECT_EQ(log.qsos[1].line, 5);
  }
}

TEST(CabrilloReader, MissingReceivedExchangeIsHandedOnEmpty) {
  const Log log = ReadCabrillo(
      "QSO: 14070 PM 2017-01-07 1312 ON4XYZ        599 LGE    DL1ABC        599\n"
      "QSO: 14070 PM 2017-01-07 1313 ON4XYZ        599 LGE    F5ABC         579 \n"
      // no RST, one exchange column each, with and without a transmitter
      "QSO: 7040 PM 2017-01-07 1314 ON4XYZ LGE DL1ABC 013\n"
      "QSO: 7040 PM 2017-01-07 1315 ON4XYZ LGE DL1ABC 014 1\n");
  EXPECT_TRUE(log.problems.empty()) << log.problems[0].reason;
  ASSERT_EQ(log.qsos.size(), 4u);
  EXPECT_EQ(log.qsos[0].call, "DL1ABC");
  EXPECT_EQ(log.qsos[0].exchange_sent, "LGE");
  EXPECT_EQ(log.qsos[0].rst_received, "599");
  EXPECT_EQ(log.qsos[0].exchange_received, "");
  EXPECT_EQ(log.qsos[1].rst_received, "579");
  EXPECT_EQ(log.qsos[1].exchange_received, "");
  EXPECT_EQ(log.qsos[2].rst_received, "599");
  EXPECT_EQ(log.qsos[2].exchange_received, "013");
  EXPECT_EQ(log.qsos[3].exchange_received, "014");
}

TEST(CabrilloReader, BandDesignatorsAboveFiftyMegahertz) {
  const struct {
    const char* column;
    const char* band;
    uint32_t hz;
  } cases[] = {{"50", "6m", 50000000u},      {"70", "4m", 70000000u},
               {"144", "2m", 144000000u},    {"222", "1.25m", 222000000u},
               {"432", "70cm", 420000000u},  {"902", "33cm", 902000000u},
               {"1.2G", "23cm", 1240000000u}, {"2.3G", "13cm", 2300000000u},
               {"3.4G", "9cm", 3300000000u}, {"10G", "3cm", 0u},
               {"light", "light", 0u}};
  for (const auto& c : cases) {
    const Log log = ReadCabrillo(std::string("QSO: ") + c.column +
                                 " PH 1997-09-13 1804 N8SQL FN12fr KB2DMK FN12\n");
    ASSERT_EQ(log.qsos.size(), 1u) << c.column;
    EXPECT_EQ(log.qsos[0].band, c.band) << c.column;
    EXPECT_EQ(log.qsos[0].frequency_hz, c.hz) << c.column;
    EXPECT_EQ(log.qsos[0].exchange_received, "FN12");
  }
}

TEST(CabrilloReader, HeaderLinesAndNulBytes) {
  static constexpr char kText[] =
      "START-OF-LOG: 3.0\nCALLSIGN: on4xyz \nNAME:\nQSO: 14070 PM 2017-01-07 1312 ON4XYZ 599 "
      "LGE DL1A\0C 599 012\nX-QSO: 7040 PM 2017-01-07 1314 ON4XYZ 599 LGE F5ABC 599 001\n";
  const Log log = ReadCabrillo(std::string_view(kText, sizeof kText - 1));
  EXPECT_TRUE(log.qsos.empty());
  ASSERT_EQ(log.problems.size(), 1u);
  EXPECT_EQ(log.problems[0].line, 4);
  EXPECT_EQ(log.problems[0].reason, "the line holds a NUL byte");
  ASSERT_EQ(log.header.size(), 3u);
  EXPECT_EQ(log.header[1].tag, "CALLSIGN");
  EXPECT_EQ(log.header[1].value, "on4xyz");
  EXPECT_EQ(log.header[2].line, 3);
  EXPECT_EQ(log.header[2].value, "");
  EXPECT_EQ(log.own_call, "ON4XYZ");
}

TEST(CabrilloReader, ReportsLinesThatCannotBeRead) {
  const Log log = ReadCabrillo(
      "START-OF-LOG: 3.0\n"
      "QSO: 14070 PM 2017-01-07 1312 ON4XYZ 599 LGE\n"
      "QSO: 14O70 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012\n"
      "QSO: 14070 PM 07.01.2017 1312 ON4XYZ 599 LGE DL1ABC 599 012\n"
      "QSO: 14070 PM 2017-01-07 13:12 ON4XYZ 599 LGE DL1ABC 599 012\n"
      "QSO: 14070 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012 X\n"
      "QSO: 14070 PM 2017-01-07 1312 ON4XYZ 599 LGE DL1ABC 599 012\n");
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_EQ(log.qsos[0].number, 7);
  EXPECT_EQ(log.own_call, "ON4XYZ");  // no CALLSIGN: line, so the first QSO's
  ASSERT_EQ(log.problems.size(), 5u);
  EXPECT_EQ(log.problems[0].line, 2);
  EXPECT_EQ(log.problems[0].reason, "a QSO: line needs at least 8 columns, this one has 7");
  EXPECT_EQ(log.problems[1].reason, "frequency '14O70' is neither a number of kHz nor a band");
  EXPECT_EQ(log.problems[2].reason, "date '07.01.2017' is not a date (YYYY-MM-DD)");
  EXPECT_EQ(log.problems[3].reason, "time '13:12' is not a time (HHMM)");
  EXPECT_EQ(log.problems[4].reason,
            "the exchange columns cannot be split into a sent and a received half");
}

}  // namespace
}  // namespace replay
