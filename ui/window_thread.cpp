// The window thread: its start routine, its procedure, the close-all routine
// of the host's thread, the module's unload, and the posting of the refresh
// message.
//
// No code of the module may run after the module is unmapped, and the host's
// thread, which unloads the plug-in, does not answer calls into its
// automation object while it does.  So the window thread waits for the host
// (or for the settings file) only while it holds a module reference of its
// own, handed to it by the host's thread inside an export; a host that
// unloads the plug-in meanwhile only drops its own reference, and the module
// unloads when the thread lets go of the last one.  Without a reference the
// thread is always quick to answer, and the unload's bounded wait suffices.
#include "ui/window_thread.h"

#include <algorithm>
#include <mutex>

#include "host/automation.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "resources/windows_ids.h"
#include "ui/headless_templates.h"
#include "ui/setup_window.h"
#include "ui/ui_state.h"
#include "ui/operator_windows.h"

namespace stats::ui {
namespace {

// How long the host's thread waits for the window thread: each WM_CLOSE, and
// the setup window's end after the last one (in 20 ms steps).  Bounded, so
// that a window thread that is stuck never keeps the host from going on;
// generous, because a window thread without a module reference never waits
// for anyone and these waits end as soon as it is done (a window's end can
// take a moment where a window manager has to confirm it).
constexpr unsigned kCloseTimeoutMs = 1000;
constexpr unsigned kPollMs = 20;
constexpr int kSetupEndPolls = 150;  // 3 s
// How long the unload waits for the window threads to end their work.
constexpr int kThreadEndPolls = 50;  // 1 s
constexpr unsigned kJoinTimeoutMs = 1000;
// How long a new window thread waits for the one it replaces to end: that
// one may wait for the host's thread, which answers once ResetStats0 has
// returned.
constexpr int kPredecessorPolls = 1500;  // 30 s
// How long the close-all routine waits for a window thread that is opening
// its setup window.
constexpr int kOpeningPolls = 100;  // 2 s

// Hands one module reference to a window thread; false when the thread has
// already taken its last look (or no reference could be had).  Host's
// thread, inside an export: the host holds its own reference meanwhile.
bool HandReference(WindowThread& thread) {
  if (!AcquireModuleReference()) return false;
  int n = thread.references.load();
  while (n >= 0) {
    if (thread.references.compare_exchange_weak(n, n + 1)) return true;
  }
  ReleaseModuleReference();  // the host's own reference stays
  return false;
}

std::shared_ptr<WindowThread> Current() {
  UiState& ui = Ui();
  std::lock_guard lock(ui.threads_mutex);
  return ui.current;
}

std::vector<std::shared_ptr<WindowThread>> AllThreads() {
  UiState& ui = Ui();
  std::lock_guard lock(ui.threads_mutex);
  return ui.threads;
}

bool Ended(const std::shared_ptr<WindowThread>& t) { return !t->thread || t->thread->Finished(); }

int WindowThreadMain(const std::shared_ptr<WindowThread>& self,
                     const std::shared_ptr<WindowThread>& predecessor) {
  UiState& ui = Ui();
  // At most one setup window: the one of the run before goes first.  That
  // thread may wait for the host's thread, which answers only once the
  // start routine has returned, so the wait is here and not there.
  auto wanted = [&] { return !self->cancelled.load() && !ui.unloading.load(); };
  for (int i = 0; i < kPredecessorPolls && wanted() &&
                  ((predecessor && !Ended(predecessor)) || ui.setup.load() != kNoWindow);
       ++i) {
    Os().Sleep(kPollMs);
  }
  if (wanted() && ui.setup.load() == kNoWindow) {
    Setup_UBA_Pfx setup(*self);
    Gui().RunModal(IDD_SETUP, setup);
  }
  const int references = TakeReferences(*self, /*last_look=*/true);
  // Releasing the host's object waits for the host's thread: it is done
  // only while a reference is held.  Without one (the module unloading, or
  // the operator closing the window) an object still held is left to the
  // system, which ends it with the thread; COM without any object of the
  // host's is left at once.
  host::Automation& host = host::Host();
  if ((references > 0 && !ui.unloading.load()) || !host.Connected()) {
    host.Disconnect();
  } else {
    host.Abandon();
  }
  return references;
}

// A window thread that has just been started has no setup window yet, and
// the close-all routine would miss it: wait until it has opened one, or
// ended.  Bounded like every wait of the host's thread.
void AwaitOpening(UiState& ui) {
  for (int i = 0; i < kOpeningPolls && ui.setup.load() == kNoWindow; ++i) {
    const auto current = Current();
    if (!current || current->cancelled.load() || Ended(current) || ui.unloading.load()) return;
    Os().Sleep(kPollMs);
  }
}

void SendCloseToAll(UiState& ui) {
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
}

// Posts the refresh message for the host: the refresh calls the host, so it
// goes with a module reference, which its handler lets go (wparam 1).
bool PostWithReference(WindowRef setup) {
  const auto current = Current();
  const bool handed = current && HandReference(*current);
  return Gui().Post(setup, kRefreshMessage, handed ? 1 : 0);
  // A message that is never handled leaves its reference to the thread's
  // end, which lets go of every one left.
}

}  // namespace

int TakeReferences(WindowThread& thread, bool last_look) {
  const int n = thread.references.exchange(last_look ? WindowThread::kClosed : 0);
  if (n < 0) {
    thread.references.store(WindowThread::kClosed);
    return 0;
  }
  return n;
}

void LetGoOfOne(WindowThread& thread) {
  int n = thread.references.load();
  while (n > 0) {
    if (thread.references.compare_exchange_weak(n, n - 1)) {
      ReleaseModuleReferenceElsewhere();
      return;
    }
  }
}

void LetGo(int references) {
  for (int i = 0; i < references; ++i) ReleaseModuleReferenceElsewhere();
}

void StartWindowThread() {
  // Where the windows have no screen, the window system learns their
  // templates from here.
  DefineHeadlessTemplates();
  UiState& ui = Ui();
  // The thread of the last run ends; the reference handed to it covers its
  // release of the host's object, which waits until this thread is back with
  // the host.  Its windows are closed now, without waiting for that.
  std::shared_ptr<WindowThread> predecessor = Current();
  if (predecessor) {
    predecessor->cancelled.store(true);
    HandReference(*predecessor);
    SendCloseToAll(ui);
  }

  auto self = std::make_shared<WindowThread>();
  // The opening (settings, the host's mode, the first refresh) is covered by
  // a reference of its own.
  HandReference(*self);
  {
    std::lock_guard lock(ui.threads_mutex);
    // Threads that have ended are joined now.
    std::erase_if(ui.threads, [](const std::shared_ptr<WindowThread>& t) {
      return Ended(t) && t->thread->Join(0);
    });
    ui.current = self;
    ui.threads.push_back(self);
  }
  ui.unloading.store(false);
  auto thread = StartModuleThread([self, predecessor] { return WindowThreadMain(self, predecessor); });
  if (!thread) {
    LetGo(TakeReferences(*self, true));
    return;
  }
  std::lock_guard lock(ui.threads_mutex);
  self->thread = std::move(thread);
}

bool JoinWindowThread(unsigned timeout_ms) {
  UiState& ui = Ui();
  bool all = true;
  for (const auto& t : AllThreads()) {
    if (t->thread && !t->thread->Join(timeout_ms)) all = false;
  }
  if (all) {
    std::lock_guard lock(ui.threads_mutex);
    ui.threads.clear();
    ui.current.reset();
  }
  return all;
}

bool WindowThreadEnded() {
  const auto threads = AllThreads();
  return std::all_of(threads.begin(), threads.end(), Ended);
}

bool IsPreviousQsoWindowOpen() { return Ui().companions[kPreviousQsoWindow].load() != kNoWindow; }

void CloseAll(bool process_exiting) {
  // At process exit the window thread is already gone, and its windows with
  // it: there is nothing to close and nobody to wait for.
  if (process_exiting) return;
  UiState& ui = Ui();
  AwaitOpening(ui);
  if (ui.setup.load() == kNoWindow) return;
  SendCloseToAll(ui);
  for (int i = 0; i < kSetupEndPolls && ui.setup.load() != kNoWindow; ++i) Os().Sleep(kPollMs);
}

bool Unload(bool process_exiting) {
  if (process_exiting) return false;
  UiState& ui = Ui();
  ui.unloading.store(true);
  CloseAll(false);
  // No window thread holds a reference now (the unload would not run), so
  // none waits for the host: each ends promptly once its windows are gone.
  const auto threads = AllThreads();
  for (int i = 0; i < kThreadEndPolls && !std::all_of(threads.begin(), threads.end(), Ended);
       ++i) {
    Os().Sleep(kPollMs);
  }
  // A thread whose work has returned is on its last instructions before it
  // ends itself: give it that moment before the module's code goes.
  Os().Sleep(kPollMs);
  bool all = true;
  for (const auto& t : threads) {
    if (t->thread && !t->thread->Join(kJoinTimeoutMs)) all = false;
  }
  std::lock_guard lock(ui.threads_mutex);
  ui.threads.clear();  // one not joined is let run to its end (detached)
  ui.current.reset();
  return all;
}

void PostRefreshIfIdle() {
  UiState& ui = Ui();
  const WindowRef setup = ui.setup.load();
  if (setup == kNoWindow) return;
  int idle = 1;
  if (!ui.refresh_done.compare_exchange_strong(idle, 0)) return;
  // A message that could not be posted is not pending.
  if (!PostWithReference(setup)) ui.refresh_done.store(1);
}

void PostRefresh() {
  const WindowRef setup = Ui().setup.load();
  if (setup != kNoWindow) PostWithReference(setup);
}

}  // namespace stats::ui
