// The shared object as a host loads and unloads it: a window thread that is
// stuck in a settings read while the host unloads the plug-in, and many
// load/unload cycles, which must neither crash nor pile up threads.
//
// The test program stands in for the file system where it matters: its own
// fopen and open (exported, so the plug-in's calls reach them) can hold a
// read of the settings file from another thread, as a slow drive would.  Its
// own pthread_create can hold the threads that the plug-in starts until the
// host is back from the export that started them, as a busy machine may.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "plugin/abi.h"

namespace {

std::atomic<bool> g_stall_armed{false};
std::atomic<bool> g_stalled{false};
std::atomic<bool> g_stall_released{false};
std::atomic<bool> g_stall_over{false};
pthread_t g_test_thread;
// How long a wait for something that the test itself brings about may take
// before the test gives up on it: only a guard against hanging, never a
// figure that a busy machine could reach.
constexpr auto kHangGuard = std::chrono::seconds(60);

// Waits until flag is set; false when the guard ran out first.
bool AwaitFlag(const std::atomic<bool>& flag) {
  const auto until = std::chrono::steady_clock::now() + kHangGuard;
  while (!flag.load()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A read of the settings file by a thread of the plug-in, once armed, hangs
// until the test lets it go, as on a slow drive.  The test sees it begin
// (g_stalled) and end (g_stall_over).
void MaybeStall(const char* path) {
  if (path == nullptr || std::string(path).find("ZEVUVI.ini") == std::string::npos) return;
  if (pthread_equal(pthread_self(), g_test_thread)) return;
  bool armed = true;
  if (!g_stall_armed.compare_exchange_strong(armed, false)) return;
  g_stalled.store(true);
  AwaitFlag(g_stall_released);
  g_stall_over.store(true);
}

template <typename Fn>
Fn Next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

// Threads started while g_hold_threads is set wait for g_threads_released
// before they run.
std::atomic<bool> g_hold_threads{false};
std::atomic<bool> g_threads_released{false};

struct HeldStart {
  void* (*start)(void*);
  void* argument;
};

void* RunWhenReleased(void* held_start) {
  const HeldStart held = *static_cast<HeldStart*>(held_start);
  delete static_cast<HeldStart*>(held_start);
  AwaitFlag(g_threads_released);
  return held.start(held.argument);
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) FILE* fopen(const char* path, const char* mode) {
  MaybeStall(path);
  static auto next = Next<FILE* (*)(const char*, const char*)>("fopen");
  return next(path, mode);
}

__attribute__((visibility("default"))) FILE* fopen64(const char* path, const char* mode) {
  MaybeStall(path);
  static auto next = Next<FILE* (*)(const char*, const char*)>("fopen64");
  return next(path, mode);
}

__attribute__((visibility("default"))) int open(const char* path, int flags, ...) {
  MaybeStall(path);
  mode_t mode = 0;
  if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  static auto next = Next<int (*)(const char*, int, ...)>("open");
  return next(path, flags, mode);
}

__attribute__((visibility("default"))) int open64(const char* path, int flags, ...) {
  MaybeStall(path);
  mode_t mode = 0;
  if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  static auto next = Next<int (*)(const char*, int, ...)>("open64");
  return next(path, flags, mode);
}

__attribute__((visibility("default"))) int pthread_create(pthread_t* thread,
                                                          const pthread_attr_t* attributes,
                                                          void* (*start)(void*), void* argument) {
  static auto next =
      Next<int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*)>("pthread_create");
  if (!g_hold_threads.load()) return next(thread, attributes, start, argument);
  auto* held = new HeldStart{start, argument};
  const int result = next(thread, attributes, RunWhenReleased, held);
  if (result != 0) delete held;
  return result;
}

}  // extern "C"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Whether the plug-in is still mapped in this process.
bool Loaded() {
  void* handle = dlopen(STATS_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

bool WaitUntilUnloaded(std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (Loaded()) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The process's virtual memory in kB (VmSize).
long VirtualKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) == 0) return std::stol(line.substr(7));
  }
  return -1;
}

class ModuleUnloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_test_thread = pthread_self();
    old_cwd_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("stats-unload-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir_ / "Plugins");
    fs::current_path(dir_);
    ASSERT_FALSE(Loaded()) << "another test left the plug-in loaded";
  }
  void TearDown() override {
    g_stall_armed.store(false);
    g_stall_released.store(true);
    g_hold_threads.store(false);
    g_threads_released.store(true);
    fs::current_path(old_cwd_);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  static void WriteSettings(const std::string& body) {
    std::ofstream("Plugins/ZEVUVI.ini", std::ios::binary) << "[Settings]\r\n" << body;
  }

  // Loads the plug-in and starts a contest run, which opens the setup window
  // on the window thread.
  void* LoadAndStart() {
    void* handle = dlopen(STATS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(handle, nullptr) << dlerror();
    if (handle == nullptr) return nullptr;
    auto reset = reinterpret_cast<ResetStats0Fn>(dlsym(handle, "ResetStats0"));
    EXPECT_NE(reset, nullptr);
    if (reset == nullptr) return handle;
    const std::string folder = dir_.string() + "/";
    const OleDateTime start{42741.75, 0}, end{42742.75, 0};
    const char* b = "";
    EXPECT_EQ(reset(folder.c_str(), 0, "DL1XYZ", &start, &end, b, b, b, b, b, b, b, b, b, "DL", 0,
                    0, 0, 0.0, 0.0, b, b, b),
              1);
    return handle;
  }

  // Unloads and returns how long dlclose took.
  static std::chrono::milliseconds Unload(void* handle) {
    const auto start = Clock::now();
    EXPECT_EQ(dlclose(handle), 0);
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  }

  fs::path dir_;
  fs::path old_cwd_;
};

TEST_F(ModuleUnloadTest, AWindowThreadStuckInASettingsReadOutlivesTheUnload) {
  WriteSettings("setup_prev_qso=1\r\nsetup_wpx_pref=1\r\n");
  // The window thread starts only once the host is back from ResetStats0:
  // its first settings read, which then hangs, cannot hold the host up
  // inside the export, and the host unloads while the read hangs.
  g_hold_threads.store(true);
  g_threads_released.store(false);
  void* handle = LoadAndStart();
  g_hold_threads.store(false);
  ASSERT_NE(handle, nullptr);
  g_stalled.store(false);
  g_stall_released.store(false);
  g_stall_over.store(false);
  g_stall_armed.store(true);
  g_threads_released.store(true);
  // The window thread opens its setup window and reads the settings file:
  // the first of its reads hangs until this test lets it go.
  ASSERT_TRUE(AwaitFlag(g_stalled)) << "the window thread read no settings";

  // The host unloads while that read hangs: it returns at once...
  EXPECT_LT(Unload(handle), std::chrono::milliseconds(1000));
  EXPECT_FALSE(g_stall_over.load()) << "the unload waited for the read";
  // ...the library stays mapped for the thread, which finishes its opening
  // once the read is over, closes its windows and lets the library go.
  EXPECT_TRUE(Loaded());
  g_stall_released.store(true);
  EXPECT_TRUE(WaitUntilUnloaded(std::chrono::seconds(10)));
  EXPECT_TRUE(g_stall_over.load());
  // Nothing of the plug-in runs any more; this process is alive to see it.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(Loaded());
}

TEST_F(ModuleUnloadTest, LoadAndUnloadCyclesKeepMemoryFlat) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  // The sanitizers keep freed memory in quarantine and map shadow memory of
  // their own: the process's size says nothing about the plug-in there.
  GTEST_SKIP() << "virtual memory is not the plug-in's own under a sanitizer";
#endif
  long after_warm_up = 0;
  for (int cycle = 1; cycle <= 200; ++cycle) {
    WriteSettings("setup_prev_qso=1\r\n");  // "Start" clear: every run opens windows
    void* handle = LoadAndStart();
    ASSERT_NE(handle, nullptr);
    EXPECT_LT(Unload(handle), std::chrono::milliseconds(1000)) << "cycle " << cycle;
    ASSERT_TRUE(WaitUntilUnloaded(std::chrono::seconds(5))) << "cycle " << cycle;
    if (cycle == 20) after_warm_up = VirtualKb();
  }
  const long at_end = VirtualKb();
  ASSERT_GT(after_warm_up, 0);
  // A thread left behind in each cycle would keep its stack (megabytes).
  EXPECT_LT(at_end - after_warm_up, 32 * 1024)
      << "virtual memory grew from " << after_warm_up << " kB to " << at_end << " kB";
}

}  // namespace
