// The module's own references and its threads on POSIX systems: a
// reference is a dlopen of the shared object by its own path.
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/platform.h"

namespace stats {
namespace {

// The path of the shared object holding this code; "" inside a program,
// which never unloads.
const char* UnloadablePath() {
  static const char* path = [] {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&AcquireModuleReference), &info) == 0 ||
        info.dli_fname == nullptr) {
      return "";
    }
    // The program's own code is not in a library that can be closed.
    void* self = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
    void* program = dlopen(nullptr, RTLD_NOW);
    const bool library = self != nullptr && self != program;
    if (self != nullptr) dlclose(self);
    if (program != nullptr) dlclose(program);
    return library ? info.dli_fname : "";
  }();
  return path;
}

void* OwnHandle() {
  const char* path = UnloadablePath();
  if (*path == '\0') return nullptr;
  // The handle of an object already open is the same every time.
  void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);  // keep the count as it was
  return handle;
}

}  // namespace

bool AcquireModuleReference() {
  const char* path = UnloadablePath();
  if (*path == '\0') return true;
  return dlopen(path, RTLD_NOW | RTLD_NOLOAD) != nullptr;
}

void ReleaseModuleReference() {
  if (void* handle = OwnHandle()) dlclose(handle);
}

void ReleaseModuleReferenceElsewhere() {
  void* handle = OwnHandle();
  if (handle == nullptr) return;
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return;
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  // dlclose takes one pointer and returns an int in the register where a
  // start routine's pointer result goes: it is the thread's whole body.
  const auto release = reinterpret_cast<void* (*)(void*)>(reinterpret_cast<void (*)()>(&dlclose));
  pthread_t thread;
  // Without a thread the reference stays: the module then stays loaded,
  // which is safe where the other way is not.
  pthread_create(&thread, &attributes, release, handle);
  pthread_attr_destroy(&attributes);
}

std::unique_ptr<Thread> StartModuleThread(std::function<int()> body) {
  return Os().StartThread([body = std::move(body)] {
    const int references = body();
    for (int i = 0; i < references; ++i) ReleaseModuleReferenceElsewhere();
  });
}

}  // namespace stats
