// The module's own references and its threads on Windows.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "platform/failure_log.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace stats {
namespace {

// The DLL whose code this is; null inside a program, which never unloads.
HMODULE UnloadableModule() {
  HMODULE module = win32::Module();
  return module == ::GetModuleHandleW(nullptr) ? nullptr : module;
}

struct Shared {
  win32::UniqueKernelHandle ended{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<bool> finished{false};
};

struct Start {
  std::function<int()> body;
  std::shared_ptr<Shared> shared;
};

[[noreturn]] void EndWith(int references) {
  HMODULE module = UnloadableModule();
  if (module == nullptr || references <= 0) ::ExitThread(0);
  for (int i = 1; i < references; ++i) ::FreeLibrary(module);  // not the last: one stays
  ::FreeLibraryAndExitThread(module, 0);
}

DWORD WINAPI ThreadMain(LPVOID raw) {
  int references = 0;
  {
    std::unique_ptr<Start> start(static_cast<Start*>(raw));
    try {
      references = start->body();
    } catch (...) {
      // A thread's failure must not end the host's process: it is logged,
      // and the thread ends holding no reference of its own.
      failure_log::RecordCaught("StartModuleThread");
    }
    start->shared->finished.store(true);
    if (start->shared->ended) ::SetEvent(start->shared->ended.get());
  }
  // Nothing of this module runs after this call.
  EndWith(references);
}

class ModuleThread final : public Thread {
 public:
  ModuleThread(win32::UniqueKernelHandle handle, std::shared_ptr<Shared> shared)
      : handle_(std::move(handle)), shared_(std::move(shared)) {}
  bool Join(unsigned timeout_ms) override {
    if (shared_->finished.load()) return true;
    if (!shared_->ended) return false;
    return ::WaitForSingleObject(shared_->ended.get(), timeout_ms) == WAIT_OBJECT_0;
  }
  bool Finished() override { return shared_->finished.load(); }

 private:
  win32::UniqueKernelHandle handle_;
  std::shared_ptr<Shared> shared_;
};

}  // namespace

bool AcquireModuleReference() {
  if (UnloadableModule() == nullptr) return true;
  HMODULE module = nullptr;
  return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&AcquireModuleReference),
                              &module) != FALSE;
}

void ReleaseModuleReference() {
  if (HMODULE module = UnloadableModule()) ::FreeLibrary(module);
}

void ReleaseModuleReferenceElsewhere() {
  HMODULE module = UnloadableModule();
  if (module == nullptr) return;
  // FreeLibrary takes one pointer-sized argument and returns a 32-bit value,
  // as a thread's start routine does.
  const auto release = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void (*)()>(&::FreeLibrary));
  win32::UniqueKernelHandle thread(::CreateThread(nullptr, 0, release, module, 0, nullptr));
  // Without a thread the reference stays: the module then stays loaded,
  // which is safe where the other way is not.
}

std::unique_ptr<Thread> StartModuleThread(std::function<int()> body) {
  auto shared = std::make_shared<Shared>();
  auto start = std::make_unique<Start>(Start{std::move(body), shared});
  win32::UniqueKernelHandle handle(::CreateThread(nullptr, 0, ThreadMain, start.get(), 0, nullptr));
  if (!handle) return nullptr;
  start.release();  // the thread's own now
  return std::make_unique<ModuleThread>(std::move(handle), std::move(shared));
}

}  // namespace stats
