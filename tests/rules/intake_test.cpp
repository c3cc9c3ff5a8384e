#include <string>
#include <vector>

#include "rules/intake.h"
#include "tests/rules/rules_fixture.h"

namespace stats {
namespace {

using testing::Date;
using Qso = testing::QsoData;
using Intake = testing::RulesTest;

constexpr const char* kHeader = "UBA PFX UBN file \r\n";
constexpr const char* kRewritten = "UBA PFX UBN file  \r\n";
// The journal line of the default test QSO, up to its reason piece.
constexpr const char* kLine = "QSO:  14070  BPSK63  2017-01-06 1312  DL1OWN  599  001  DL1AB  599  001";

TEST_F(Intake, StoresAGoodQsoWithoutAJournalLine) {
  Qso q;
  q.extra = "note";
  q.frequency_hz = 14070999;
  EXPECT_EQ(Add(q), 1);
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
  EXPECT_EQ(Add(q), 0);  // both wrong: only the mode is reported
  q = Qso();
  q.exchange_sent = "";
  EXPECT_EQ(Add(q), 0);
  q = Qso();
  q.band = "2m";
  EXPECT_EQ(Add(q), 0);
  q = Qso();
  q.mode = "bpsk63";
  q.band = "20M";
  EXPECT_EQ(Add(q), 1);  // both checks ignore letter case
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
  EXPECT_EQ(Add(q), 1);
  EXPECT_EQ(State().store.At(0).uba_section, "LGE");
  q.call = "ON4BB";
  q.exchange_received = "12";
  EXPECT_EQ(Add(q), 1);
  const CInfo& bad = State().store.At(1);
  EXPECT_EQ(bad.not_counted + bad.bad + bad.bad_section, 3);
  EXPECT_EQ(bad.dupe, 0);
  q.call = "ON4CC";
  q.exchange_received = "xx bxe ";  // last three characters, then trimmed
  Add(q);
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
  EXPECT_EQ(Add(q), 1);
  EXPECT_EQ(State().store.Count(), 4u);
}

TEST_F(Intake, EveryEarlierQsoOfTheCallOnTheBandIsReported) {
  Qso q;
  EXPECT_EQ(Add(q), 1);
  q.band = "40m";
  q.frequency_hz = 7040000;
  EXPECT_EQ(Add(q), 1);  // another band: no duplicate
  q = Qso();
  Add(q);
  Add(q);
  const std::string dupe = std::string(kLine) + "   DUPE !!!\r\n";
  EXPECT_EQ(Journal(), kHeader + dupe + dupe + dupe);
  EXPECT_EQ(State().store.At(1).dupe, 0);
  EXPECT_EQ(State().store.At(2).dupe, 1);
  EXPECT_EQ(State().store.At(3).not_counted, 1);
  q.call = "dl1ab";  // calls compare exactly
  Add(q);
  EXPECT_EQ(State().store.At(4).dupe, 0);
}

TEST_F(Intake, BeforeAnyRunTheJournalLinesAreLost) {
  ContestData fresh;
  QsoArgs q;
  q.call = "DL1AB";
  q.mode = "PSK31";
  EXPECT_EQ(AddQso(fresh, q), 0);
  q.mode = "BPSK63";
  q.exchange_received = q.exchange_sent = "001";
  q.band = "20m";
  EXPECT_EQ(AddQso(fresh, q), 1);
  EXPECT_TRUE(fresh.journal.Lines().empty());
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
  Add(a);
  Add(a);
  Add(longer);
  Add(longer);
  Add(other_day);  // a third DL1AB, another day
  Add(rejected);
  EXPECT_EQ(State().journal.Lines().size(), 5u);

  Remove(a);  // the first DL1AB
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
  Remove(rejected);
  EXPECT_EQ(Journal(), kRewritten + longer_dupe + day2_dupe);
  EXPECT_EQ(State().store.Count(), 4u);
}

TEST_F(Intake, RemovalKeepsABadSectionUncounted) {
  Qso q;
  q.call = "ON4BB";
  q.country = "ON";
  q.exchange_received = "12";
  Add(q);
  Qso second = q;
  second.time = Date(2017, 1, 6, 14, 0);
  Add(second);
  Remove(q);
  ASSERT_EQ(State().store.Count(), 1u);
  EXPECT_EQ(State().store.At(0).dupe, 0);
  EXPECT_EQ(State().store.At(0).not_counted, 1);
  EXPECT_EQ(State().journal.BadLineCount(), 1);
}

TEST_F(Intake, NullTimesAreRemovedByNullTimes) {
  Qso q;
  q.time = testing::NullDate();
  Add(q);
  Add(q);
  EXPECT_NE(Journal().find("BPSK63    DL1OWN"), std::string::npos);  // empty time column
  Remove(q);
  EXPECT_EQ(State().store.Count(), 1u);
  EXPECT_EQ(Journal(), kRewritten);
}

TEST_F(Intake, AJournalWriteThatFailsIsMadeWholeAgain) {
  Qso q;
  Add(q);
  platform_.fail_write_at = platform_.writes + 1;
  Add(q);  // the append fails; the journal is rewritten whole at once
  EXPECT_EQ(Journal(), std::string(kHeader) + kLine + "   DUPE !!!\r\n");
  platform_.fail_write_at = platform_.writes + 1;
  platform_.sticky = true;
  Add(q);  // no write succeeds now: the line waits in memory
  platform_.fail_write_at = 0;
  Add(q);
  const std::string dupe = std::string(kLine) + "   DUPE !!!\r\n";
  EXPECT_EQ(Journal(), kHeader + dupe + dupe + dupe + dupe + dupe + dupe);
}

}  // namespace
}  // namespace stats
