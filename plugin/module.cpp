// Module load and unload.
#include <mutex>

#include "platform/platform.h"
#include "plugin/contest.h"
#include "ui/windows.h"

namespace stats {
namespace {
// How long, in 20 ms steps, the unload waits for the window thread's work to
// return after its windows were closed.
constexpr int kThreadEndPolls = 50;
}  // namespace
void OnModuleLoad() {
  // The contest state and its constant lists are built with the module.
  AcceptedModes();
  AcceptedBands();
  Contest();
  ContestLock();
}

void OnModuleUnload(bool process_exiting) {
  // At process exit other threads are gone or going and the system frees
  // everything: nothing to close, nobody to wait for.
  if (process_exiting) return;
  try {
    BeginModuleUnload();
    ui::CloseAll(false);
    Os().Sleep(20);
    for (int i = 0; i < kThreadEndPolls && !ui::WindowThreadEnded(); ++i) Os().Sleep(20);
    // The window thread, finished, is on its last instructions before it
    // ends itself: give it that moment before the module's code goes away.
    Os().Sleep(20);
    // The contest state lives as long as the process, so that a window
    // thread never finds it destroyed; its contents (the store, the lists,
    // the journal) are let go once that thread is done with them (joining
    // it here could wait forever: a thread's end needs the loader, which an
    // unloading DLL holds), so that a host
    // that unloads and loads the plug-in again does not pile them up.
    if (ui::WindowThreadEnded()) {
      std::lock_guard lock(ContestLock());
      Contest() = ContestState();
    }
  } catch (...) {
    // Nothing may escape the unloading of the module.
  }
}

}  // namespace stats
