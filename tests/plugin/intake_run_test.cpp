// The QSO intake and its journal as a contest run has them: the run's
// settings, the result's worked lists, and the operator's notices of a
// journal that cannot be written.
#include <filesystem>
#include <mutex>

#include "plugin/contest.h"
#include "rules/intake.h"
#include "tests/support/test_support.h"

namespace stats {
namespace {

using testing::Date;
using testing::Exists;
using testing::PluginTest;
using testing::Qso;
using testing::ReadText;
using testing::Reset;

class Intake : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Reset().Call();
  }
  std::string Journal() const { return ReadText(dir() / "BadQSO_RazadUREVARERE63_07_01_2017.txt"); }
  const ContestState& State() const { return Contest(); }
};

constexpr const char* kHeader = "UBA PFX UBN file \r\n";
constexpr const char* kRewritten = "UBA PFX UBN file  \r\n";
// The journal line of the default test QSO, up to its reason piece.
constexpr const char* kLine = "QSO:  14070  BPSK63  2017-01-06 1312  DL1OWN  599  001  DL1AB  599  001";

TEST_F(Intake, ABelgianOperatorSendsTheOwnSection) {
  testing::WriteText(dir() / "Plugins" / "ZEVUVI.ini", "[Settings]\r\nON_Section=LGE\r\n");
  Reset run;
  run.own_country = "ON";
  run.Call();
  Qso q;
  q.exchange_sent = "007";
  q.Add();
  EXPECT_EQ(State().store.At(0).exchange_sent, "LGE");
  q.Add();  // the journal keeps the exchange as sent
  EXPECT_NE(Journal().find("DL1OWN  599  007  DL1AB"), std::string::npos);
}

TEST_F(Intake, RemovingTheLastQsoEmptiesTheWorkedLists) {
  Qso q;
  q.Add();
  testing::Result();
  EXPECT_EQ(State().worked_prefixes[3].size(), 1u);
  Qso other = q;
  other.call = "DL2XX";
  other.Remove();  // nothing removed, store not empty: lists stay
  EXPECT_EQ(State().worked_prefixes[3].size(), 1u);
  q.Remove();
  for (const auto& list : State().worked_prefixes) EXPECT_TRUE(list.empty());
  for (const auto& list : State().worked_sections) EXPECT_TRUE(list.empty());
  EXPECT_EQ(Journal(), kRewritten);
}

TEST_F(Intake, AJournalThatCannotBeCreatedIsReportedOnceAndItsLinesStillCount) {
  // A folder stands where the journal of a run ending on 8 January would go.
  std::filesystem::create_directory(dir() / "BadQSO_RazadUREVARERE63_08_01_2017.txt");
  Reset run;
  run.end = Date(2017, 1, 8);
  platform_.messages.clear();
  run.Call();
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "Output");
  const std::string head = "File not written: BadQSO_RazadUREVARERE63_08_01_2017.txt (";
  EXPECT_EQ(platform_.messages[0].text.substr(0, head.size()), head);
  EXPECT_GT(platform_.messages[0].text.size(), head.size() + 1);  // the system's reason
  Qso q;
  q.mode = "RTTY";
  for (int i = 0; i < 5; ++i) {
    q.time.dt += 0.01;
    EXPECT_EQ(q.Add(), 0);
  }
  EXPECT_EQ(State().journal.Lines().size(), 5u);
  EXPECT_NE(testing::Result().find("Bad QSO\t 5\r\n"), std::string::npos);
  // Told once in the run, not at every line.
  EXPECT_EQ(platform_.messages.size(), 1u);
  EXPECT_TRUE(std::filesystem::is_directory(dir() / "BadQSO_RazadUREVARERE63_08_01_2017.txt"));
  // The next run tells it again.
  run.Call();
  EXPECT_EQ(platform_.messages.size(), 2u);
}

TEST_F(Intake, AJournalThatFailsLaterIsReportedAndKeepsItsWholeLines) {
  Qso q;
  q.mode = "RTTY";
  q.Add();
  platform_.messages.clear();
  platform_.fail_write_at = platform_.writes + 1;
  platform_.sticky = true;  // a full disk from now on
  q.time.dt += 0.01;
  q.Add();
  q.time.dt += 0.01;
  q.Add();
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text.rfind(
                "File not written: BadQSO_RazadUREVARERE63_07_01_2017.txt (injected", 0),
            0u);
  // The file holds whole lines only: those written before the disk filled.
  const std::string journal = Journal();
  EXPECT_EQ(journal.substr(journal.size() - 2), "\r\n");
  EXPECT_NE(testing::Result().find("Bad QSO\t 3\r\n"), std::string::npos);
  EXPECT_FALSE(Exists(dir() / "BadQSO_RazadUREVARERE63_07_01_2017.txt.tmp"));
}

TEST_F(Intake, ARewriteThatFailsLeavesTheJournalAsItWas) {
  Qso q;
  q.Add();
  q.Add();
  const std::string before = Journal();
  platform_.messages.clear();
  // The removal rewrites the journal through a temporary file: its write,
  // its sync and its rename each fail in turn.
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    platform_.writes = 0;
    platform_.fail_write_at = n;
    Qso other = q;
    other.call = "DL9ZZ";
    other.Remove();
    EXPECT_EQ(Journal(), before);
    EXPECT_FALSE(Exists(dir() / "BadQSO_RazadUREVARERE63_07_01_2017.txt.tmp"));
  }
  EXPECT_EQ(platform_.messages.size(), 1u);  // once in the run
  platform_.fail_write_at = 0;
  q.Remove();
  EXPECT_EQ(Journal(), kRewritten);
}

}  // namespace
}  // namespace stats
