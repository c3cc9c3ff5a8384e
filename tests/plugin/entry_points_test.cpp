#include <filesystem>
#include <mutex>

#include "plugin/contest.h"
#include "ui/operator_windows.h"
#include "plugin/lifecycle.h"
#include "tests/support/test_support.h"

namespace stats {
namespace {

using testing::PluginTest;
using testing::ReadText;
using testing::Reset;
using testing::WriteText;

// These tests run no window thread, so the state is read without the lock.
const ContestState& Snapshot() { return Contest(); }

TEST(EntryPoints, FixedAnswers) {
  EXPECT_STREQ(GetSetName(0), "VA-ZIZ-AVO");
  EXPECT_STREQ(GetSetName(1), "");
  EXPECT_STREQ(GetSetName(-1), "");
  EXPECT_EQ(GetNumberOfSets(), 1);
  EXPECT_EQ(StatsGetExchgCount0(nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(GetExchgCount0("a", "b", "c"), 1);
  EXPECT_EQ(StatsIsValidExchg0(nullptr, nullptr, nullptr, nullptr, 0, 0, 0), 0);
  EXPECT_EQ(IsValidExchg0("LGE", "", "ON", "", 0, 0, 0), 1);
}

using EntryPointsTest = PluginTest;

TEST_F(EntryPointsTest, SetupSetShowsItsNotice) {
  SetupSet0();
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "(default)");
  EXPECT_EQ(platform_.messages[0].text, "No additional setup for this plugin");
  EXPECT_EQ(platform_.messages[0].style, 0u);
}

TEST_F(EntryPointsTest, SetVersionTurnsOnHtmlForGood) {
  EXPECT_EQ(setVersion(nullptr), 0ul);
  EXPECT_TRUE(Snapshot().html_result);
  EXPECT_EQ(Reset().Call(), 1);
  EXPECT_TRUE(Snapshot().html_result);
}

TEST_F(EntryPointsTest, NullTextsCountAsEmpty) {
  const OleDateTime d = testing::Date(2017, 1, 6);
  EXPECT_EQ(ResetStats0(nullptr, 0, nullptr, nullptr, &d, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 0, 0, 0,
                        nullptr, nullptr, nullptr),
            1);
  const ContestState& s = Snapshot();
  EXPECT_EQ(s.own_call, "");
  EXPECT_EQ(s.start_date_text, "");  // a missing date is a null date
  EXPECT_EQ(s.end_date_text, "06.01.2017");
  GetResult0(nullptr);  // not written, and no crash
}

TEST_F(EntryPointsTest, StartsARunWithDatesJournalAndRows) {
  Reset run;
  run.own_call = "DL1OWN";
  run.start = testing::Date(2017, 1, 6);
  run.end = testing::Date(2017, 1, 7);
  ASSERT_EQ(run.Call(), 1);
  const ContestState& s = Snapshot();
  EXPECT_EQ(s.own_call, "DL1OWN");
  EXPECT_EQ(s.own_country, "DL");
  EXPECT_EQ(s.start_date_text, "06.01");
  EXPECT_EQ(s.end_date_text, "07.01.2017");
  EXPECT_EQ(s.contest_year, "2017");
  EXPECT_EQ(s.journal_file_name, "BadQSO_RazadUREVARERE63_07_01_2017.txt");
  EXPECT_EQ(ReadText(dir() / s.journal_file_name), "UBA PFX UBN file \r\n");
  EXPECT_EQ(ui::ShownInfoRows()[0], (InfoRow{"160m", "-", "-", "-", "-"}));
  EXPECT_EQ(ui::ShownInfoRows()[5], (InfoRow{"10m", "-", "-", "-", "-"}));
  EXPECT_FALSE(s.russian);
  EXPECT_FALSE(s.on_station);
}

TEST_F(EntryPointsTest, InvalidAndNullContestDates) {
  Reset run;
  run.start = testing::NullDate();
  run.end = testing::InvalidDate();
  run.Call();
  const ContestState& s = Snapshot();
  EXPECT_EQ(s.start_date_text, "");
  EXPECT_EQ(s.contest_year, "");
  EXPECT_EQ(s.end_date_text, "Invalid DateTime");
  // An end that is no date names no file: the journal is kept in memory
  // and the operator told once.
  EXPECT_EQ(s.journal_file_name, "");
  EXPECT_TRUE(s.journal.IsOpen());
  for (const auto& entry : std::filesystem::directory_iterator(dir())) {
    EXPECT_EQ(entry.path().filename().string().find("Invalid"), std::string::npos);
  }
}

TEST_F(EntryPointsTest, HostVersionFromTheHostSettingsFile) {
  Reset run;
  run.host_folder = (dir() / "host").string() + "/";
  std::filesystem::create_directories(dir() / "host");
  run.Call();
  EXPECT_EQ(Snapshot().host_version, "Zelk");  // no Zelk2.ini at all

  WriteText(dir() / "host" / "Zelk2.ini", "[Main]\r\nPath=x\r\nZelk=2.20\r\nZelk=9\r\n");
  run.Call();
  EXPECT_EQ(Snapshot().host_version, "2.20");

  // A file without the line keeps the version found before.
  WriteText(dir() / "host" / "Zelk2.ini", "[Main]\r\n");
  run.Call();
  EXPECT_EQ(Snapshot().host_version, "2.20");

  // The name match is case-sensitive.
  std::filesystem::remove(dir() / "host" / "Zelk2.ini");
  WriteText(dir() / "host" / "zelk2.ini", "Zelk=3\r\n");
  run.Call();
  EXPECT_EQ(Snapshot().host_version, "Zelk");
}

TEST(HostVersion, TakesTheLineFromItsSixthCharacter) {
  EXPECT_EQ(HostVersionFromIni("a\nZelk=2.20\r\n"), "2.20");
  EXPECT_EQ(HostVersionFromIni("Zelk="), "");
  EXPECT_EQ(HostVersionFromIni("xZelk=1"), "=1");
  EXPECT_EQ(HostVersionFromIni("none"), std::nullopt);
}

TEST_F(EntryPointsTest, LanguageAndStationModes) {
  WriteSettings("[Settings]\r\nON_Section=LGE\r\n");
  Reset run;
  run.own_country = "on";
  run.Call();
  EXPECT_FALSE(Snapshot().on_station);
  EXPECT_EQ(Snapshot().on_section, "");
  run.own_country = "ua9";
  run.Call();
  EXPECT_FALSE(Snapshot().russian);
  run.own_country = "UA9";
  run.Call();
  EXPECT_TRUE(Snapshot().russian);
  run.own_country = "ON";
  run.Call();
  EXPECT_TRUE(Snapshot().on_station);
  EXPECT_EQ(Snapshot().on_section, "LGE");
  // Both modes stay on for the life of the module.
  run.own_country = "DL";
  run.Call();
  EXPECT_TRUE(Snapshot().russian);
  EXPECT_TRUE(Snapshot().on_station);
  for (const char* country : {"UA", "UA2", "CE9/KC4", "UR", "UN", "EU"}) {
    {
      std::lock_guard lock(ContestLock());
      Contest().russian = false;
    }
    run.own_country = country;
    run.Call();
    EXPECT_TRUE(Snapshot().russian) << country;
  }
}

TEST_F(EntryPointsTest, StartKeyToggles) {
  WriteSettings("[Settings]\r\nStart=1\r\n");
  Reset().Call();
  EXPECT_EQ(Settings(), "[Settings]\r\nStart=0\r\n");
  EXPECT_EQ(Snapshot().start_value, 1);
  Reset().Call();
  EXPECT_EQ(Settings(), "[Settings]\r\nStart=1\r\n");
  EXPECT_EQ(Snapshot().start_value, 0);
}

TEST_F(EntryPointsTest, ACabrilloRunLeavesStartAtZero) {
  Reset run;
  run.cabrillo = 1;
  run.Call();
  // The header form stores 1, which the same run turns back to 0.
  EXPECT_EQ(Snapshot().start_value, 1);
  EXPECT_NE(Settings().find("Start=0"), std::string::npos);
}

TEST_F(EntryPointsTest, ANewRunEmptiesTheStoreButKeepsTheWorkedLists) {
  Reset().Call();
  testing::Qso().Add();
  testing::Result();
  Reset().Call();
  const ContestState& s = Snapshot();
  EXPECT_EQ(s.store.Count(), 0u);
  EXPECT_TRUE(s.bands_seen.empty());
  EXPECT_EQ(s.worked_prefixes[3], (std::vector<std::string>{"DL1"}));
}

}  // namespace
}  // namespace stats

namespace stats {
namespace {

using ModuleUnload = testing::PluginTest;

TEST_F(ModuleUnload, LetsGoOfTheLogButNotAtProcessExit) {
  testing::Reset().Call();
  testing::Qso().Add();
  OnModuleUnload(true);  // the process ends: nothing is touched
  EXPECT_EQ(Contest().store.Count(), 1u);
  OnModuleUnload(false);
  EXPECT_EQ(Contest().store.Count(), 0u);
  EXPECT_TRUE(Contest().journal_file_name.empty());
}

}  // namespace
}  // namespace stats
