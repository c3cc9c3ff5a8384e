// The operator windows' own process-wide values, shared by the host's
// thread and the window thread.
//
// The window references and the two flags are atomics: the host's thread
// reads them to post the refresh message and to close the windows.  The
// values that only the window thread uses live under the UI's own small
// lock, which is never held while a window is called or a thread waited for.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/window.h"
#include "model/contest_constants.h"
#include "model/store.h"
#include "ui/info_row.h"

namespace stats::ui {

// The refresh message, posted to the setup window (both parameters 0).
inline constexpr unsigned kRefreshMessage = 1524;

// The background of the setup, section and prefix windows and of the empty
// info table.
inline constexpr Color kWindowColor = Rgb(255, 250, 198);
inline constexpr Color kBlack = Rgb(0, 0, 0);

// The companion windows, in the order in which they open and close.
enum Companion : size_t { kSectionWindow = 0, kPrefixWindow = 1, kPreviousQsoWindow = 2 };
inline constexpr size_t kCompanionCount = 3;

// One window thread.  The host's thread hands it module references (for its
// opening, for each refresh that the host asks for, for its end when a new
// run replaces it); the thread holds them while it waits for the host or the
// settings file, and lets them go when that work is done.
struct WindowThread {
  // References handed to the thread and not yet let go; kClosed once the
  // thread has taken its last look, after which none can be handed to it.
  static constexpr int kClosed = -(1 << 24);
  std::atomic<int> references{0};
  // A newer run replaces this thread: it opens no setup window any more.
  std::atomic<bool> cancelled{false};
  // Host's thread and unload only.
  std::unique_ptr<Thread> thread;
};

struct UiState {
  // Set by the window thread while its setup window exists.
  std::atomic<WindowRef> setup{kNoWindow};
  // Set by the window thread when it makes a companion window, cleared by
  // the window itself as it is destroyed.
  std::array<std::atomic<WindowRef>, kCompanionCount> companions{};
  // 1 when no refresh posted by the typing check is pending.
  std::atomic<int> refresh_done{1};
  // From the start of a window thread until its procedure has returned.
  std::atomic<bool> thread_active{false};
  // The "Window on top" option, read by each companion window as it opens.
  std::atomic<bool> on_top{false};

  // -- Window thread values, under mutex ------------------------------------
  std::mutex mutex;
  // Per window (setup, section, prefix, previous-QSO): the position last
  // read from or written to its keys in the settings file.
  std::array<std::pair<int, int>, 4> saved_positions{};
  // The call in the host's entry line at the last refresh (host bytes).
  std::string entered_call;
  // Band index of the host's frequency at the last refresh, -1 for none.
  int band_index = -1;
  // A refresh has read the host's entry line and frequency: a refresh of the
  // window's own may show what it read.
  bool host_answered = false;
  // The frequency (Hz) at which "<SP1>" was last sent; never reset.
  double last_command_frequency = 0.0;
  // The rows the previous-QSO window draws.
  std::array<InfoRow, kBandCount> info_rows{};

  // The module is unloading: the window threads close their windows, open no
  // new ones, and make no call that would wait for the host's thread.
  std::atomic<bool> unloading{false};

  // -- Window threads, under threads_mutex ------------------------------------
  // Never held while a window is called or a thread waited for.
  std::mutex threads_mutex;
  // The thread of the latest run, which owns (or will own) the setup window.
  std::shared_ptr<WindowThread> current;
  // Every thread not yet joined, the current one included.
  std::vector<std::shared_ptr<WindowThread>> threads;
};

// The one UI state of the process; lives until the process ends.
UiState& Ui();

}  // namespace stats::ui
