// Module load and unload of the shared object.
#include <atomic>
#include <cstdlib>

#include "platform/platform.h"

namespace {

// Set by an exit handler: at process exit the exit handlers run before the
// shared object's destructor, and the static objects are already gone.
std::atomic<bool> g_process_exiting{false};

void MarkProcessExiting() { g_process_exiting.store(true); }

}  // namespace

__attribute__((constructor)) static void StatsModuleLoad() {
  stats::OnModuleLoad();
  std::atexit(MarkProcessExiting);
}

__attribute__((destructor)) static void StatsModuleUnload() {
  stats::OnModuleUnload(g_process_exiting.load());
}
