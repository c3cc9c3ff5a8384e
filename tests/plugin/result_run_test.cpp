#include "model/settings.h"
#include "tests/plugin/reports_test_support.h"
#include "tests/support/result_expected.h"

namespace stats {
namespace {

using testing::Qso;
using testing::ReportsTest;
using testing::Reset;
using testing::Result;

using ResultTest = ReportsTest;

// The log of the scoring example: on 20m ON4 (BXE), DL1, ON4 (LGE) and a
// repeat of the first; on 40m DL1.
void AddWorkedExample() {
  for (const testing::QsoData& data : testing::WorkedExampleQsos()) ASSERT_EQ(Qso{data}.Add(), 1);
}

TEST_F(ResultTest, EmptyLogGivesTheHeadingAndZeroTotals) {
  Reset().Call();
  EXPECT_EQ(Result(), testing::kEmptyResultText);
  EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(ResultTest, WorkedExampleInTextForm) {
  Reset().Call();
  AddWorkedExample();
  const std::string expected = testing::kWorkedExampleText;
  EXPECT_EQ(Result(), expected);
  // The second request empties the first text before it fills it again.
  EXPECT_EQ(Result(), expected);
  EXPECT_EQ(settings::Read("Claimed"), "20");
}

TEST_F(ResultTest, WorkedExampleAsHtmlAfterSetVersion) {
  Reset().Call();
  AddWorkedExample();
  setVersion("2.20");
  EXPECT_EQ(Result(), testing::kWorkedExampleHtml);
}

TEST_F(ResultTest, WorkedExampleLogWithTheFormConfirmedAsLoaded) {
  Reset run;
  run.cabrillo = 1;
  run.Call();
  AddWorkedExample();
  Result();
  const std::string log = testing::ReadText(dir() / "ON4XX.cbr");
  EXPECT_NE(log.find("\r\nCLAIMED-SCORE: 20\r\n"), std::string::npos);
  size_t qso_lines = 0;
  for (size_t at = log.find("\r\nQSO: "); at != std::string::npos;
       at = log.find("\r\nQSO: ", at + 1)) {
    ++qso_lines;
  }
  EXPECT_EQ(qso_lines, 5u);  // every stored record, the duplicate too
}

TEST_F(ResultTest, ARefusedClaimedWriteStillReturnsTheText) {
  WriteSettings("[Settings]\r\nClaimed=7\r\n");
  Reset().Call();
  AddWorkedExample();
  platform_.fail_write_at = platform_.writes + 1;
  EXPECT_NE(Result().find("Score = 4 * (3 + 2)  = 20 \r\n"), std::string::npos);
  EXPECT_EQ(settings::Read("Claimed"), "7");
}

}  // namespace
}  // namespace stats
