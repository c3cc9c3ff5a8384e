#include "tests/ui/ui_fixture.h"

#include "model/settings.h"

namespace stats::testing {

void UiTest::SetUp() {
  PluginTest::SetUp();
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

void UiTest::TearDown() {
  host_.Release();
  ui::CloseAll(false);
  EXPECT_TRUE(ui::JoinWindowThread(5000));
  EXPECT_TRUE(gui().AllWindows().empty());
  gui().SetScreen({0, 0, 1280, 1024}, 96);
  host::SetHost(nullptr);
  SetGui(nullptr);
  PluginTest::TearDown();
}

WindowRef UiTest::StartRun(const Reset& run) {
  EXPECT_EQ(run.Call(), 1);
  const WindowRef setup = gui().WaitForWindow(IDD_SETUP, 5000);
  EXPECT_NE(setup, kNoWindow);
  if (setup != kNoWindow) {
    EXPECT_TRUE(gui().Sync(setup));
  }
  return setup;
}

void UiTest::Settle() {
  const WindowRef setup = Setup();
  ASSERT_NE(setup, kNoWindow);
  ASSERT_TRUE(gui().Sync(setup));
}

void UiTest::Refresh() {
  ui::PostRefresh();
  Settle();
}

headless::WindowState UiTest::State(WindowRef window) {
  auto state = gui().Snapshot(window);
  EXPECT_TRUE(state.has_value()) << "window " << window << " is gone";
  return state.value_or(headless::WindowState{});
}

void UiTest::SetKey(const std::string& key, const std::string& value) {
  ASSERT_TRUE(settings::Write(key, value));
}

void StoreQso(const std::string& call, const std::string& band, const std::string& mode,
              int hour, int minute, const std::string& exchange) {
  CInfo qso;
  qso.call = call;
  qso.band = band;
  qso.mode = mode;
  qso.exchange_received = exchange;
  qso.time = OleDate::FromCivil(2017, 1, 6, hour, minute);
  std::lock_guard lock(ContestLock());
  Contest().store.Append(qso);
}

}  // namespace stats::testing
