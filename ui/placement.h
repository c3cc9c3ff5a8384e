// Where the operator windows open and how they remember it: one pair of
// settings keys per window, and one last saved position shared by all four.
#pragma once

#include "platform/window.h"

namespace stats::ui {

struct PositionKeys {
  const char* x;
  const char* y;
  int default_x;  // where a stored 0 (or no key) puts the window
  int default_y;
};

inline constexpr PositionKeys kSetupPosition{"setup_uba_pref_x", "setup_uba_pref_y", 10, 400};
inline constexpr PositionKeys kSectionPosition{"uba_section_x", "uba_section_y", 10, 400};
inline constexpr PositionKeys kPrefixPosition{"member_x", "member_y", 10, 10};
inline constexpr PositionKeys kPreviousQsoPosition{"dxcc_x", "dxcc_y", 10, 400};

// Reads the window's keys into the last saved position, puts the defaults
// in place of 0, and moves the window's top-left corner there.
void PlaceWindow(WindowRef window, const PositionKeys& keys);

// The pointer is over the window: a coordinate of its top-left corner that
// differs from the last saved position is stored there and written to the
// window's key.
void SavePosition(WindowRef window, const PositionKeys& keys);

// What every companion window does as it opens: its place, topmost when
// "Window on top" is set, its icon, and no Close command.
void OpenCompanionFrame(WindowRef window, const PositionKeys& keys);

}  // namespace stats::ui
