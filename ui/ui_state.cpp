#include "ui/ui_state.h"

namespace stats::ui {

UiState& Ui() {
  // Never destroyed: a window thread may still run while the process tears
  // down its static objects.
  static UiState* state = new UiState;
  return *state;
}

}  // namespace stats::ui
