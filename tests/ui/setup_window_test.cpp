// The setup window: where and how it opens, its options, its section combo
// box, position saving and its keys.
#include "tests/ui/ui_fixture.h"

namespace stats::testing {
namespace {

using headless::WindowState;
using ui::kPrefixWindow;
using ui::kPreviousQsoWindow;
using ui::kSectionWindow;

using SetupWindowTest = UiTest;

TEST_F(SetupWindowTest, FirstOpeningWithAFreshSettingsFile) {
  const WindowRef setup = StartRun();
  const WindowState s = State(setup);
  EXPECT_EQ(s.window_rect.left, 10);
  EXPECT_EQ(s.window_rect.top, 400);
  EXPECT_TRUE(s.topmost);
  EXPECT_TRUE(s.visible);
  EXPECT_TRUE(s.close_disabled);
  EXPECT_EQ(s.large_icon, IDI_STATS);
  EXPECT_TRUE(s.has_colors);
  EXPECT_EQ(s.background_color, Rgb(255, 250, 198));
  EXPECT_EQ(s.text_color, Rgb(0, 0, 0));
  EXPECT_EQ(s.title, "Setup UBA-PSK63-PFX 2017");
  for (int id : {IDC_OPT_SECTION, IDC_OPT_PREFIX, IDC_OPT_PREVIOUS, IDC_OPT_ON_TOP}) {
    EXPECT_FALSE(s.Control(id)->checked) << id;
  }
  // The template's English labels stay.
  EXPECT_EQ(s.Control(IDC_VIEW_LABEL)->text, "View");
  EXPECT_EQ(s.Control(IDC_OPT_PREVIOUS)->text, "View previous QSO");
  // Not a Belgian station: no section to pick.
  EXPECT_FALSE(s.Control(IDC_ON_SECTION)->enabled);
  EXPECT_FALSE(s.Control(IDC_ON_SECTION_LABEL)->enabled);
  EXPECT_EQ(s.Control(IDC_ON_SECTION)->text, "");
  EXPECT_EQ(gui().AllWindows().size(), 1u);
  // The host's mode, then the first refresh's command.
  EXPECT_EQ(host_.Commands(),
            (std::vector<std::string>{"<MODE:BPSK31>", "<BAUDRATE:63>", "<SP1>"}));
  // The opening writes nothing of its own.
  EXPECT_EQ(Settings(), "[Settings]\r\nStart=1\r\n");
}

TEST_F(SetupWindowTest, RussianLanguageTexts) {
  NewRun run;
  run.own_country = "UA";
  const WindowState s = State(StartRun(run));
  EXPECT_EQ(s.title, "Установки UBA-PSK63-PFX 2017");
  EXPECT_EQ(s.Control(IDC_VIEW_LABEL)->text, "Показывать");
  EXPECT_EQ(s.Control(IDC_OPT_SECTION)->text, "ON секции");
  EXPECT_EQ(s.Control(IDC_OPT_PREFIX)->text, "Префиксы");
  EXPECT_EQ(s.Control(IDC_OPT_PREVIOUS)->text, "Предыдущие QSO");
  EXPECT_EQ(s.Control(IDC_OPT_ON_TOP)->text, "Window on top");
}

TEST_F(SetupWindowTest, ASavedSectionSurvivesARunUnderAnotherCountry) {
  WriteSettings("[Settings]\r\nON_Section=LGE\r\n");
  const WindowState s = State(StartRun());
  EXPECT_FALSE(s.Control(IDC_ON_SECTION)->enabled);
  EXPECT_EQ(s.Control(IDC_ON_SECTION)->text, "");
  {
    EXPECT_EQ(contest_.Lock()->on_section, "");
  }
  EXPECT_EQ(Settings(), "[Settings]\r\nON_Section=LGE\r\nStart=1\r\n");
}

TEST_F(SetupWindowTest, ABelgianStationPicksItsSection) {
  WriteSettings("[Settings]\r\nON_Section=LGE\r\n");
  NewRun run;
  run.own_country = "ON";
  const WindowRef setup = StartRun(run);
  WindowState s = State(setup);
  EXPECT_TRUE(s.Control(IDC_ON_SECTION)->enabled);
  EXPECT_EQ(s.Control(IDC_ON_SECTION)->text, "LGE");
  ASSERT_EQ(s.Control(IDC_ON_SECTION)->items.size(), 85u);

  // Typing alone changes nothing; a confirmed choice is taken and stored.
  ASSERT_TRUE(gui().TypeComboText(setup, IDC_ON_SECTION, "ZZZ"));
  {
    EXPECT_EQ(contest_.Lock()->on_section, "LGE");
  }
  EXPECT_EQ(Settings(), "[Settings]\r\nON_Section=LGE\r\nStart=1\r\n");
  ASSERT_TRUE(gui().SelectComboItem(setup, IDC_ON_SECTION, "MWV"));
  {
    EXPECT_EQ(contest_.Lock()->on_section, "MWV");
  }
  EXPECT_EQ(State(setup).Control(IDC_ON_SECTION)->text, "MWV");
  EXPECT_EQ(Settings(), "[Settings]\r\nON_Section=MWV\r\nStart=1\r\n");
  // "ARA" has a box in the grid but is no choice here.
  EXPECT_FALSE(gui().SelectComboItem(setup, IDC_ON_SECTION, "ARA"));
}

TEST_F(SetupWindowTest, SavedPositionsAndTheirZeroes) {
  WriteSettings("[Settings]\r\nsetup_uba_pref_x=0\r\nsetup_uba_pref_y=250\r\n");
  WindowRef setup = StartRun();
  EXPECT_EQ(State(setup).window_rect.left, 10);
  EXPECT_EQ(State(setup).window_rect.top, 250);
  // Moved by the operator: the pointer over it saves the new place.
  ASSERT_TRUE(gui().DragTo(setup, 300, 250));
  ASSERT_TRUE(gui().PointerOver(setup));
  EXPECT_EQ(Settings(),
            "[Settings]\r\nsetup_uba_pref_x=300\r\nsetup_uba_pref_y=250\r\nStart=1\r\n");
  ASSERT_TRUE(gui().DragTo(setup, 300, 0));
  ASSERT_TRUE(gui().PointerOver(setup));
  EXPECT_EQ(Settings(), "[Settings]\r\nsetup_uba_pref_x=300\r\nsetup_uba_pref_y=0\r\nStart=1\r\n");

  // A stored y of 0 opens at 400.
  ui::CloseAll(false);
  ASSERT_TRUE(ui::JoinWindowThread(5000));
  SetKey("Start", "0");
  setup = StartRun();
  EXPECT_EQ(State(setup).window_rect.left, 300);
  EXPECT_EQ(State(setup).window_rect.top, 400);
}

TEST_F(SetupWindowTest, EachWindowKeepsItsOwnPosition) {
  WindowRef setup = StartRun();
  ASSERT_TRUE(gui().Click(setup, IDC_OPT_PREFIX));
  Settle();
  const std::string before = Settings();
  // Hovering over windows that have not moved writes nothing.
  ASSERT_TRUE(gui().PointerOver(setup));
  ASSERT_TRUE(gui().PointerOver(Companion(kPrefixWindow)));
  EXPECT_EQ(Settings(), before);

  // Two windows on the same line: each writes its own pair whole, whatever
  // the other one saved.
  ASSERT_TRUE(gui().DragTo(setup, 300, 540));
  ASSERT_TRUE(gui().PointerOver(setup));
  ASSERT_TRUE(gui().DragTo(Companion(kPrefixWindow), 900, 540));
  ASSERT_TRUE(gui().PointerOver(Companion(kPrefixWindow)));
  EXPECT_EQ(Settings(), before +
                            "setup_uba_pref_x=300\r\nsetup_uba_pref_y=540\r\n"
                            "member_x=900\r\nmember_y=540\r\n");

  // And both come back there.
  ui::CloseAll(false);
  ASSERT_TRUE(ui::JoinWindowThread(5000));
  SetKey("Start", "0");
  setup = StartRun();
  EXPECT_EQ(State(setup).window_rect.left, 300);
  EXPECT_EQ(State(setup).window_rect.top, 540);
  EXPECT_EQ(State(Companion(kPrefixWindow)).window_rect.left, 900);
  EXPECT_EQ(State(Companion(kPrefixWindow)).window_rect.top, 540);
}

TEST_F(SetupWindowTest, OptionBoxesOpenAndCloseTheirWindows) {
  const WindowRef setup = StartRun();
  struct Case {
    int box;
    ui::Companion kind;
    int template_id;
    const char* key;
  };
  const Case cases[] = {{IDC_OPT_SECTION, kSectionWindow, IDD_SECTION, "setup_on_section"},
                        {IDC_OPT_PREFIX, kPrefixWindow, IDD_PREFIX, "setup_wpx_pref"},
                        {IDC_OPT_PREVIOUS, kPreviousQsoWindow, IDD_PREVIOUS_QSO,
                         "setup_prev_qso"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    ASSERT_TRUE(gui().Click(setup, c.box));
    Settle();
    const WindowRef w = Companion(c.kind);
    ASSERT_NE(w, kNoWindow);
    EXPECT_EQ(gui().WindowsOf(c.template_id), std::vector<WindowRef>{w});
    EXPECT_TRUE(State(w).visible);
    EXPECT_TRUE(State(setup).Control(c.box)->checked);
    EXPECT_NE(Settings().find(std::string(c.key) + "=1\r\n"), std::string::npos);

    ASSERT_TRUE(gui().Click(setup, c.box));
    Settle();
    EXPECT_EQ(Companion(c.kind), kNoWindow);
    EXPECT_TRUE(gui().WindowsOf(c.template_id).empty());
    EXPECT_FALSE(State(setup).Control(c.box)->checked);
    EXPECT_NE(Settings().find(std::string(c.key) + "=0\r\n"), std::string::npos);
  }
}

TEST_F(SetupWindowTest, TheWindowThatExistsDecidesNotTheMark) {
  const WindowRef setup = StartRun();
  ASSERT_TRUE(gui().Click(setup, IDC_OPT_SECTION));
  Settle();
  // The host's thread closes the section window behind the setup window's
  // back; the next click opens it again.
  ASSERT_TRUE(gui().SendClose(Companion(kSectionWindow), 5000));
  EXPECT_EQ(Companion(kSectionWindow), kNoWindow);
  ASSERT_TRUE(gui().Click(setup, IDC_OPT_SECTION));
  Settle();
  EXPECT_NE(Companion(kSectionWindow), kNoWindow);
}

TEST_F(SetupWindowTest, StoredOptionsOpenTheirWindowsAtTheStart) {
  WriteSettings(
      "[Settings]\r\nsetup_on_section=1\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n"
      "setup_window_on_top=1\r\n");
  const WindowRef setup = StartRun();
  const WindowState s = State(setup);
  for (int id : {IDC_OPT_SECTION, IDC_OPT_PREFIX, IDC_OPT_PREVIOUS, IDC_OPT_ON_TOP}) {
    EXPECT_TRUE(s.Control(id)->checked) << id;
  }
  for (auto kind : {kSectionWindow, kPrefixWindow, kPreviousQsoWindow}) {
    ASSERT_NE(Companion(kind), kNoWindow);
    const WindowState c = State(Companion(kind));
    EXPECT_TRUE(c.topmost);
    EXPECT_TRUE(c.visible);
    EXPECT_TRUE(c.close_disabled);
    EXPECT_EQ(c.large_icon, IDI_STATS);
  }
  EXPECT_EQ(gui().AllWindows().size(), 4u);
}

TEST_F(SetupWindowTest, WindowOnTopReopensTheCompanionWindows) {
  WriteSettings("[Settings]\r\nsetup_on_section=1\r\nsetup_prev_qso=1\r\n");
  const WindowRef setup = StartRun();
  const WindowRef section = Companion(kSectionWindow);
  const WindowRef previous = Companion(kPreviousQsoWindow);
  ASSERT_NE(section, kNoWindow);
  ASSERT_NE(previous, kNoWindow);
  EXPECT_FALSE(State(section).topmost);
  EXPECT_EQ(Companion(kPrefixWindow), kNoWindow);

  ASSERT_TRUE(gui().Click(setup, IDC_OPT_ON_TOP));
  Settle();
  EXPECT_FALSE(gui().Snapshot(section).has_value());
  EXPECT_FALSE(gui().Snapshot(previous).has_value());
  ASSERT_NE(Companion(kSectionWindow), kNoWindow);
  ASSERT_NE(Companion(kPreviousQsoWindow), kNoWindow);
  EXPECT_EQ(Companion(kPrefixWindow), kNoWindow);
  EXPECT_TRUE(State(Companion(kSectionWindow)).topmost);
  EXPECT_TRUE(State(Companion(kPreviousQsoWindow)).topmost);
  EXPECT_TRUE(State(setup).Control(IDC_OPT_ON_TOP)->checked);
  EXPECT_TRUE(State(setup).Control(IDC_OPT_SECTION)->checked);
  EXPECT_NE(Settings().find("setup_window_on_top=1\r\n"), std::string::npos);

  ASSERT_TRUE(gui().Click(setup, IDC_OPT_ON_TOP));
  Settle();
  EXPECT_FALSE(State(Companion(kSectionWindow)).topmost);
  EXPECT_NE(Settings().find("setup_window_on_top=0\r\n"), std::string::npos);
  // The setup window itself stays on top whatever the option says.
  EXPECT_TRUE(State(setup).topmost);
}

TEST_F(SetupWindowTest, EscClosesEverythingAndEnterNothing) {
  WriteSettings("[Settings]\r\nsetup_on_section=1\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n");
  const WindowRef setup = StartRun();
  ASSERT_EQ(gui().AllWindows().size(), 4u);
  ASSERT_TRUE(gui().PressKey(setup, kIdOk));
  ASSERT_TRUE(gui().PressKey(Companion(kPrefixWindow), kIdOk));
  ASSERT_TRUE(gui().PressKey(Companion(kPrefixWindow), kIdCancel));
  Settle();
  EXPECT_EQ(gui().AllWindows().size(), 4u);

  ASSERT_TRUE(gui().PressKey(setup, kIdCancel));
  EXPECT_TRUE(gui().WaitUntilGone(setup, 5000));
  EXPECT_TRUE(ui::JoinWindowThread(5000));
  EXPECT_TRUE(gui().AllWindows().empty());
  EXPECT_EQ(Setup(), kNoWindow);
  for (auto kind : {kSectionWindow, kPrefixWindow, kPreviousQsoWindow}) {
    EXPECT_EQ(Companion(kind), kNoWindow);
  }
  // The connection to the host ends with the window's thread, without
  // waiting for the host's thread.
  EXPECT_EQ(host_.Disconnects(), 1);
  EXPECT_EQ(host_.Abandons(), 0);
}

}  // namespace
}  // namespace stats::testing
