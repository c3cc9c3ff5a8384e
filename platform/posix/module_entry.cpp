// Module load and unload of the shared object.
#include <atomic>

#include "platform/platform.h"

extern "C" {
// The handle of this shared object, by which exit handlers are tied to it.
extern void* __dso_handle;
int __cxa_atexit(void (*function)(void*), void* argument, void* dso_handle);
}

namespace {

// Set by an exit handler.  At process exit the exit handlers run before the
// shared object's destructor; at dlclose the handlers tied to the object run
// after it.  So the destructor sees the flag set only at process exit.
std::atomic<bool> g_process_exiting{false};

void MarkProcessExiting(void*) { g_process_exiting.store(true); }

}  // namespace

__attribute__((constructor)) static void StatsModuleLoad() {
  stats::OnModuleLoad();
  // Tied to this object (not to the program, as atexit may be where a
  // sanitizer stands in for it): it never runs after the object is gone.
  __cxa_atexit(MarkProcessExiting, nullptr, &__dso_handle);
}

__attribute__((destructor)) static void StatsModuleUnload() {
  stats::OnModuleUnload(g_process_exiting.load());
}
