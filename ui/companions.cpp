#include "ui/companions.h"

#include <algorithm>
#include <mutex>

#include "resources/windows_ids.h"
#include "ui/lookup.h"
#include "ui/placement.h"

namespace stats::ui {
namespace {

// A control stretched over the client area, but for a margin of 1 pixel at
// the top and left and 3 at the right and bottom.
Rect StretchedOver(int client_width, int client_height) {
  return {1, 1, 1 + client_width - 4, 1 + client_height - 4};
}

}  // namespace

void CompanionWindow::OnDestroy(WindowRef window) {
  WindowRef expected = window;
  Ui().companions[kind_].compare_exchange_strong(expected, kNoWindow);
}

// -- Section window -----------------------------------------------------------

bool Uba_Section::OnInit(WindowRef window) {
  PushFlags(window);
  OpenCompanionFrame(window, kSectionPosition);
  Gui().SetColors(window, kBlack, kWindowColor);
  return true;
}

void Uba_Section::OnSetCursor(WindowRef window) { SavePosition(window, kSectionPosition); }

void Uba_Section::Fill(WindowRef window, const std::string& title,
                       const std::vector<std::string>& worked, size_t n) {
  Gui().SetTitle(window, title);
  flags_ = SectionFlags(worked, n);
  PushFlags(window);
}

void Uba_Section::PushFlags(WindowRef window) {
  for (size_t k = 0; k < flags_.size(); ++k) {
    Gui().SetCheck(window, IDC_SECTION_FIRST + static_cast<int>(k), flags_[k] != 0);
  }
}

// -- Prefix window --------------------------------------------------------------

bool Mult_Prefix::OnInit(WindowRef window) {
  OpenCompanionFrame(window, kPrefixPosition);
  Gui().SetColors(window, kBlack, kWindowColor);
  return true;
}

void Mult_Prefix::OnSetCursor(WindowRef window) { SavePosition(window, kPrefixPosition); }

void Mult_Prefix::OnSize(WindowRef window, int client_width, int client_height) {
  Gui().MoveControl(window, IDC_PREFIX_LIST, StretchedOver(client_width, client_height));
}

// -- Previous-QSO window ----------------------------------------------------------

bool Multiplier::OnInit(WindowRef window) {
  OpenCompanionFrame(window, kPreviousQsoPosition);
  return true;
}

void Multiplier::OnSetCursor(WindowRef window) { SavePosition(window, kPreviousQsoPosition); }

void Multiplier::OnSize(WindowRef window, int client_width, int client_height) {
  Gui().MoveControl(window, IDC_INFO_TABLE, StretchedOver(client_width, client_height));
}

void Multiplier::OnDrawItem(WindowRef /*window*/, int control, DrawContext& dc) {
  if (control != IDC_INFO_TABLE) return;
  // Every paint reads the rows of the last refresh afresh; a new run may be
  // resetting them, so they are copied under the UI's lock and drawn
  // without it.
  std::array<InfoRow, kBandCount> rows;
  std::string call;
  int band = -1;
  {
    UiState& ui = Ui();
    std::lock_guard lock(ui.mutex);
    rows = ui.info_rows;
    call = ui.entered_call;
    band = ui.band_index;
  }
  const WindowSystem& gui = Gui();
  for (InfoRow& row : rows) {
    for (std::string& text : row) text = gui.HostToUtf8(text);
  }
  CCqWwInfoButton::Draw(dc, gui.HostToUtf8(call), band, rows);
}

void CCqWwInfoButton::Draw(DrawContext& dc, const std::string& call, int band_index,
                           const std::array<InfoRow, kBandCount>& rows) {
  const Rect item = dc.ItemRect();
  if (call.empty()) {
    // Nothing typed in the host: a plain area in the window colour.
    dc.Fill(item, kWindowColor);
    return;
  }
  dc.Fill(item, kTableColor);
  const int h = item.bottom / 7;
  if (band_index >= 0) {
    dc.Fill({0, (band_index + 1) * h, item.right, (band_index + 2) * h}, kHighlightColor);
  }
  dc.SetTransparentBackground();
  // The positions are those of a screen of 96 dots per inch; the window's
  // font grows with the screen's dots per inch, and so do they.
  const int dpi = dc.Dpi();
  const auto at = [dpi](int px) { return px * dpi / 96; };
  dc.PutText(at(20), at(18), "Band");
  dc.PutText(at(100), at(18), "Mode");
  dc.PutText(at(160), 0, call);
  dc.PutText(at(178), at(18), "Time");
  dc.PutText(at(245), at(18), "Prov/NR");
  // One line per band, 160m to 10m, each in the middle of its stripe, so
  // that the 160m line keeps clear of the header above it.
  const int offset = std::max(0, (h - dc.LineHeight()) / 2);
  for (int r = 0; r < kBandCount; ++r) {
    const InfoRow& row = rows[static_cast<size_t>(r)];
    const int y = (r + 1) * h + offset;
    dc.PutText(at(20), y, row[0]);
    dc.PutText(at(100), y, row[1]);
    dc.PutText(at(180), y, row[2]);
    dc.PutText(at(260), y, row[3]);
  }
}

}  // namespace stats::ui
