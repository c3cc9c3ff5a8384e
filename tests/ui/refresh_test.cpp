// The live lookup: the refresh message with a host that runs, in English and
// in Russian, and without a host.
#include <cmath>

#include "tests/ui/ui_fixture.h"
#include "ui/lookup.h"

namespace stats::testing {
namespace {

using headless::WindowState;
using ui::kPrefixWindow;
using ui::kPreviousQsoWindow;
using ui::kSectionWindow;

constexpr const char* kAllCompanions =
    "[Settings]\r\nsetup_on_section=1\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n";

InfoRow Row(int band) { return ui::ShownInfoRows()[static_cast<size_t>(band)]; }

TEST(Lookup, BandOfTheWholeMegahertz) {
  EXPECT_EQ(ui::BandIndexOfFrequency(1838000), 0);
  EXPECT_EQ(ui::BandIndexOfFrequency(3580000), 1);
  EXPECT_EQ(ui::BandIndexOfFrequency(7040000), 2);
  EXPECT_EQ(ui::BandIndexOfFrequency(14000000), 3);
  EXPECT_EQ(ui::BandIndexOfFrequency(14999999.9), 3);
  EXPECT_EQ(ui::BandIndexOfFrequency(13999999), -1);
  EXPECT_EQ(ui::BandIndexOfFrequency(21070000), 4);
  EXPECT_EQ(ui::BandIndexOfFrequency(28120000), 5);
  EXPECT_EQ(ui::BandIndexOfFrequency(10140000), -1);
  EXPECT_EQ(ui::BandIndexOfFrequency(0), -1);
  // Truncated toward zero: no negative frequency reaches a band.
  EXPECT_EQ(ui::BandIndexOfFrequency(-1000000), -1);
  EXPECT_EQ(ui::BandIndexOfFrequency(-1999999), -1);
  EXPECT_EQ(ui::BandIndexOfFrequency(1e300), -1);
  EXPECT_EQ(ui::BandIndexOfFrequency(std::nan("")), -1);
  EXPECT_EQ(ui::BandText(3), "20m");
  EXPECT_EQ(ui::BandText(-1), "-");
}

TEST(Lookup, SectionFlagsOfTheFirstEntries) {
  const std::vector<std::string> worked = {"LGE", "ARA", "XYZ", "lge", "AAA"};
  const auto flags = ui::SectionFlags(worked, 4);
  EXPECT_EQ(flags[0], 0);           // "AAA" is past the first four
  EXPECT_EQ(flags[35], 1);          // "LGE"
  EXPECT_EQ(flags[85], 1);          // "ARA", the last box
  int ticked = 0;
  for (int f : flags) ticked += f;
  EXPECT_EQ(ticked, 2);             // "XYZ" and "lge" tick nothing
  EXPECT_EQ(ui::SectionFlags(worked, 99)[0], 1);
}

using RefreshTest = UiTest;

TEST_F(RefreshTest, RowsShowTheLastQsoPerBand) {
  WriteSettings(kAllCompanions);
  StartRun();
  StoreQso("DL1AB", "20m", "BPSK63", 13, 12, "001");
  StoreQso("DL1AB", "40m", "BPSK63", 14, 1, "007");
  StoreQso("DL1AB", "20m", "BPSK31", 15, 30, "042");  // later, on 20m again
  StoreQso("DL1ABC", "80m", "BPSK63", 9, 0, "003");
  host_.SetEntryLine("DL1AB");
  Refresh();
  EXPECT_EQ(Row(0), (InfoRow{"160m", "   -", "   -", "   -", "-"}));
  EXPECT_EQ(Row(1), (InfoRow{"80m", "   -", "   -", "   -", "-"}));
  EXPECT_EQ(Row(2), (InfoRow{"40m", "BPSK63", "14:01", "007", "-"}));
  EXPECT_EQ(Row(3), (InfoRow{"20m", "BPSK31", "15:30", "042", "-"}));
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).title,
            "UBA-PSK63-PFX 2017 worked with DL1AB");
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).Control(IDC_INFO_TABLE)->invalidations, 2);

  // The same call in lower case is another call.
  host_.SetEntryLine("dl1ab");
  Refresh();
  EXPECT_EQ(Row(3), (InfoRow{"20m", "   -", "   -", "   -", "-"}));

  // An empty entry line.
  host_.SetEntryLine("");
  Refresh();
  for (int b = 0; b < kBandCount; ++b) EXPECT_EQ(Row(b)[1], "   -");
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).title, "UBA-PSK63-PFX 2017 Previous QSO ");
}

TEST_F(RefreshTest, TitlesAndListsOfTheCurrentBand) {
  WriteSettings(kAllCompanions);
  StartRun();  // at 14 070 000 Hz
  {
    auto contest = contest_.Lock();
    contest->worked_prefixes[3] = {"OT4", "DL1", "ON4"};
    contest->worked_sections[3] = {"LGE", "ARA", "XYZ"};
    contest->worked_prefixes[2] = {"F5"};
  }
  Refresh();
  const WindowState prefix = State(Companion(kPrefixWindow));
  EXPECT_EQ(prefix.title, "UBA-PSK63-PFX 2017 Prefix worked on 20m");
  EXPECT_EQ(prefix.Control(IDC_PREFIX_LIST)->items,
            (std::vector<std::string>{" DL1", " ON4", " OT4"}));
  EXPECT_EQ(prefix.Control(IDC_PREFIX_LIST)->invalidations, 2);
  // The columns fit the longest entry, a blank and three characters.
  EXPECT_EQ(prefix.Control(IDC_PREFIX_LIST)->column_width,
            5 * headless::HeadlessGui::kCharWidth);
  const WindowState section = State(Companion(kSectionWindow));
  EXPECT_EQ(section.title, "UBA-PSK63-PFX 2017 UBA Section worked 3 from 85 on 20m ");
  int ticked = 0;
  for (int id = IDC_SECTION_FIRST; id <= IDC_SECTION_LAST; ++id) {
    ticked += section.Control(id)->checked ? 1 : 0;
  }
  EXPECT_EQ(ticked, 2);  // "XYZ" is in no box
  EXPECT_TRUE(section.Control(IDC_SECTION_ARA)->checked);
  EXPECT_EQ(section.Control(IDC_SECTION_ARA)->text, "ARA");
  EXPECT_TRUE(section.Control(IDC_SECTION_FIRST + 35)->checked);
  EXPECT_EQ(section.Control(IDC_SECTION_FIRST + 35)->text, "LGE");

  // A box the operator ticks is cleared again by the next refresh.
  ASSERT_TRUE(gui().Click(Companion(kSectionWindow), IDC_SECTION_FIRST));
  EXPECT_TRUE(State(Companion(kSectionWindow)).Control(IDC_SECTION_FIRST)->checked);
  Refresh();
  EXPECT_FALSE(State(Companion(kSectionWindow)).Control(IDC_SECTION_FIRST)->checked);
  EXPECT_TRUE(State(Companion(kSectionWindow)).Control(IDC_SECTION_ARA)->checked);

  // Tuned to 40m: the list is rebuilt.
  host_.SetFrequency(7040000);
  Refresh();
  EXPECT_EQ(State(Companion(kPrefixWindow)).Control(IDC_PREFIX_LIST)->items,
            std::vector<std::string>{" F5"});
  EXPECT_EQ(State(Companion(kSectionWindow)).title,
            "UBA-PSK63-PFX 2017 UBA Section worked 0 from 85 on 40m ");

  // Tuned off the six bands: the section window counts none, the prefix
  // list keeps its entries.
  host_.SetFrequency(13999999);
  Refresh();
  const WindowState off_prefix = State(Companion(kPrefixWindow));
  EXPECT_EQ(off_prefix.title, "UBA-PSK63-PFX 2017 Prefix worked on -");
  EXPECT_EQ(off_prefix.Control(IDC_PREFIX_LIST)->items, std::vector<std::string>{" F5"});
  const WindowState off_section = State(Companion(kSectionWindow));
  EXPECT_EQ(off_section.title, "UBA-PSK63-PFX 2017 UBA Section worked 0 from 85 on - ");
  for (int id = IDC_SECTION_FIRST; id <= IDC_SECTION_LAST; ++id) {
    EXPECT_FALSE(off_section.Control(id)->checked) << id;
  }
}

TEST_F(RefreshTest, RussianTitles) {
  WriteSettings(kAllCompanions);
  NewRun run;
  run.own_country = "UA9";
  StartRun(run);
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).title, "UBA-PSK63-PFX 2017 Предыдущие qso ");
  EXPECT_EQ(State(Companion(kPrefixWindow)).title,
            "UBA-PSK63-PFX 2017 Сработаны префиксы на 20m");
  EXPECT_EQ(State(Companion(kSectionWindow)).title,
            "UBA-PSK63-PFX 2017 Сработано UBA секций 0 из 85 на 20m ");
  host_.SetEntryLine("UA9XX");
  Refresh();
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).title, "UBA-PSK63-PFX 2017 проведено с UA9XX");
}

TEST_F(RefreshTest, SpeedCommandOnlyWhenTheFrequencyMovesMoreThan300Hz) {
  host_.SetFrequency(14070000);
  StartRun();
  // The first refresh after loading: the frequency is far from 0.
  EXPECT_EQ(host_.Commands().back(), "<SP1>");
  host_.ClearCommands();
  host_.SetFrequency(14070300);
  Refresh();
  host_.SetFrequency(14070000);
  Refresh();
  EXPECT_TRUE(host_.Commands().empty());
  host_.SetFrequency(14070300.5);
  Refresh();
  EXPECT_EQ(host_.Commands(), std::vector<std::string>{"<SP1>"});
  // Measured from where it was last sent.
  host_.SetFrequency(14070001);
  Refresh();
  EXPECT_EQ(host_.Commands().size(), 1u);
  host_.SetFrequency(14069999);
  Refresh();
  EXPECT_EQ(host_.Commands().size(), 2u);
}

TEST_F(RefreshTest, AFirstFrequencyOf300HzOrLessSendsNothing) {
  host_.SetFrequency(300);
  StartRun();
  EXPECT_EQ(host_.Commands(), (std::vector<std::string>{"<MODE:BPSK31>", "<BAUDRATE:63>"}));
}

TEST_F(RefreshTest, WithoutAHostWindowsOpenAndNothingElseChanges) {
  host_.SetRunning(false);
  WriteSettings(kAllCompanions);
  host_.SetEntryLine("DL1AB");
  StartRun();
  StoreQso("DL1AB", "20m", "BPSK63", 13, 12, "001");
  Refresh();
  EXPECT_TRUE(host_.Commands().empty());
  EXPECT_EQ(host_.EntryFieldReads(), 0);
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).title, "VA-ZIZ-AVO");
  EXPECT_EQ(State(Companion(kPrefixWindow)).title, "SA Prefix");
  EXPECT_EQ(State(Companion(kSectionWindow)).title, "VA-ZIZ-AVO UBA Section");
  EXPECT_EQ(Row(3), (InfoRow{"20m", "-", "-", "-", "-"}));
  EXPECT_EQ(ui::Ui().refresh_done.load(), 1);
}

TEST_F(RefreshTest, AConnectionDoesNotOutliveItsSetupWindow) {
  StartRun();
  EXPECT_EQ(host_.Connects(), 1);
  ui::CloseAll(false);
  ASSERT_TRUE(ui::JoinWindowThread(5000));
  // Closed as the unload closes it, the window thread holds no module
  // reference and no object of the host's (the refresh let go of it): it
  // leaves COM without waiting for the host's thread.
  EXPECT_EQ(host_.Disconnects(), 1);
  EXPECT_EQ(host_.Abandons(), 0);
  // The next run finds no host: nothing is sent through the old connection.
  host_.SetRunning(false);
  host_.ClearCommands();
  SetKey("Start", "0");
  StartRun();
  EXPECT_TRUE(host_.Commands().empty());
}

}  // namespace
}  // namespace stats::testing
