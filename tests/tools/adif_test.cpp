#include <gtest/gtest.h>

#include "log.h"

namespace replay {
namespace {

constexpr const char* kGood =
    "<CALL:6>DL1ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<BAND:3>20M<FREQ:7>14.0705"
    "<MODE:3>PSK<SUBMODE:5>PSK63<RST_SENT:3>589<RST_RCVD:3>579<STX:1>7<SRX:2>12"
    "<STATION_CALLSIGN:6>ON4XYZ<EOR>\n";

// A text with the NUL bytes it holds.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(AdifReader, ReadsTheFieldsTheHostUses) {
  const Log log = ReadAdif(kGood);
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_TRUE(log.problems.empty());
  const LogQso& q = log.qsos[0];
  EXPECT_EQ(q.number, 1);
  EXPECT_EQ(q.call, "DL1ABC");
  EXPECT_EQ(q.time, (QsoTime{2017, 1, 7, 13, 12, 0}));
  EXPECT_EQ(q.frequency_hz, 14070500u);
  EXPECT_EQ(q.band, "20m");
  EXPECT_EQ(q.mode, "BPSK63");
  EXPECT_EQ(q.rst_sent, "589");
  EXPECT_EQ(q.rst_received, "579");
  EXPECT_EQ(q.exchange_sent, "007");
  EXPECT_EQ(q.exchange_received, "012");
  EXPECT_EQ(q.own_call, "ON4XYZ");
  EXPECT_EQ(log.own_call, "ON4XYZ");
}

TEST(AdifReader, SkipsTheHeaderAndKeepsRecordNumbers) {
  const std::string text = std::string("Exported <by> a logger\n<ADIF_VER:5>3.1.4<EOH>\n") +
                           kGood + "<CALL:3>K1A<EOR>\n" + kGood;
  const Log log = ReadAdif(text);
  ASSERT_EQ(log.qsos.size(), 2u);
  EXPECT_EQ(log.qsos[0].number, 1);
  EXPECT_EQ(log.qsos[1].number, 3);
  EXPECT_EQ(log.qsos[1].line, 5);
  ASSERT_EQ(log.problems.size(), 1u);
  EXPECT_EQ(log.problems[0].line, 4);
  EXPECT_EQ(log.problems[0].reason, "record 2: no QSO_DATE");
}

TEST(AdifReader, TwoLogsJoinedKeepTheRecordsOfBoth) {
  const std::string text = std::string("first<EOH>") + kGood + "second<PROGRAMID:1>X<EOH>" + kGood;
  const Log log = ReadAdif(text);
  EXPECT_EQ(log.qsos.size(), 2u);
  EXPECT_TRUE(log.problems.empty());
}

TEST(AdifReader, LengthsCountBytesOfMultibyteText) {
  // "Jürgen" is 6 characters and 7 bytes in UTF-8; the next field must
  // start right after the 7 bytes.
  const Log log = ReadAdif(
      "<NAME:7>J\xC3\xBCrgen<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<SRX:3>123<EOR>");
  ASSERT_EQ(log.qsos.size(), 1u) << (log.problems.empty() ? "" : log.problems[0].reason);
  EXPECT_EQ(log.qsos[0].call, "F5ABC");
  EXPECT_EQ(log.qsos[0].exchange_received, "123");
}

TEST(AdifReader, NamesAndMarkersInAnyCaseAndTypeLetters) {
  const Log log = ReadAdif(
      "<call:5>f5abc<Qso_Date:8:D>20170107<time_on:6:T>131259<mode:5>psk63<srx_string:3>lge"
      "<stx_string:3>BDX<eor>");
  ASSERT_EQ(log.qsos.size(), 1u);
  const LogQso& q = log.qsos[0];
  EXPECT_EQ(q.call, "F5ABC");
  EXPECT_EQ(q.time, (QsoTime{2017, 1, 7, 13, 12, 59}));
  EXPECT_EQ(q.mode, "BPSK63");
  EXPECT_EQ(q.exchange_received, "lge");  // strings as they stand
  EXPECT_EQ(q.exchange_sent, "BDX");
}

TEST(AdifReader, MissingFieldsTakeTheHostDefaults) {
  const Log log = ReadAdif("<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<EOR>");
  ASSERT_EQ(log.qsos.size(), 1u);
  const LogQso& q = log.qsos[0];
  EXPECT_EQ(q.rst_sent, "599");
  EXPECT_EQ(q.rst_received, "599");
  EXPECT_EQ(q.band, "");
  EXPECT_EQ(q.frequency_hz, 0u);
  EXPECT_EQ(q.mode, "");
  EXPECT_EQ(q.exchange_sent, "");
  EXPECT_EQ(q.exchange_received, "");
  EXPECT_EQ(q.own_call, "");
  // Without BAND the band comes from FREQ; OPERATOR stands in for
  // STATION_CALLSIGN.
  const Log by_freq = ReadAdif(
      "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<FREQ:5>3.582<OPERATOR:5>dl1aa<EOR>");
  ASSERT_EQ(by_freq.qsos.size(), 1u);
  EXPECT_EQ(by_freq.qsos[0].band, "80m");
  EXPECT_EQ(by_freq.qsos[0].own_call, "DL1AA");
}

TEST(AdifReader, ReportsRecordsThatCannotBeScored) {
  const Log log = ReadAdif(
      "<CALL:5>F5ABC<QSO_DATE:8>20170132<TIME_ON:4>1312<EOR>\n"
      "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>2512<EOR>\n"
      "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1212<FREQ:4>14,1<EOR>\n"
      "<CALL:x>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1212<EOR>\n"
      "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1212<EOR>\n");
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_EQ(log.qsos[0].number, 5);
  ASSERT_EQ(log.problems.size(), 4u);
  EXPECT_EQ(log.problems[0].reason, "record 1: QSO_DATE '20170132' is not a date");
  EXPECT_EQ(log.problems[1].reason, "record 2: TIME_ON '2512' is not a time");
  EXPECT_EQ(log.problems[2].reason, "record 3: FREQ '14,1' is not a frequency in MHz");
  EXPECT_EQ(log.problems[3].reason, "record 4: field CALL has no valid length");
  EXPECT_EQ(log.problems[3].line, 4);
}

TEST(AdifReader, TruncatedLastRecordIsReportedAndTheRestKept) {
  const std::string good = kGood;
  const Log cut = ReadAdif(good + "<CALL:6>DL1ABC<QSO_DATE:8>2017");
  ASSERT_EQ(cut.qsos.size(), 1u);
  ASSERT_EQ(cut.problems.size(), 1u);
  EXPECT_EQ(cut.problems[0].line, 2);
  EXPECT_EQ(cut.problems[0].reason,
            "record 2: field QSO_DATE announces 8 bytes but the file ends after 4");

  const Log unended = ReadAdif(good + "<CALL:6>DL1ABC<QSO_DATE:8>20170107<TIME_ON:4>1313\n");
  ASSERT_EQ(unended.problems.size(), 1u);
  EXPECT_EQ(unended.problems[0].reason, "record 2: not ended by <EOR>");

  const Log open_tag = ReadAdif(good + "<CALL:6");
  ASSERT_EQ(open_tag.problems.size(), 1u);
  EXPECT_EQ(open_tag.problems[0].reason,
            "record 2: tag not closed by '>' before the end of the file");
}

TEST(AdifReader, LineNumbersForEveryKindOfLineEnd) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    const std::string text = std::string("header") + end + "<EOH>" + end + end + kGood + end +
                             "<CALL:3>K1A<EOR>" + end;
    const Log log = ReadAdif(text);
    ASSERT_EQ(log.qsos.size(), 1u);
    EXPECT_EQ(log.qsos[0].line, 4);
    ASSERT_EQ(log.problems.size(), 1u);
    EXPECT_EQ(log.problems[0].line, 6) << "line end " << (end[0] == '\r' ? "CR" : "LF");
  }
}

TEST(AdifReader, NulInAValueIsAProblemOfItsRecord) {
  const std::string nul = Bytes("<CALL:6>DL\0ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<EOR>\n");
  const std::string in_comment =
      Bytes("<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<COMMENT:3>a\0b<EOR>\n");
  const Log log = ReadAdif(nul + in_comment + kGood);
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_EQ(log.qsos[0].call, "DL1ABC");
  ASSERT_EQ(log.problems.size(), 2u);
  EXPECT_EQ(log.problems[0].reason, "record 1: field CALL holds a NUL byte");
  EXPECT_EQ(log.problems[1].reason, "record 2: field COMMENT holds a NUL byte");
}

TEST(AdifReader, TextThatLooksLikeATagKeepsItsRecord) {
  // A comment writer that put "<COMMENT: 12>" into the text between tags.
  const Log log = ReadAdif(
      "<CALL:5>G7OEM<QSO_DATE:8>20190419<TIME_ON:4>0827<BAND:2>2m<COMMENT:4>Tony "
      "<COMMENT: 12> GRID: IO83LS <MY_SOTA_REF:8>G/LD-017 <EOR>\n"
      "a < b and c > d <CALL:5>F5ABC<QSO_DATE:8>20190419<TIME_ON:4>0828<EOR>\n");
  EXPECT_TRUE(log.problems.empty()) << log.problems[0].reason;
  ASSERT_EQ(log.qsos.size(), 2u);
  EXPECT_EQ(log.qsos[0].call, "G7OEM");
  EXPECT_EQ(log.qsos[1].call, "F5ABC");
}

TEST(AdifReader, EndOfFileMarkersAreNoProblems) {
  const std::string good = kGood;
  for (const char* marker : {"<EOF>", "<APP_LoTW_EOF>\r\n\r\n", "<eof>\ntrailing text <CALL:2>"}) {
    const Log log = ReadAdif(good + marker);
    EXPECT_EQ(log.qsos.size(), 1u);
    EXPECT_TRUE(log.problems.empty()) << marker << ": " << log.problems[0].reason;
  }
  // A tag without data elsewhere does not open a record.
  const Log marks = ReadAdif(good + "<APP_X_DONE>\n");
  EXPECT_TRUE(marks.problems.empty());
}

TEST(AdifReader, SixtyMetresIsABand) {
  const Log log = ReadAdif(
      "<CALL:7>G8TMV/P<QSO_DATE:8>20190419<TIME_ON:4>1243<FREQ:5>5.398<EOR>"
      "<CALL:5>F5ABC<QSO_DATE:8>20190419<TIME_ON:4>1244<BAND:3>60M<EOR>");
  ASSERT_EQ(log.qsos.size(), 2u);
  EXPECT_EQ(log.qsos[0].band, "60m");
  EXPECT_EQ(log.qsos[1].band, "60m");
}

TEST(LogFormat, DetectedFromTheContentsThenTheName) {
  EXPECT_EQ(DetectFormat("x.adi", "\r\r  START-OF-LOG: 3.0\r"), LogFormat::kCabrillo);
  EXPECT_EQ(DetectFormat("x.adi", "\r\n  START-OF-LOG: 3.0\r\n"), LogFormat::kCabrillo);
  EXPECT_EQ(DetectFormat("x.txt", "\xEF\xBB\xBFstart-of-log: 2.0\n"), LogFormat::kCabrillo);
  EXPECT_EQ(DetectFormat("x.LOG", "QSO: ..."), LogFormat::kCabrillo);
  EXPECT_EQ(DetectFormat("x.cbr", ""), LogFormat::kCabrillo);
  EXPECT_EQ(DetectFormat("x.adi", "<CALL:3>K1A<EOR>"), LogFormat::kAdif);
  EXPECT_EQ(DetectFormat("x", "header<EOH>"), LogFormat::kAdif);
}

TEST(Dates, OleDayCountsAndCalendarChecks) {
  EXPECT_DOUBLE_EQ((QsoTime{1899, 12, 30, 0, 0, 0}.OleDays()), 0.0);
  EXPECT_DOUBLE_EQ((QsoTime{2017, 1, 6, 0, 0, 0}.OleDays()), 42741.0);
  EXPECT_DOUBLE_EQ((QsoTime{2017, 1, 7, 18, 0, 0}.OleDays()), 42742.75);
  EXPECT_DOUBLE_EQ((QsoTime{2000, 3, 1, 0, 0, 0}.OleDays()), 36586.0);
  EXPECT_TRUE(ParseDate("20240229"));
  EXPECT_FALSE(ParseDate("20230229"));
  EXPECT_FALSE(ParseDate("2017-1-07"));
  EXPECT_FALSE(ParseDate("2017O107"));
}

// The day count of the host's dates is the plug-in's also before
// 1899-12-30: the time of day counts forward from the day's midnight.
TEST(Dates, OleDayCountsBeforeTheEpoch) {
  EXPECT_DOUBLE_EQ((QsoTime{1899, 12, 30, 6, 0, 0}.OleDays()), 0.25);
  EXPECT_DOUBLE_EQ((QsoTime{1899, 12, 29, 6, 0, 0}.OleDays()), -1.25);
  EXPECT_DOUBLE_EQ((QsoTime{1899, 12, 28, 18, 0, 0}.OleDays()), -2.75);
  EXPECT_DOUBLE_EQ((QsoTime{1899, 12, 29, 0, 0, 0}.OleDays()), -1.0);
}

}  // namespace
}  // namespace replay
