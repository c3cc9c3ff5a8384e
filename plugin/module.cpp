// Module load and unload.
#include "platform/platform.h"
#include "plugin/contest.h"
#include "ui/windows.h"

namespace stats {

void OnModuleLoad() {
  // The contest state and its constant lists are built with the module.
  AcceptedModes();
  AcceptedBands();
  Contest();
  ContestLock();
}

void OnModuleUnload(bool process_exiting) {
  try {
    ui::CloseAll(process_exiting);
    if (!process_exiting) Os().Sleep(20);
  } catch (...) {
    // Nothing may escape the unloading of the module.
  }
}

}  // namespace stats
