// The result summary and the Cabrillo log of contest data the test builds:
// the rules score what it adds, the reports format the score.
#include <gtest/gtest.h>

#include <string>

#include "reports/cabrillo_header.h"
#include "reports/cabrillo_writer.h"
#include "reports/result.h"
#include "rules/score.h"
#include "tests/rules/rules_fixture.h"
#include "tests/support/result_expected.h"

namespace stats {
namespace {

using Qso = testing::QsoData;

class ResultText : public testing::RulesTest {
 protected:
  // The log of the scoring example: on 20m ON4 (BXE), DL1, ON4 (LGE) and a
  // repeat of the first; on 40m DL1.
  void AddWorkedExample() {
    for (const Qso& q : testing::WorkedExampleQsos()) ASSERT_EQ(Add(q), 1);
  }
  // The heading of ON4XX's run from 2017-01-06 to 2017-01-07.
  static ResultHeading Heading() { return {"06.01", "07.01.2017", "ON4XX"}; }
};

TEST_F(ResultText, EmptyLogGivesTheHeadingAndZeroTotals) {
  EXPECT_EQ(FormatResultText(Heading(), ComputeScore(data_)), testing::kEmptyResultText);
}

TEST_F(ResultText, WorkedExampleInTextAndHtmlForm) {
  AddWorkedExample();
  const ScoreSummary summary = ComputeScore(data_);
  EXPECT_EQ(FormatResultText(Heading(), summary), testing::kWorkedExampleText);
  EXPECT_EQ(FormatResultHtml(Heading(), summary), testing::kWorkedExampleHtml);
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
