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

#include "platform/platform.h"
#include "platform/window.h"

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
  // The position last read from or written to the settings file, shared by
  // all four windows.
  int saved_x = 0;
  int saved_y = 0;
  // The call in the host's entry line at the last refresh (host bytes).
  std::string entered_call;
  // Band index of the host's frequency at the last refresh, -1 for none.
  int band_index = -1;
  // The frequency (Hz) at which "<SP1>" was last sent; never reset.
  double last_command_frequency = 0.0;

  // -- Host thread only -----------------------------------------------------
  std::unique_ptr<Thread> thread;
};

// The one UI state of the process; lives until the process ends.
UiState& Ui();

}  // namespace stats::ui
