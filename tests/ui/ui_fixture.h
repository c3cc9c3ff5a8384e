// The fixture of the operator-window tests: the plug-in's scratch folder and
// test platform, the headless window system, and a fake host that runs.
#pragma once

#include <mutex>
#include <string>

#include "tests/support/fake_host.h"
#include "platform/headless/headless_gui.h"
#include "plugin/contest.h"
#include "resources/windows_ids.h"
#include "tests/support/test_support.h"
#include "ui/ui_state.h"
#include "ui/operator_windows.h"

namespace stats::testing {

class UiTest : public PluginTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  headless::HeadlessGui& gui() { return headless::Headless(); }

  // Starts a contest run (ResetStats0) and waits until its setup window is
  // open and its first refresh handled.
  WindowRef StartRun(const Reset& run = Reset());
  // Waits until everything posted to the setup window so far is handled.
  void Settle();
  // Posts the refresh message as a removal does, and waits for it.
  void Refresh();

  WindowRef Setup() const { return ui::Ui().setup.load(); }
  WindowRef Companion(ui::Companion kind) const { return ui::Ui().companions[kind].load(); }
  headless::WindowState State(WindowRef window);

  // Writes one key of the settings file.
  void SetKey(const std::string& key, const std::string& value);

  host::FakeHost host_;
};

// Appends a QSO to the store directly (no journal, no checks).
void StoreQso(const std::string& call, const std::string& band, const std::string& mode,
              int hour, int minute, const std::string& exchange);

}  // namespace stats::testing
