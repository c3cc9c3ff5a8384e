#include "ui/placement.h"

#include <mutex>

#include "plugin/settings.h"
#include "resources/windows_ids.h"
#include "ui/ui_state.h"

namespace stats::ui {

void PlaceWindow(WindowRef window, const PositionKeys& keys) {
  int x = settings::ReadInt(keys.x);
  int y = settings::ReadInt(keys.y);
  if (x == 0) x = keys.default_x;
  if (y == 0) y = keys.default_y;
  {
    UiState& ui = Ui();
    std::lock_guard lock(ui.mutex);
    ui.saved_x = x;
    ui.saved_y = y;
  }
  Gui().MoveTo(window, x, y);
}

void SavePosition(WindowRef window, const PositionKeys& keys) {
  const Rect rect = Gui().WindowRect(window);
  // A window that is already gone has no place to remember.
  if (rect == Rect{}) return;
  bool write_x = false, write_y = false;
  {
    UiState& ui = Ui();
    std::lock_guard lock(ui.mutex);
    if (rect.left != ui.saved_x) {
      ui.saved_x = rect.left;
      write_x = true;
    }
    if (rect.top != ui.saved_y) {
      ui.saved_y = rect.top;
      write_y = true;
    }
  }
  if (write_x) settings::WriteInt(keys.x, rect.left);
  if (write_y) settings::WriteInt(keys.y, rect.top);
}

void OpenCompanionFrame(WindowRef window, const PositionKeys& keys) {
  PlaceWindow(window, keys);
  if (Ui().on_top.load()) Gui().MakeTopmost(window);
  Gui().SetLargeIcon(window, IDI_STATS);
  Gui().DisableCloseCommand(window);
}

}  // namespace stats::ui
