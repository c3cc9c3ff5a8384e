// The window thread: its start routine, its procedure, and the close-all
// routine of the host's thread; and the posting of the refresh message.
#include <mutex>

#include "host/automation.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "resources/windows_ids.h"
#include "ui/setup_window.h"
#include "ui/ui_state.h"
#include "ui/windows.h"

namespace stats::ui {
namespace {

// How long the host's thread waits for the window thread: each WM_CLOSE,
// and the setup window's end after the last one (in 20 ms steps).  Bounded,
// so that a window thread that is stuck never keeps the host from closing.
constexpr unsigned kCloseTimeoutMs = 1000;
constexpr unsigned kPollMs = 20;
constexpr int kSetupEndPolls = 150;  // 3 s
// How long a new run waits for the last run's window thread to end, or for
// a window thread still opening its setup window to show it.
constexpr unsigned kJoinTimeoutMs = 2000;
constexpr int kOpeningPolls = 100;  // 2 s

void WindowThreadMain() {
  UiState& ui = Ui();
  // At most one setup window.
  if (ui.setup.load() != kNoWindow) {
    ui.thread_active.store(false);
    return;
  }
  {
    Setup_UBA_Pfx setup;
    Gui().RunModal(IDD_SETUP, setup);
  }
  // COM was initialised on this thread when the setup window connected; the
  // dispatch reference is released before it is uninitialised.
  host::Host().Disconnect();
  ui.setup.store(kNoWindow);
  ui.thread_active.store(false);
}

// A window thread that has just been started has no setup window yet, and
// the close-all routine would miss it: wait until it has opened one, or
// ended.  Bounded like every wait of the host's thread, and without joining:
// the module's unload runs this where a thread cannot finish ending.
void AwaitOpening(UiState& ui) {
  for (int i = 0; i < kOpeningPolls && ui.thread_active.load() && ui.setup.load() == kNoWindow;
       ++i) {
    Os().Sleep(kPollMs);
  }
}

}  // namespace

void StartWindowThread() {
  UiState& ui = Ui();
  CloseAll(false);
  if (ui.thread) {
    ui.thread->Join(kJoinTimeoutMs);
    ui.thread.reset();
  }
  ui.thread_active.store(true);
  ui.thread = Os().StartThread(WindowThreadMain);
  if (!ui.thread) ui.thread_active.store(false);
  AwaitOpening(ui);  // an unload right after the start must find the window
}

bool JoinWindowThread(unsigned timeout_ms) {
  UiState& ui = Ui();
  if (!ui.thread) return true;
  if (!ui.thread->Join(timeout_ms)) return false;
  ui.thread.reset();
  return true;
}

bool WindowThreadEnded() {
  UiState& ui = Ui();
  return !ui.thread || ui.thread->Finished();
}

bool IsPreviousQsoWindowOpen() { return Ui().companions[kPreviousQsoWindow].load() != kNoWindow; }

void CloseAll(bool process_exiting) {
  // At process exit the window thread is already gone, and its windows with
  // it: there is nothing to close and nobody to wait for.
  if (process_exiting) return;
  UiState& ui = Ui();
  AwaitOpening(ui);
  const WindowRef setup = ui.setup.load();
  if (setup == kNoWindow) return;
  WindowSystem& gui = Gui();
  for (Companion kind : {kSectionWindow, kPrefixWindow, kPreviousQsoWindow}) {
    // The window clears its reference as it is destroyed; one that did not
    // answer is closed with the setup window.
    const WindowRef ref = ui.companions[kind].load();
    if (ref != kNoWindow) gui.SendClose(ref, kCloseTimeoutMs);
  }
  gui.SendClose(setup, kCloseTimeoutMs);
  for (int i = 0; i < kSetupEndPolls && ui.setup.load() != kNoWindow; ++i) Os().Sleep(kPollMs);
}

void PostRefreshIfIdle() {
  UiState& ui = Ui();
  const WindowRef setup = ui.setup.load();
  if (setup == kNoWindow) return;
  int idle = 1;
  if (!ui.refresh_done.compare_exchange_strong(idle, 0)) return;
  // A message that could not be posted is not pending.
  if (!Gui().Post(setup, kRefreshMessage)) ui.refresh_done.store(1);
}

void PostRefresh() {
  const WindowRef setup = Ui().setup.load();
  if (setup != kNoWindow) Gui().Post(setup, kRefreshMessage);
}

}  // namespace stats::ui
