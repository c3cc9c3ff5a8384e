// Module load and unload.
#include <mutex>

#include "platform/failure_log.h"
#include "platform/platform.h"
#include "plugin/contest.h"
#include "ui/operator_windows.h"

namespace stats {

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
    // The windows close, and the window threads end.  None of them waits
    // for the host here: one that had to holds a module reference of its
    // own, and the unload runs only once it has let go.
    const bool ended = ui::Unload(false);
    // The contest state lives as long as the process, so that a window
    // thread never finds it destroyed; its contents (the store, the lists,
    // the journal) are let go once the window threads are done with them,
    // so that a host that unloads and loads the plug-in again does not pile
    // them up.
    if (ended) {
      std::lock_guard lock(ContestLock());
      Contest() = ContestState();
    }
  } catch (...) {
    // Nothing may escape the unloading of the module; what was caught is
    // logged.
    failure_log::RecordCaught("OnModuleUnload");
  }
}

}  // namespace stats
