// The companion windows: where they open, how they stretch, and what the
// info table draws.
#include "tests/ui/ui_fixture.h"
#include "ui/companions.h"

namespace stats::testing {
namespace {

using headless::DrawOp;
using headless::WindowState;
using ui::kPrefixWindow;
using ui::kPreviousQsoWindow;
using ui::kSectionWindow;

DrawOp Fill(Rect rect, Color color) {
  DrawOp op;
  op.kind = DrawOp::Kind::kFill;
  op.rect = rect;
  op.color = color;
  return op;
}

DrawOp Text(int x, int y, const std::string& text) {
  DrawOp op;
  op.kind = DrawOp::Kind::kText;
  op.x = x;
  op.y = y;
  op.text = text;
  return op;
}

DrawOp Transparent() {
  DrawOp op;
  op.kind = DrawOp::Kind::kTransparent;
  return op;
}

using CompanionWindowTest = UiTest;

TEST_F(CompanionWindowTest, DefaultPlacesWithAFreshSettingsFile) {
  const WindowRef setup = StartRun();
  for (int box : {IDC_OPT_SECTION, IDC_OPT_PREFIX, IDC_OPT_PREVIOUS}) {
    ASSERT_TRUE(gui().Click(setup, box));
  }
  Settle();
  const WindowState section = State(Companion(kSectionWindow));
  EXPECT_EQ(section.window_rect.left, 390);
  EXPECT_EQ(section.window_rect.top, 10);
  const WindowState prefix = State(Companion(kPrefixWindow));
  EXPECT_EQ(prefix.window_rect.left, 10);
  EXPECT_EQ(prefix.window_rect.top, 10);
  const WindowState previous = State(Companion(kPreviousQsoWindow));
  EXPECT_EQ(previous.window_rect.left, 270);
  EXPECT_EQ(previous.window_rect.top, 400);
  // No window covers another.
  const Rect rects[] = {State(setup).window_rect, section.window_rect, prefix.window_rect,
                        previous.window_rect};
  for (size_t a = 0; a < 4; ++a) {
    for (size_t b = a + 1; b < 4; ++b) {
      const bool apart = rects[a].right <= rects[b].left || rects[b].right <= rects[a].left ||
                         rects[a].bottom <= rects[b].top || rects[b].bottom <= rects[a].top;
      EXPECT_TRUE(apart) << "windows " << a << " and " << b << " overlap";
    }
  }
  for (const WindowState* w : {&section, &prefix, &previous}) {
    EXPECT_FALSE(w->topmost);
    EXPECT_TRUE(w->close_disabled);
    EXPECT_EQ(w->large_icon, IDI_STATS);
  }
  // The section and prefix windows take the window colour; the previous-QSO
  // window is covered by its table.
  EXPECT_TRUE(section.has_colors);
  EXPECT_EQ(section.background_color, Rgb(255, 250, 198));
  EXPECT_TRUE(prefix.has_colors);
  EXPECT_FALSE(previous.has_colors);
}

TEST_F(CompanionWindowTest, APlaceOffTheScreenIsBroughtBackOntoIt) {
  WriteSettings(
      "[Settings]\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n"
      "member_x=-3000\r\nmember_y=-40\r\ndxcc_x=5000\r\ndxcc_y=2000\r\n");
  gui().SetScreen({0, 0, 1024, 738}, 96);  // a task bar of 30 pixels below
  StartRun();
  const Rect prefix = State(Companion(kPrefixWindow)).window_rect;
  EXPECT_EQ(prefix.left, 0);
  EXPECT_EQ(prefix.top, 0);
  const Rect previous = State(Companion(kPreviousQsoWindow)).window_rect;
  EXPECT_EQ(previous.right, 1024);
  EXPECT_EQ(previous.bottom, 738);
  // Nothing is written until the operator moves a window.
  EXPECT_EQ(Settings().find("member_x=0"), std::string::npos);
}

TEST_F(CompanionWindowTest, SavedPlacesAndTheirKeys) {
  WriteSettings(
      "[Settings]\r\nsetup_on_section=1\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n"
      "uba_section_x=500\r\nuba_section_y=0\r\nmember_x=0\r\nmember_y=600\r\n"
      "dxcc_x=700\r\ndxcc_y=80\r\n");
  StartRun();
  EXPECT_EQ(State(Companion(kSectionWindow)).window_rect.left, 500);
  EXPECT_EQ(State(Companion(kSectionWindow)).window_rect.top, 10);
  EXPECT_EQ(State(Companion(kPrefixWindow)).window_rect.left, 10);
  EXPECT_EQ(State(Companion(kPrefixWindow)).window_rect.top, 600);
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).window_rect.left, 700);
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).window_rect.top, 80);

  const WindowRef previous = Companion(kPreviousQsoWindow);
  const std::string before = Settings();
  ASSERT_TRUE(gui().PointerOver(previous));  // where it last opened: nothing to write
  EXPECT_EQ(Settings(), before);
  ASSERT_TRUE(gui().DragTo(previous, 720, 90));
  ASSERT_TRUE(gui().PointerOver(previous));
  EXPECT_NE(Settings().find("dxcc_x=720\r\ndxcc_y=90\r\n"), std::string::npos);
  ASSERT_TRUE(gui().DragTo(Companion(kSectionWindow), 30, 90));
  ASSERT_TRUE(gui().PointerOver(Companion(kSectionWindow)));
  // The section window's y equals the one the previous-QSO window just
  // saved; it is its own move all the same, and is kept.
  EXPECT_NE(Settings().find("uba_section_x=30\r\nuba_section_y=90\r\n"), std::string::npos);
}

TEST_F(CompanionWindowTest, ResizingStretchesTheListAndTheTable) {
  WriteSettings("[Settings]\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n");
  StartRun();
  const WindowRef prefix = Companion(kPrefixWindow);
  ASSERT_TRUE(gui().ResizeClient(prefix, 500, 300));
  EXPECT_EQ(State(prefix).Control(IDC_PREFIX_LIST)->rect, (Rect{1, 1, 497, 297}));
  EXPECT_EQ(State(prefix).Control(IDC_PREFIX_LIST)->moves, 1);

  const WindowRef previous = Companion(kPreviousQsoWindow);
  ASSERT_TRUE(gui().ResizeClient(previous, 404, 354));
  EXPECT_EQ(State(previous).Control(IDC_INFO_TABLE)->rect, (Rect{1, 1, 401, 351}));
  // The line spacing follows the new height (350 / 7 = 50), each line in
  // the middle of its stripe; the header stays at y = 18.
  host_.SetEntryLine("DL1AB");
  Refresh();
  const auto ops = gui().Paint(previous, IDC_INFO_TABLE);
  ASSERT_TRUE(ops.has_value());
  EXPECT_EQ((*ops)[0], Fill({0, 0, 400, 350}, Rgb(255, 255, 198)));
  EXPECT_EQ((*ops)[1], Fill({0, 200, 400, 250}, Rgb(198, 255, 255)));
  EXPECT_EQ((*ops)[3], Text(20, 18, "Band"));
  EXPECT_EQ((*ops)[8], Text(20, 68, "160m"));
  EXPECT_EQ((*ops)[12], Text(20, 118, "80m"));

  // The section window has no sizing border and no stretching.
  ASSERT_TRUE(gui().Click(Setup(), IDC_OPT_SECTION));
  Settle();
  const WindowRef section = Companion(kSectionWindow);
  const Rect box = State(section).Control(IDC_SECTION_FIRST)->rect;
  ASSERT_TRUE(gui().ResizeClient(section, 900, 900));
  EXPECT_EQ(State(section).Control(IDC_SECTION_FIRST)->rect, box);
}

TEST_F(CompanionWindowTest, AnEmptyEntryLineDrawsAPlainArea) {
  WriteSettings("[Settings]\r\nsetup_prev_qso=1\r\n");
  StartRun();
  const auto ops = gui().Paint(Companion(kPreviousQsoWindow), IDC_INFO_TABLE);
  ASSERT_TRUE(ops.has_value());
  const Rect all = State(Companion(kPreviousQsoWindow)).Control(IDC_INFO_TABLE)->rect;
  EXPECT_EQ(*ops, std::vector<DrawOp>{Fill({0, 0, all.Width(), all.Height()},
                                           Rgb(255, 250, 198))});
}

// The operations of a paint of the info table for a call worked on 20m at
// 13:12 and on 160m at 22:05, on a screen of dpi dots per inch.
std::vector<DrawOp> ExpectedTable(const Rect& all, int dpi, int stripe) {
  const int w = all.Width(), h = all.Height() / 7;
  const auto at = [dpi](int px) { return px * dpi / 96; };
  std::vector<DrawOp> expected = {
      Fill({0, 0, w, all.Height()}, Rgb(255, 255, 198)),
      Fill({0, (stripe + 1) * h, w, (stripe + 2) * h}, Rgb(198, 255, 255)),
      Transparent(),
      Text(at(20), at(18), "Band"),
      Text(at(100), at(18), "Mode"),
      Text(at(160), 0, "DL1AB"),
      Text(at(178), at(18), "Time"),
      Text(at(245), at(18), "Prov/NR"),
  };
  const char* bands[] = {"160m", "80m", "40m", "20m", "15m", "10m"};
  const char* times[] = {"22:05", "   -", "   -", "13:12", "   -", "   -"};
  const char* exchanges[] = {"002", "   -", "   -", "001", "   -", "   -"};
  // Each line in the middle of its stripe.
  const int offset = (h - 13 * dpi / 96) / 2;
  for (int r = 0; r < 6; ++r) {
    const bool worked = r == 0 || r == 3;
    const int y = (r + 1) * h + offset;
    expected.push_back(Text(at(20), y, bands[r]));
    expected.push_back(Text(at(100), y, worked ? "BPSK63" : "   -"));
    expected.push_back(Text(at(180), y, times[r]));
    expected.push_back(Text(at(260), y, exchanges[r]));
  }
  return expected;
}

TEST_F(CompanionWindowTest, TheInfoTableOfAWorkedCall) {
  WriteSettings("[Settings]\r\nsetup_prev_qso=1\r\n");
  StartRun();
  StoreQso("DL1AB", "20m", "BPSK63", 13, 12, "001");
  // 160m is a contest band: its line is drawn like the others, below the
  // header and clear of it.
  StoreQso("DL1AB", "160m", "BPSK63", 22, 5, "002");
  host_.SetEntryLine("DL1AB");
  Refresh();
  const WindowRef previous = Companion(kPreviousQsoWindow);
  const auto ops = gui().Paint(previous, IDC_INFO_TABLE);
  ASSERT_TRUE(ops.has_value());
  const Rect all = State(previous).Control(IDC_INFO_TABLE)->rect;
  EXPECT_EQ(*ops, ExpectedTable(all, 96, 3));
  const int h = all.Height() / 7;
  const DrawOp& first_line = (*ops)[8];
  EXPECT_EQ(first_line.text, "160m");
  EXPECT_GE(first_line.y, 18 + 13) << "the 160m line runs into the header";
  EXPECT_LE(first_line.y + 13, 2 * h) << "the 160m line leaves its stripe";
}

TEST_F(CompanionWindowTest, TheInfoTableGrowsWithTheScreensDotsPerInch) {
  WriteSettings("[Settings]\r\nsetup_prev_qso=1\r\n");
  gui().SetScreen({0, 0, 1920, 1080}, 144);
  StartRun();
  StoreQso("DL1AB", "20m", "BPSK63", 13, 12, "001");
  StoreQso("DL1AB", "160m", "BPSK63", 22, 5, "002");
  host_.SetEntryLine("DL1AB");
  Refresh();
  const WindowRef previous = Companion(kPreviousQsoWindow);
  ASSERT_TRUE(gui().ResizeClient(previous, 540, 290));
  const auto ops = gui().Paint(previous, IDC_INFO_TABLE);
  ASSERT_TRUE(ops.has_value());
  const Rect all = State(previous).Control(IDC_INFO_TABLE)->rect;
  EXPECT_EQ(*ops, ExpectedTable(all, 144, 3));
  // The call (a line of 19 pixels at 144 dots per inch) ends above "Time".
  EXPECT_EQ((*ops)[6].text, "Time");
  EXPECT_GE((*ops)[6].y, 19);
}

TEST_F(CompanionWindowTest, TheHighlightFollowsTheBand) {
  WriteSettings("[Settings]\r\nsetup_prev_qso=1\r\n");
  StartRun();
  host_.SetEntryLine("DL1AB");
  const WindowRef previous = Companion(kPreviousQsoWindow);
  const Rect all = State(previous).Control(IDC_INFO_TABLE)->rect;
  const int h = all.Height() / 7;

  host_.SetFrequency(1838000);  // 160m
  Refresh();
  auto ops = gui().Paint(previous, IDC_INFO_TABLE);
  ASSERT_TRUE(ops.has_value());
  EXPECT_EQ((*ops)[1], Fill({0, h, all.Width(), 2 * h}, Rgb(198, 255, 255)));

  host_.SetFrequency(10140000);  // no contest band: no stripe
  Refresh();
  ops = gui().Paint(previous, IDC_INFO_TABLE);
  ASSERT_TRUE(ops.has_value());
  EXPECT_EQ((*ops)[1], Transparent());
  EXPECT_EQ(ops->size(), 2u + 5u + 24u);
}

}  // namespace
}  // namespace stats::testing
