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

// Records that a logger writes in its own way are read, and what was read
// otherwise than written is reported with the record, which is not skipped.
TEST(AdifReader, FrequencyInHzOrKhzAndAFrequencyThatIsNone) {
  const Log log = ReadAdif(
      // Hz beside a correct BAND, as one logger writes every record
      "<BAND:3>20M<CALL:6>HI8JSG<FREQ:8>14074000<QSO_DATE:8>20200117<TIME_ON:6>222908<EOR>\n"
      "<BAND:3>40M<CALL:6>OE3WMA<FREQ:8>07155000<QSO_DATE:8>20200117<TIME_ON:6>222921<EOR>\n"
      "<BAND:3>80M<CALL:5>UR4LG<FREQ:7>3540700<QSO_DATE:8>20191109<TIME_ON:6>234607<EOR>\n"
      // kHz without a BAND
      "<CALL:5>F5ABC<FREQ:5>14074<QSO_DATE:8>20200117<TIME_ON:4>2230<EOR>\n"
      // no frequency at all, but a BAND
      "<BAND:3>15M<CALL:5>F5ABC<FREQ:4>14,1<QSO_DATE:8>20200117<TIME_ON:4>2231<EOR>\n"
      // a reading in Hz that is not the BAND's: the BAND, no frequency
      "<BAND:3>40M<CALL:5>F5ABC<FREQ:8>14074000<QSO_DATE:8>20200117<TIME_ON:4>2232<EOR>\n");
  ASSERT_EQ(log.qsos.size(), 6u);
  EXPECT_EQ(log.qsos[0].frequency_hz, 14074000u);
  EXPECT_EQ(log.qsos[0].band, "20m");
  EXPECT_EQ(log.qsos[1].frequency_hz, 7155000u);
  EXPECT_EQ(log.qsos[2].frequency_hz, 3540700u);
  EXPECT_EQ(log.qsos[2].band, "80m");
  EXPECT_EQ(log.qsos[3].frequency_hz, 14074000u);
  EXPECT_EQ(log.qsos[3].band, "20m");
  EXPECT_EQ(log.qsos[4].frequency_hz, 0u);
  EXPECT_EQ(log.qsos[4].band, "15m");
  EXPECT_EQ(log.qsos[5].frequency_hz, 0u);
  EXPECT_EQ(log.qsos[5].band, "40m");
  // The unit once for the log, each frequency that is none with its record.
  ASSERT_EQ(log.problems.size(), 3u);
  EXPECT_EQ(log.problems[0].line, 1);
  EXPECT_EQ(log.problems[0].reason,
            "record 1: FREQ '14074000' is read as Hz, not MHz, here and in every record of the "
            "log where only that reading falls in a band");
  EXPECT_EQ(log.problems[1].line, 5);
  EXPECT_EQ(log.problems[1].reason,
            "record 5: FREQ '14,1' is not a frequency in MHz; the QSO is scored on its BAND");
  EXPECT_EQ(log.problems[2].line, 6);
  for (const ReadProblem& p : log.problems) EXPECT_FALSE(p.skipped) << p.reason;

  const Log khz = ReadAdif(
      "<CALL:5>F5ABC<FREQ:4>7040<QSO_DATE:8>20200117<TIME_ON:4>2230<EOR>\n"
      // 3500 MHz is in the 9cm band, but the BAND says kHz
      "<CALL:5>F5ABC<FREQ:4>3500<BAND:3>80m<QSO_DATE:8>20200117<TIME_ON:4>2231<EOR>\n"
      // a frequency in MHz of another band than the BAND stays as it is
      "<CALL:5>F5ABC<FREQ:6>14.074<BAND:3>40m<QSO_DATE:8>20200117<TIME_ON:4>2232<EOR>\n");
  ASSERT_EQ(khz.qsos.size(), 3u);
  EXPECT_EQ(khz.qsos[0].band, "40m");
  EXPECT_EQ(khz.qsos[1].frequency_hz, 3500000u);
  EXPECT_EQ(khz.qsos[1].band, "80m");
  EXPECT_EQ(khz.qsos[2].frequency_hz, 14074000u);
  EXPECT_EQ(khz.qsos[2].band, "40m");
  ASSERT_EQ(khz.problems.size(), 1u);
  EXPECT_EQ(khz.problems[0].reason,
            "record 1: FREQ '7040' is read as kHz, not MHz, here and in every record of the log "
            "where only that reading falls in a band");
}

TEST(AdifReader, TimeOffForAMissingTimeOnAndTheOwnCallOfAnyRecord) {
  const Log log = ReadAdif(
      "<EOH>\n"
      "<STATION_CALLSIGN:4>R6YY <CALL:7>LY310KD <QSO_DATE:8>20240101 <BAND:3>80M "
      "<TIME_OFF:6>033500 <EOR>\n"
      "<STATION_CALLSIGN:4>R6YY <CALL:6>OE24BI <QSO_DATE:8>20240101 <BAND:3>80M "
      "<TIME_OFF:6>033600 <EOR>\n"
      "<CALL:6>OE24BI <QSO_DATE:8>20240101 <TIME_ON:4>0340 <TIME_OFF:4>0350 <EOR>\n"
      "<CALL:6>OE24BI <QSO_DATE:8>20240101 <TIME_OFF:4>2599 <EOR>\n");
  ASSERT_EQ(log.qsos.size(), 3u);
  EXPECT_EQ(log.own_call, "R6YY");
  EXPECT_EQ(log.qsos[0].time, (QsoTime{2024, 1, 1, 3, 35, 0}));
  EXPECT_EQ(log.qsos[1].time, (QsoTime{2024, 1, 1, 3, 36, 0}));
  EXPECT_EQ(log.qsos[2].time, (QsoTime{2024, 1, 1, 3, 40, 0}));  // TIME_ON wins
  ASSERT_EQ(log.problems.size(), 2u);
  EXPECT_EQ(log.problems[0].reason,
            "record 1: no TIME_ON: the QSO's time is its TIME_OFF, here and in every record of "
            "the log without a TIME_ON");
  EXPECT_FALSE(log.problems[0].skipped);
  EXPECT_EQ(log.problems[1].reason, "record 4: TIME_OFF '2599' is not a time");
  EXPECT_TRUE(log.problems[1].skipped);

  // Told once also when the first record it concerns is skipped for
  // another reason.
  const Log first_skipped = ReadAdif(
      "<CALL:5>F5ABC<QSO_DATE:8>20240101<TIME_OFF:4>0350<FREQ:2>7x<EOR>\n"
      "<CALL:5>F5ABC<QSO_DATE:8>20240101<TIME_OFF:4>0351<EOR>\n");
  ASSERT_EQ(first_skipped.qsos.size(), 1u);
  ASSERT_EQ(first_skipped.problems.size(), 2u);
  EXPECT_FALSE(first_skipped.problems[0].skipped);
  EXPECT_EQ(first_skipped.problems[1].reason, "record 1: FREQ '7x' is not a frequency in MHz");

  // A record that cannot be read still names the own call.
  const Log unread = ReadAdif(
      "<STATION_CALLSIGN:6>ON4XYZ<CALL:5>F5ABC<QSO_DATE:8>20170132<TIME_ON:4>1312<EOR>\n"
      "<CALL:5>F5ABC<QSO_DATE:8>20170107<TIME_ON:4>1312<EOR>\n");
  ASSERT_EQ(unread.qsos.size(), 1u);
  EXPECT_EQ(unread.own_call, "ON4XYZ");
  const Log unended = ReadAdif("<EOH><QSO_DATE:8>20210706<STATION_CALLSIGN:4>DP9X<CALL:5>F5ABC");
  EXPECT_EQ(unended.own_call, "DP9X");
  EXPECT_EQ(unended.problems.size(), 1u);
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
