// What the operator windows' tests share, however their runs start: the
// headless window system and its screen, a fake host that runs, the windows'
// own state as the module's load leaves it, and the waits for the window
// thread.  It needs the windows' layer and the host's client alone, so that
// ui_tests (over stats_ui) and the boundary's windows tests (over the
// plug-in) use the same helpers.
#pragma once

#include <string>

#include "platform/headless/headless_gui.h"
#include "resources/windows_ids.h"
#include "tests/support/fake_host.h"
#include "ui/operator_windows.h"
#include "ui/ui_state.h"

namespace stats::testing {

// Closes the windows again and again until the last window thread has
// ended: the close-all routine waits only a bounded time for a thread that
// is still opening its setup window, and a busy machine can outlast it.
// False only when the thread did not end at all (the limit keeps a thread
// that never ends from hanging the tests).
bool CloseWindowsUntilTheThreadEnds();

// A fixture's windows: installed by SetUpWindows, closed and checked by
// TearDownWindows once the window thread has ended.
class WindowsHarness {
 protected:
  void SetUpWindows();
  void TearDownWindows();

  headless::HeadlessGui& gui() { return headless::Headless(); }

  // Waits until the setup window of a run that was just started is open and
  // its first refresh handled.
  WindowRef AwaitSetup();
  // Waits until everything posted to the setup window so far is handled.
  void Settle();
  // Posts the refresh message as a removal does, and waits for it.
  void Refresh();

  WindowRef Setup() const { return ui::Ui().setup.load(); }
  WindowRef Companion(ui::Companion kind) const { return ui::Ui().companions[kind].load(); }
  headless::WindowState State(WindowRef window);

  host::FakeHost host_;
};

}  // namespace stats::testing
