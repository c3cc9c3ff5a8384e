// The result summary and the Cabrillo log of contest data the test builds:
// the rules score what it adds, the reports format the score.
#include <gtest/gtest.h>

#include <string>

#include "reports/cabrillo_header.h"
#include "reports/cabrillo_writer.h"
#include "reports/result.h"
#include "rules/score.h"
#include "tests/rules/rules_fixture.h"

namespace stats {
namespace {

using Qso = testing::QsoData;

class ResultText : public testing::RulesTest {
 protected:
  // The log of the scoring example: on 20m ON4 (BXE), DL1, ON4 (LGE) and a
  // repeat of the first; on 40m DL1.
  void AddWorkedExample() {
    Qso q;
    q.call = "ON4AAA";
    q.prefix = "ON4";
    q.country = "ON";
    q.exchange_received = "BXE";
    ASSERT_EQ(Add(q), 1);
    Qso dl;
    ASSERT_EQ(Add(dl), 1);
    Qso lge = q;
    lge.call = "ON4BBB";
    lge.exchange_received = "LGE";
    lge.time = testing::Date(2017, 1, 6, 13, 20);
    ASSERT_EQ(Add(lge), 1);
    Qso dupe = q;
    dupe.time = testing::Date(2017, 1, 6, 13, 30);
    ASSERT_EQ(Add(dupe), 1);
    Qso forty = dl;
    forty.band = "40m";
    forty.frequency_hz = 7040000;
    ASSERT_EQ(Add(forty), 1);
  }
  // The heading of ON4XX's run from 2017-01-06 to 2017-01-07.
  static ResultHeading Heading() { return {"06.01", "07.01.2017", "ON4XX"}; }
};

TEST_F(ResultText, EmptyLogGivesTheHeadingAndZeroTotals) {
  EXPECT_EQ(FormatResultText(Heading(), ComputeScore(data_)),
            "\tVA-ZIZ-AVO 06.01-07.01.2017 \r\n"
            "\t     Contestant: ON4XX\r\n"
            "Band\tQSOs\tPoints\tNew Prefix  UBA Sec\r\n"
            "Total\t 0\t 0\t    0\t       0\r\n"
            "Dupe\t 0\r\n"
            "Bad QSO\t 0\r\n"
            "Score = 0 * (0 + 0)  = 0 \r\n");
}

TEST_F(ResultText, WorkedExampleInTextAndHtmlForm) {
  AddWorkedExample();
  const ScoreSummary summary = ComputeScore(data_);
  EXPECT_EQ(FormatResultText(Heading(), summary),
            "\tVA-ZIZ-AVO 06.01-07.01.2017 \r\n"
            "\t     Contestant: ON4XX\r\n"
            "Band\tQSOs\tPoints\tNew Prefix  UBA Sec\r\n"
            "40m\t 1\t 1\t    1\t       0\r\n"
            "20m\t 3\t 3\t    2\t       2\r\n"
            "Total\t 4\t 4\t    3\t       2\r\n"
            "Dupe\t 1\r\n"
            "Bad QSO\t 0\r\n"
            "Score = 4 * (3 + 2)  = 20 \r\n");
  EXPECT_EQ(
      FormatResultHtml(Heading(), summary),
      "<html><head><style>table{ width:100%; }table, th, td{ border: 1px solid black; "
      "border-collapse: collapse; }th, td{ padding: 1px; text-align: middle; }th,td{ "
      "background-color: #fffac6; color: black; }</style></head><body>"
      "<center><b>   VA-ZIZ-AVO  06.01-07.01.2017</b></center>"
      "<center>Contestant:  <b>ON4XX</center></b><table>"
      "<tr><th><center>Band</center></th><th><center>QSOs</center></th>"
      "<th><center>Points</center></th><th><center>New Prefix</center></th>"
      "<th><center>UBA Sec</center></th></tr>"
      "<tr><th><center>40m</center></th><td><center>1</center></td><td><center>1</center></td>"
      "<td><center>1</center></td><td><center>0</center></td></tr>"
      "<tr><th><center>20m</center></th><td><center>3</center></td><td><center>3</center></td>"
      "<td><center>2</center></td><td><center>2</center></td></tr>"
      "<tr><th><center>Total</center></th><td><center>4</center></td><td><center>4</center></td>"
      "<td><center>3</center></td><td><center>2</center></td></tr>"
      "<tr><th><center>Dupe</center></th><td><center>1</center></td><td colspan=5> </td></tr>"
      "<tr><th><center>Bad QSO</center></th><td><center>0</center></td><td colspan=5> </td></tr>"
      "<tr><th>Score:</th><td colspan=6><center>4 * (3 + 2) = 20</center></td></tr>"
      "</table></body></html>");
}

TEST_F(ResultText, TheCabrilloLogHoldsEveryStoredRecordAndTheClaimedScore) {
  AddWorkedExample();
  CabrilloHeader header;
  header.station_callsign = "ON4XX";
  const CabrilloLog log =
      BuildCabrilloLog(header, ComputeScore(data_).score, "Zelk", data_.store);
  EXPECT_NE(log.text.find("\r\nCLAIMED-SCORE: 20\r\n"), std::string::npos);
  size_t qso_lines = 0;
  for (size_t at = log.text.find("\r\nQSO: "); at != std::string::npos;
       at = log.text.find("\r\nQSO: ", at + 1)) {
    ++qso_lines;
  }
  EXPECT_EQ(qso_lines, 5u);  // every stored record, the duplicate too
  EXPECT_EQ(log.text.substr(log.text.size() - 13), "END-OF-LOG:\r\n");
}

}  // namespace
}  // namespace stats
