#include "tests/support/windows_support.h"

#include <chrono>
#include <mutex>

#include <gtest/gtest.h>

#include "host/automation.h"

namespace stats::testing {

bool CloseWindowsUntilTheThreadEnds() {
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() < give_up) {
    ui::CloseAll(false);
    ended = ui::JoinWindowThread(100);
  }
  return ended;
}

void WindowsHarness::SetUpWindows() {
  SetGui(&gui());
  gui().SetScreen({0, 0, 1280, 1024}, 96);
  host::SetHost(&host_);
  host_.SetFrequency(14070000.0);
  // As if the plug-in had just been loaded.
  std::lock_guard lock(ui::Ui().mutex);
  ui::Ui().saved_positions = {};
  ui::Ui().host_answered = false;
  ui::Ui().last_command_frequency = 0.0;
  ui::Ui().entered_call.clear();
  ui::Ui().band_index = -1;
}

void WindowsHarness::TearDownWindows() {
  host_.Release();
  EXPECT_TRUE(CloseWindowsUntilTheThreadEnds()) << "the window thread did not end";
  EXPECT_TRUE(gui().AllWindows().empty());
  gui().SetScreen({0, 0, 1280, 1024}, 96);
  host::SetHost(nullptr);
  SetGui(nullptr);
}

WindowRef WindowsHarness::AwaitSetup() {
  const WindowRef setup = gui().WaitForWindow(IDD_SETUP, 5000);
  EXPECT_NE(setup, kNoWindow);
  if (setup != kNoWindow) {
    EXPECT_TRUE(gui().Sync(setup));
  }
  return setup;
}

void WindowsHarness::Settle() {
  const WindowRef setup = Setup();
  ASSERT_NE(setup, kNoWindow);
  ASSERT_TRUE(gui().Sync(setup));
}

void WindowsHarness::Refresh() {
  ui::PostRefresh();
  Settle();
}

headless::WindowState WindowsHarness::State(WindowRef window) {
  auto state = gui().Snapshot(window);
  EXPECT_TRUE(state.has_value()) << "window " << window << " is gone";
  return state.value_or(headless::WindowState{});
}

}  // namespace stats::testing
