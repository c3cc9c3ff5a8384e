// Threads of the C++ library, the default of Platform::StartThread.  Both
// builds use system threads underneath (pthreads; winpthreads over
// CreateThread with the mingw-w64 posix toolchains).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/failure_log.h"
#include "platform/platform.h"

namespace stats {
namespace {

std::atomic<bool> g_unloading{false};

// What the running thread and its owner share: the thread outlives a
// detached owner, so the flag lives as long as either needs it.
struct EndFlag {
  std::mutex mutex;
  std::condition_variable ended_cv;
  bool ended = false;
};

class LibraryThread final : public Thread {
 public:
  explicit LibraryThread(std::function<void()> body) : flag_(std::make_shared<EndFlag>()) {
    thread_ = std::thread([flag = flag_, body = std::move(body)] {
      try {
        body();
      } catch (...) {
        // A thread's failure must not end the host's process: it is logged
        // and the thread ends as if its work had returned.
        failure_log::RecordCaught("StartThread");
      }
      {
        std::lock_guard lock(flag->mutex);
        flag->ended = true;
        flag->ended_cv.notify_all();
      }
      if (g_unloading.load()) EndCurrentThreadNow();
    });
  }
  ~LibraryThread() override {
    if (thread_.joinable()) thread_.detach();
  }
  bool Finished() override {
    if (!thread_.joinable()) return true;
    std::lock_guard lock(flag_->mutex);
    return flag_->ended;
  }
  bool Join(unsigned timeout_ms) override {
    if (!thread_.joinable()) return true;
    {
      std::unique_lock lock(flag_->mutex);
      if (!flag_->ended_cv.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                    [&] { return flag_->ended; })) {
        return false;
      }
    }
    // The body has returned; what is left of the thread ends at once.
    thread_.join();
    return true;
  }

 private:
  std::shared_ptr<EndFlag> flag_;
  std::thread thread_;
};

}  // namespace

void BeginModuleUnload() { g_unloading.store(true); }

std::unique_ptr<Thread> Platform::StartThread(std::function<void()> body) {
  try {
    return std::make_unique<LibraryThread>(std::move(body));
  } catch (const std::system_error&) {
    return nullptr;
  }
}

}  // namespace stats
