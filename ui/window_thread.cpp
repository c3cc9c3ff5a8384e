#include "ui/windows.h"

namespace stats::ui {

// Placeholders until the window thread is built: no windows, nothing to
// refresh.
void StartWindowThread() {}
bool IsPreviousQsoWindowOpen() { return false; }
void CloseAll(bool /*process_exiting*/) {}
void PostRefreshIfIdle() {}
void PostRefresh() {}

}  // namespace stats::ui
