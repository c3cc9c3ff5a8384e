// The window thread's life: the close-all routine with a window thread that
// does not answer, at process exit and without a thread, and a refresh that
// could not be posted.  A new run while windows are open and the host's
// thread working on the contest meanwhile go through the exports
// (tests/plugin/windows_run_test.cpp).
#include <chrono>

#include "tests/ui/ui_fixture.h"

namespace stats::testing {
namespace {

using WindowThreadTest = UiTest;

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

}  // namespace
}  // namespace stats::testing
