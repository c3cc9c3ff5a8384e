#include "ui/placement.h"

#include <algorithm>
#include <mutex>

#include "model/settings.h"
#include "resources/windows_ids.h"
#include "ui/ui_state.h"

namespace stats::ui {

void ClampIntoWorkArea(int& x, int& y, const Rect& rect, const Rect& work_area) {
  if (work_area.Width() <= 0 || work_area.Height() <= 0) return;
  x = std::max(work_area.left, std::min(x, work_area.right - rect.Width()));
  y = std::max(work_area.top, std::min(y, work_area.bottom - rect.Height()));
}

void PlaceWindow(WindowRef window, const PositionKeys& keys) {
  int x = settings::ReadInt(keys.x);
  int y = settings::ReadInt(keys.y);
  if (x == 0) x = keys.default_x;
  if (y == 0) y = keys.default_y;
  {
    UiState& ui = Ui();
    std::lock_guard lock(ui.mutex);
    ui.saved_positions[keys.slot] = {x, y};
  }
  // A position saved on a screen that is no longer there (or larger than
  // this one) would put the window out of reach.
  WindowSystem& gui = Gui();
  ClampIntoWorkArea(x, y, gui.WindowRect(window), gui.WorkArea(window));
  gui.MoveTo(window, x, y);
}

void SavePosition(WindowRef window, const PositionKeys& keys) {
  const Rect rect = Gui().WindowRect(window);
  // A window that is already gone has no place to remember.
  if (rect == Rect{}) return;
  bool write_x = false, write_y = false;
  {
    UiState& ui = Ui();
    std::lock_guard lock(ui.mutex);
    auto& [saved_x, saved_y] = ui.saved_positions[keys.slot];
    if (rect.left != saved_x) {
      saved_x = rect.left;
      write_x = true;
    }
    if (rect.top != saved_y) {
      saved_y = rect.top;
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
