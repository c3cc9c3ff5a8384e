// Where the operator windows open and how they remember it: one pair of
// settings keys per window, and per window the position last read from or
// written to them.
#pragma once

#include "platform/window.h"

namespace stats::ui {

struct PositionKeys {
  const char* x;
  const char* y;
  int default_x;  // where a stored 0 (or no key) puts the window
  int default_y;
  size_t slot;    // the window's own saved pair in UiState
};

// The defaults keep the four windows apart on a screen of 1024 x 768: the
// prefix list at the top left, the section grid beside it, the setup window
// below the list and the previous-QSO window beside that.
inline constexpr PositionKeys kSetupPosition{"setup_uba_pref_x", "setup_uba_pref_y", 10, 400, 0};
inline constexpr PositionKeys kSectionPosition{"uba_section_x", "uba_section_y", 390, 10, 1};
inline constexpr PositionKeys kPrefixPosition{"member_x", "member_y", 10, 10, 2};
inline constexpr PositionKeys kPreviousQsoPosition{"dxcc_x", "dxcc_y", 270, 400, 3};

// The top-left corner that puts a window of the size of rect inside the work
// area, as near to (x, y) as it can; a window larger than the area keeps its
// top-left corner inside it.
void ClampIntoWorkArea(int& x, int& y, const Rect& rect, const Rect& work_area);

// Reads the window's keys into its saved position, puts the defaults in
// place of 0, and moves the window's top-left corner there, or as near as
// keeps it inside the work area of its screen.
void PlaceWindow(WindowRef window, const PositionKeys& keys);

// The pointer is over the window: a coordinate of its top-left corner that
// differs from the window's own saved position is stored there and written
// to the window's key.
void SavePosition(WindowRef window, const PositionKeys& keys);

// What every companion window does as it opens: its place, topmost when
// "Window on top" is set, its icon, and no Close command.
void OpenCompanionFrame(WindowRef window, const PositionKeys& keys);

}  // namespace stats::ui
