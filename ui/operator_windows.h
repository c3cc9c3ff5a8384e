// What the rest of the plug-in asks of the operator windows: starting and
// closing the window thread, and nudging the setup window to refresh.
#pragma once

#include <array>

#include "model/contest_constants.h"
#include "model/store.h"
#include "ui/info_row.h"

namespace stats::ui {

// The rows the previous-QSO window draws: those of the last refresh, or of
// a new run (ResetInfoRows) when none has come since.
std::array<InfoRow, kBandCount> ShownInfoRows();
// A new run: row k becomes [band name k, "-", "-", "-", "-"].
void ResetInfoRows();

// The window-thread start routine (ResetStats0): closes a running setup
// window first, then starts a new window thread.  Called without the
// contest-state lock held.
void StartWindowThread();

// Waits at most timeout_ms for the last window thread to end (after
// CloseAll); true when none is left running.  Host thread only.
bool JoinWindowThread(unsigned timeout_ms);

// Whether the previous-QSO window is open.
bool IsPreviousQsoWindowOpen();

// Whether no window thread runs any more (none was started, or its work has
// returned), found without waiting or joining.
bool WindowThreadEnded();

// Closes the companion windows and the setup window and waits for the window
// thread to let go; at process exit it does not wait.  Called without the
// contest-state lock held.
void CloseAll(bool process_exiting);

// The module's unload: closes every window, waits a bounded time until no
// window thread runs code of the module any more, and joins them.  True when
// every window thread has ended.  At process exit it does nothing.
bool Unload(bool process_exiting);

// Posts the refresh message to the setup window when it is open and no
// refresh posted this way is still pending (the typing check).
void PostRefreshIfIdle();
// Posts the refresh message whenever the setup window is open (a removal).
void PostRefresh();

}  // namespace stats::ui
