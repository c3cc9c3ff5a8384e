// The three companion windows of the setup window: the section grid
// (Uba_Section, template 114), the prefix list (Mult_Prefix, template 110)
// and the previous-QSO window (Multiplier, template 104) with its info table
// (CCqWwInfoButton).  They live on the window thread; the refresh fills
// them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/window.h"
#include "model/contest_constants.h"
#include "model/store.h"
#include "ui/info_row.h"
#include "resources/section_codes.h"
#include "ui/ui_state.h"

namespace stats::ui {

// What every companion window shares: Enter and Esc do nothing (the
// windows are opened and closed from the setup window), and the window's
// reference is cleared as the window is destroyed.
class CompanionWindow : public WindowHandler {
 public:
  explicit CompanionWindow(Companion kind) : kind_(kind) {}
  void OnDestroy(WindowRef window) override;

 private:
  Companion kind_;
};

class Uba_Section final : public CompanionWindow {
 public:
  Uba_Section() : CompanionWindow(kSectionWindow) {}
  bool OnInit(WindowRef window) override;
  void OnSetCursor(WindowRef window) override;

  // The refresh: the title, then the flags of the first n worked sections,
  // pushed into the check boxes.
  void Fill(WindowRef window, const std::string& title, const std::vector<std::string>& worked,
            size_t n);

 private:
  void PushFlags(WindowRef window);
  std::array<int, kGridSections.size()> flags_{};
};

class Mult_Prefix final : public CompanionWindow {
 public:
  Mult_Prefix() : CompanionWindow(kPrefixWindow) {}
  bool OnInit(WindowRef window) override;
  void OnSetCursor(WindowRef window) override;
  void OnSize(WindowRef window, int client_width, int client_height) override;
};

// The info table: paints the info rows, the entered call and the current
// band's highlight.
struct CCqWwInfoButton {
  static constexpr Color kTableColor = Rgb(255, 255, 198);
  static constexpr Color kHighlightColor = Rgb(198, 255, 255);
  // call is host text made UTF-8 by the caller, like the rows.
  static void Draw(DrawContext& dc, const std::string& call, int band_index,
                   const std::array<InfoRow, kBandCount>& rows);
};

class Multiplier final : public CompanionWindow {
 public:
  Multiplier() : CompanionWindow(kPreviousQsoWindow) {}
  bool OnInit(WindowRef window) override;
  void OnSetCursor(WindowRef window) override;
  void OnSize(WindowRef window, int client_width, int client_height) override;
  void OnDrawItem(WindowRef window, int control, DrawContext& dc) override;
};

}  // namespace stats::ui
