// The window thread's life: a new run while windows are open, the close-all
// routine with a window thread that does not answer, and the host's thread
// working on the contest while the windows follow the host.
#include <atomic>
#include <chrono>
#include <thread>

#include "rules/score.h"
#include "ui/lookup.h"
#include "tests/ui/ui_fixture.h"

namespace stats::testing {
namespace {

using ui::kPrefixWindow;
using ui::kPreviousQsoWindow;
using ui::kSectionWindow;

using WindowThreadTest = UiTest;

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

TEST_F(WindowThreadTest, CloseAllIsBoundedWhenTheWindowThreadDoesNotAnswer) {
  WriteSettings("[Settings]\r\nsetup_prev_qso=1\r\n");
  const WindowRef setup = StartRun();
  host_.Hold();
  ui::PostRefresh();
  ASSERT_TRUE(host_.WaitUntilEntered(5000));  // the window thread is stuck in the host
  const auto start = std::chrono::steady_clock::now();
  ui::CloseAll(false);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::seconds(8));
  EXPECT_NE(Setup(), kNoWindow);
  // Once the host answers, the queued WM_CLOSE messages are handled.
  host_.Release();
  EXPECT_TRUE(gui().WaitUntilGone(setup, 5000));
  EXPECT_TRUE(ui::JoinWindowThread(5000));
  EXPECT_TRUE(gui().AllWindows().empty());
}

TEST_F(WindowThreadTest, CloseAllAtProcessExitWaitsForNothing) {
  const WindowRef setup = StartRun();
  host_.Hold();
  ui::PostRefresh();
  ASSERT_TRUE(host_.WaitUntilEntered(5000));
  const auto start = std::chrono::steady_clock::now();
  ui::CloseAll(true);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_TRUE(gui().Snapshot(setup).has_value());
  host_.Release();
}

TEST_F(WindowThreadTest, CloseAllWithoutAWindowThreadReturns) {
  ui::CloseAll(false);
  ui::PostRefresh();
  ui::PostRefreshIfIdle();
  EXPECT_EQ(ui::Ui().refresh_done.load(), 1);
  EXPECT_FALSE(ui::IsPreviousQsoWindowOpen());
}

TEST_F(WindowThreadTest, ARefreshThatCouldNotBePostedIsNotPending) {
  // A setup window that is being destroyed: its reference is still set, but
  // nothing can be posted to it any more.  The typing check must not wait
  // for a refresh that never comes.
  ui::Ui().setup.store(0xDEAD);
  ui::PostRefreshIfIdle();
  EXPECT_EQ(ui::Ui().refresh_done.load(), 1);
  ui::Ui().setup.store(kNoWindow);
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
