// The operator windows driven through the exports: a new run (ResetStats0)
// while windows are open, the typing check (CheckCallFunc0) and the removal
// (RemoveData0) that post refreshes, and the host's thread logging, checking
// and scoring QSOs while the windows follow the host.  A program of its own,
// so that these cross-thread cases run under ThreadSanitizer as well.
#include <array>
#include <atomic>
#include <string>
#include <thread>

#include "model/settings.h"
#include "plugin/contest.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_support.h"
#include "ui/lookup.h"

namespace stats::testing {
namespace {

using ui::kPreviousQsoWindow;
using ui::kSectionWindow;

// The operator-window fixture at the plug-in's level: a fresh contest state
// in a scratch folder, and runs that start through ResetStats0.
class WindowsRunTest : public PluginTest, protected WindowsHarness {
 protected:
  // The setup window's reference, not GoogleTest's misspelt SetUp.
  using WindowsHarness::Setup;

  void SetUp() override {
    PluginTest::SetUp();
    SetUpWindows();
  }
  void TearDown() override {
    TearDownWindows();
    PluginTest::TearDown();
  }

  // Starts a contest run (ResetStats0) and waits until its setup window is
  // open and its first refresh handled.
  WindowRef StartRun(const Reset& run = Reset()) {
    EXPECT_EQ(run.Call(), 1);
    return AwaitSetup();
  }

  // Writes one key of the settings file.
  void SetKey(const std::string& key, const std::string& value) {
    ASSERT_TRUE(settings::Write(key, value));
  }
};

using RefreshTest = WindowsRunTest;

TEST_F(RefreshTest, TheTypingCheckPostsOneRefreshAtATime) {
  StartRun();
  const int reads = host_.EntryFieldReads();
  host_.Hold();
  EXPECT_NE(Check().Call(), 4);
  ASSERT_TRUE(host_.WaitUntilEntered(5000));  // the refresh is under way
  EXPECT_EQ(ui::Ui().refresh_done.load(), 0);
  for (int i = 0; i < 5; ++i) Check().Call();
  host_.Release();
  Settle();
  EXPECT_EQ(host_.EntryFieldReads(), reads + 1);
  EXPECT_EQ(ui::Ui().refresh_done.load(), 1);

  // Differing bands post nothing; the next typing does.
  Check differing;
  differing.band2 = "40m";
  EXPECT_EQ(differing.Call(), 4);
  Settle();
  EXPECT_EQ(host_.EntryFieldReads(), reads + 1);
  Check().Call();
  Settle();
  EXPECT_EQ(host_.EntryFieldReads(), reads + 2);

  // A removal posts whatever the flag says.
  host_.Hold();
  Check().Call();
  ASSERT_TRUE(host_.WaitUntilEntered(5000));
  Qso().Remove();
  Qso().Remove();
  host_.Release();
  Settle();
  EXPECT_EQ(host_.EntryFieldReads(), reads + 5);
}

TEST_F(RefreshTest, TheHostsObjectIsHeldOnlyForARefreshTheHostAskedFor) {
  StartRun();
  // The opening's first refresh let go of it again.
  EXPECT_FALSE(host_.HeldByPlugin());
  host_.SetEntryLine("DL1AB");
  host_.Hold();
  Check().Call();
  ASSERT_TRUE(host_.WaitUntilEntered(5000));
  EXPECT_TRUE(host_.HeldByPlugin());
  host_.Release();
  Settle();
  EXPECT_FALSE(host_.HeldByPlugin());

  // An option clicked: the window's own refresh calls no host (it holds no
  // module reference) and shows what the last refresh read.
  const int reads = host_.EntryFieldReads();
  host_.SetEntryLine("OK1XYZ");
  ASSERT_TRUE(gui().Click(Setup(), IDC_OPT_PREVIOUS));
  Settle();
  EXPECT_EQ(host_.EntryFieldReads(), reads);
  EXPECT_FALSE(host_.HeldByPlugin());
  EXPECT_EQ(State(Companion(kPreviousQsoWindow)).title, "UBA-PSK63-PFX 2017 worked with DL1AB");
}

using WindowThreadTest = WindowsRunTest;

TEST_F(WindowThreadTest, ANewRunReplacesAnOpenSetupWindow) {
  const WindowRef first = StartRun();
  ASSERT_TRUE(gui().Click(first, IDC_OPT_SECTION));
  ASSERT_TRUE(gui().Click(first, IDC_OPT_PREFIX));
  Settle();
  const WindowRef section = Companion(kSectionWindow);
  ASSERT_NE(section, kNoWindow);

  SetKey("Start", "0");  // so that the run starts the window thread again
  EXPECT_EQ(Reset().Call(), 1);
  // Closed before the new thread started: the old windows are gone...
  EXPECT_FALSE(gui().Snapshot(first).has_value());
  EXPECT_FALSE(gui().Snapshot(section).has_value());
  // ...and the new setup window reopens the companion windows it keeps.
  const WindowRef second = gui().WaitForWindow(IDD_SETUP, 5000);
  ASSERT_NE(second, kNoWindow);
  EXPECT_NE(second, first);
  ASSERT_TRUE(gui().Sync(second));
  EXPECT_EQ(gui().WindowsOf(IDD_SETUP).size(), 1u);
  EXPECT_EQ(gui().WindowsOf(IDD_SECTION).size(), 1u);
  EXPECT_EQ(gui().WindowsOf(IDD_PREFIX).size(), 1u);
  EXPECT_NE(Companion(kSectionWindow), section);
  EXPECT_EQ(host_.Connects(), 2);
  EXPECT_EQ(host_.Disconnects(), 1);
}

// The host's thread logs, deletes, checks and scores QSOs while the entry
// line and the frequency change and the windows refresh and repaint.  Under
// ThreadSanitizer this is the test that the window thread reads the contest
// data only under the contest lock.
TEST_F(WindowThreadTest, StressHostThreadAgainstRefreshes) {
  WriteSettings("[Settings]\r\nsetup_on_section=1\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n");
  Reset run;
  run.own_country = "ON";
  StartRun(run);
  const WindowRef previous = Companion(kPreviousQsoWindow);
  ASSERT_NE(previous, kNoWindow);

  std::atomic<bool> stop{false};
  std::thread operator_side([&] {
    const double bands[] = {1838000, 3580000, 7040000, 14070000, 21070000, 28120000, 10140000};
    for (int i = 0; !stop.load(); ++i) {
      host_.SetEntryLine(i % 3 == 0 ? "" : "DL" + std::to_string(i % 40) + "AB");
      host_.SetFrequency(bands[i % 7] + (i % 5) * 200.0);
      gui().Paint(previous, IDC_INFO_TABLE);
      std::this_thread::yield();
    }
  });

  const char* band_names[] = {"160m", "80m", "40m", "20m", "15m", "10m"};
  constexpr int kQsos = 3000;
  for (int i = 0; i < kQsos; ++i) {
    Qso q;
    q.call = "DL" + std::to_string(i % 40) + "AB";
    q.prefix = "DL" + std::to_string(i % 40);
    q.band = band_names[i % 6];
    q.time = Date(2017, 1, 6, (i / 60) % 24, i % 60);
    if (i % 7 == 0) {
      q.call = "ON4" + std::to_string(i % 10) + "X";
      q.country = "ON";
      q.prefix = "ON4";
      q.exchange_received = i % 14 == 0 ? "LGE" : "ARA";
    }
    q.Add();
    Check check;
    check.call = q.call;
    check.band = q.band.c_str();
    check.Call();
    if (i % 5 == 4) q.Remove();
    if (i % 250 == 0) Result();
  }
  stop.store(true);
  operator_side.join();
  // The typing check kept the window thread refreshing all along.
  EXPECT_GT(host_.EntryFieldReads(), 20);

  // After the last refresh the rows match the store.
  host_.SetEntryLine("DL1AB");
  host_.SetFrequency(14070000);
  Result();
  Refresh();
  std::array<InfoRow, kBandCount> expected;
  {
    std::lock_guard lock(ContestLock());
    expected = ui::ShownInfoRows();
    ui::FillInfoRows(Contest().store, "DL1AB", expected);
    EXPECT_EQ(ui::ShownInfoRows(), expected);
    EXPECT_GT(Contest().store.Count(), 2000u);
  }
  EXPECT_EQ(gui().AllWindows().size(), 4u);
  EXPECT_EQ(ui::Ui().refresh_done.load(), 1);
}

}  // namespace
}  // namespace stats::testing
