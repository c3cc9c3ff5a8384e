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

TEST_F(Intake, StoresAGoodQsoWithoutAJournalLine) {
  Qso q;
  q.extra = "note";
  q.frequency_hz = 14070999;
  EXPECT_EQ(q.Add(), 1);
  EXPECT_EQ(Journal(), kHeader);
  ASSERT_EQ(State().store.Count(), 1u);
  const CInfo& r = State().store.At(0);
  EXPECT_EQ(r.call, "DL1AB");
  EXPECT_EQ(r.frequency_khz, 14070);
  EXPECT_EQ(r.extra, "note");
  EXPECT_EQ(r.exchange_sent, "001");
  EXPECT_EQ(r.uba_section, "");
  EXPECT_EQ(r.not_counted + r.bad + r.dupe + r.bad_section, 0);
}

TEST_F(Intake, RejectsWrongModeMissingExchangeAndWrongBand) {
  Qso q;
  q.mode = "PSK31";
  q.band = "30m";
  EXPECT_EQ(q.Add(), 0);  // both wrong: only the mode is reported
  q = Qso();
  q.exchange_sent = "";
  EXPECT_EQ(q.Add(), 0);
  q = Qso();
  q.band = "2m";
  EXPECT_EQ(q.Add(), 0);
  q = Qso();
  q.mode = "bpsk63";
  q.band = "20M";
  EXPECT_EQ(q.Add(), 1);  // both checks ignore letter case
  const std::string line = kLine;
  EXPECT_EQ(Journal(), std::string(kHeader) +
                           "QSO:  14070  PSK31  2017-01-06 1312  DL1OWN  599  001  DL1AB  599  001"
                           "   WRONG MODE !!!\r\n" +
                           "QSO:  14070  BPSK63  2017-01-06 1312  DL1OWN  599    DL1AB  599  001"
                           "   NO RX NUMBER !!!\r\n" +
                           line + "   WRONG BAND !!!\r\n");
  EXPECT_EQ(State().store.Count(), 1u);
  // Rejected bands are seen too.
  EXPECT_EQ(State().bands_seen, (std::vector<std::string>{"30m", "20m", "2m", "20M"}));
}

TEST_F(Intake, BelgianSections) {
  Qso q;
  q.call = "ON4AA";
  q.country = "ON";
  q.prefix = "ON4";
  q.exchange_received = "lge";
  EXPECT_EQ(q.Add(), 1);
  EXPECT_EQ(State().store.At(0).uba_section, "LGE");
  q.call = "ON4BB";
  q.exchange_received = "12";
  EXPECT_EQ(q.Add(), 1);
  const CInfo& bad = State().store.At(1);
  EXPECT_EQ(bad.not_counted + bad.bad + bad.bad_section, 3);
  EXPECT_EQ(bad.dupe, 0);
  q.call = "ON4CC";
  q.exchange_received = "xx bxe ";  // last three characters, then trimmed
  q.Add();
  EXPECT_EQ(State().store.At(2).uba_section, "");
  EXPECT_EQ(State().store.At(2).bad_section, 1);
  EXPECT_EQ(Journal(), std::string(kHeader) +
                           "QSO:  14070  BPSK63  2017-01-06 1312  DL1OWN  599  001  ON4BB  599  12"
                           "  12  UBA section is not acceptable !!!\r\n"
                           "QSO:  14070  BPSK63  2017-01-06 1312  DL1OWN  599  001  ON4CC  599  "
                           "xx bxe   XE  UBA section is not acceptable !!!\r\n");
  // Another country's exchange is taken as it stands.
  q = Qso();
  q.exchange_received = "1";
  EXPECT_EQ(q.Add(), 1);
  EXPECT_EQ(State().store.Count(), 4u);
}

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

TEST_F(Intake, EveryEarlierQsoOfTheCallOnTheBandIsReported) {
  Qso q;
  EXPECT_EQ(q.Add(), 1);
  q.band = "40m";
  q.frequency_hz = 7040000;
  EXPECT_EQ(q.Add(), 1);  // another band: no duplicate
  q = Qso();
  q.Add();
  q.Add();
  const std::string dupe = std::string(kLine) + "   DUPE !!!\r\n";
  EXPECT_EQ(Journal(), kHeader + dupe + dupe + dupe);
  EXPECT_EQ(State().store.At(1).dupe, 0);
  EXPECT_EQ(State().store.At(2).dupe, 1);
  EXPECT_EQ(State().store.At(3).not_counted, 1);
  q.call = "dl1ab";  // calls compare exactly
  q.Add();
  EXPECT_EQ(State().store.At(4).dupe, 0);
}

TEST_F(Intake, BeforeAnyRunTheJournalLinesAreLost) {
  std::lock_guard lock(ContestLock());
  Contest() = ContestState();
  QsoArgs q;
  q.call = "DL1AB";
  q.mode = "PSK31";
  EXPECT_EQ(AddQso(Contest(), q), 0);
  q.mode = "BPSK63";
  q.exchange_received = q.exchange_sent = "001";
  q.band = "20m";
  EXPECT_EQ(AddQso(Contest(), q), 1);
  EXPECT_TRUE(Contest().journal.Lines().empty());
}

TEST_F(Intake, RemovalTakesAwayOnlyThatQsosLines) {
  Qso a;                 // DL1AB 20m 13:12
  Qso longer = a;        // DL1ABC shares the text of DL1AB
  longer.call = "DL1ABC";
  Qso other_day = a;
  other_day.time = Date(2017, 1, 7, 13, 12);
  Qso rejected = a;
  rejected.mode = "RTTY";
  rejected.time = Date(2017, 1, 6, 13, 30);
  a.Add();
  a.Add();
  longer.Add();
  longer.Add();
  other_day.Add();  // a third DL1AB, another day
  rejected.Add();
  EXPECT_EQ(State().journal.Lines().size(), 5u);

  a.Remove();  // the first DL1AB
  ASSERT_EQ(State().store.Count(), 4u);
  const std::string j = Journal();
  EXPECT_EQ(j.rfind(kRewritten, 0), 0u);
  // DL1ABC keeps its dupe line; the other-day DL1AB now repeats one QSO, and
  // the second DL1AB none.
  const std::string longer_dupe =
      "QSO:  14070  BPSK63  2017-01-06 1312  DL1OWN  599  001  DL1ABC  599  001   DUPE !!!\r\n";
  const std::string day2_dupe =
      "QSO:  14070  BPSK63  2017-01-07 1312  DL1OWN  599  001  DL1AB  599  001   DUPE !!!\r\n";
  const std::string rejected_line =
      "QSO:  14070  RTTY  2017-01-06 1330  DL1OWN  599  001  DL1AB  599  001   WRONG MODE !!!\r\n";
  EXPECT_EQ(j, kRewritten + longer_dupe + day2_dupe + rejected_line);
  EXPECT_EQ(State().store.At(0).dupe, 0);
  EXPECT_EQ(State().store.At(0).not_counted, 0);
  EXPECT_EQ(State().store.At(3).dupe, 1);

  // The host deletes the rejected QSO: its line goes, nothing else.
  rejected.Remove();
  EXPECT_EQ(Journal(), kRewritten + longer_dupe + day2_dupe);
  EXPECT_EQ(State().store.Count(), 4u);
}

TEST_F(Intake, RemovalKeepsABadSectionUncounted) {
  Qso q;
  q.call = "ON4BB";
  q.country = "ON";
  q.exchange_received = "12";
  q.Add();
  Qso second = q;
  second.time = Date(2017, 1, 6, 14, 0);
  second.Add();
  q.Remove();
  ASSERT_EQ(State().store.Count(), 1u);
  EXPECT_EQ(State().store.At(0).dupe, 0);
  EXPECT_EQ(State().store.At(0).not_counted, 1);
  EXPECT_EQ(State().journal.BadLineCount(), 1);
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

TEST_F(Intake, NullTimesAreRemovedByNullTimes) {
  Qso q;
  q.time = testing::NullDate();
  q.Add();
  q.Add();
  EXPECT_NE(Journal().find("BPSK63    DL1OWN"), std::string::npos);  // empty time column
  q.Remove();
  EXPECT_EQ(State().store.Count(), 1u);
  EXPECT_EQ(Journal(), kRewritten);
}

TEST_F(Intake, AJournalWriteThatFailsIsMadeWholeAgain) {
  Qso q;
  q.Add();
  platform_.fail_write_at = platform_.writes + 1;
  q.Add();  // the append fails; the journal is rewritten whole at once
  EXPECT_EQ(Journal(), std::string(kHeader) + kLine + "   DUPE !!!\r\n");
  platform_.fail_write_at = platform_.writes + 1;
  platform_.sticky = true;
  q.Add();  // no write succeeds now: the line waits in memory
  platform_.fail_write_at = 0;
  q.Add();
  const std::string dupe = std::string(kLine) + "   DUPE !!!\r\n";
  EXPECT_EQ(Journal(), kHeader + dupe + dupe + dupe + dupe + dupe + dupe);
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
