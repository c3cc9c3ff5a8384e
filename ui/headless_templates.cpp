#include "ui/headless_templates.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/headless/headless_gui.h"
#include "resources/section_codes.h"
#include "resources/windows_ids.h"

namespace stats::ui {
namespace {

using headless::ControlKind;
using headless::ControlState;
using headless::kSansSerif8;
using headless::kSystem10;
using headless::MakeControl;
using headless::WindowState;

void Add(WindowState& w, ControlState c) { w.controls[c.id] = std::move(c); }

WindowState SetupTemplate() {
  WindowState w;
  w.title = "Setup CQ-UBA- PFX";
  w.client_rect = kSansSerif8.Of(0, 0, 159, 62);
  Add(w, MakeControl(IDC_ON_SECTION_LABEL, ControlKind::kStatic, kSansSerif8.Of(15, 7, 52, 18),
                     "Select your ON         section"));
  ControlState combo =
      MakeControl(IDC_ON_SECTION, ControlKind::kCombo, kSansSerif8.Of(20, 30, 40, 139));
  for (size_t k = 0; k < kComboSections; ++k) combo.items.emplace_back(kGridSections[k]);
  std::sort(combo.items.begin(), combo.items.end());
  Add(w, std::move(combo));
  Add(w, MakeControl(IDC_VIEW_LABEL, ControlKind::kStatic, kSansSerif8.Of(80, 7, 68, 10), "View"));
  Add(w, MakeControl(IDC_OPT_SECTION, ControlKind::kCheckBox, kSansSerif8.Of(73, 14, 66, 13),
                     "ON section"));
  Add(w, MakeControl(IDC_OPT_PREFIX, ControlKind::kCheckBox, kSansSerif8.Of(73, 25, 66, 13),
                     "WPX prefix"));
  Add(w, MakeControl(IDC_OPT_PREVIOUS, ControlKind::kCheckBox, kSansSerif8.Of(73, 36, 78, 13),
                     "View previous QSO"));
  Add(w, MakeControl(IDC_OPT_ON_TOP, ControlKind::kCheckBox, kSansSerif8.Of(73, 47, 78, 13),
                     "Window on top"));
  return w;
}

WindowState SectionTemplate() {
  WindowState w;
  w.title = "VA-ZIZ-AVO UBA Section";
  w.client_rect = kSansSerif8.Of(0, 0, 269, 125);
  constexpr int kLines[] = {7, 18, 28, 39, 50, 61, 72, 83, 94, 105};
  constexpr int kColumns[] = {7, 36, 65, 92, 121, 149, 178, 207, 237};
  for (size_t k = 0; k < kGridSections.size(); ++k) {
    const std::string_view code = kGridSections[k];
    int x = kColumns[k % 9], y = kLines[k / 9], width = 26;
    if (code == "CDZ") y = 17;
    if (code == "MWV") width = 28;
    if (code == "ZLB") x = 35;
    if (code == "ZTM") x = 91;
    Add(w, MakeControl(IDC_SECTION_FIRST + static_cast<int>(k), ControlKind::kCheckBox,
                       kSansSerif8.Of(x, y, width, 10), std::string(code)));
  }
  return w;
}

WindowState PrefixTemplate() {
  WindowState w;
  w.title = "SA Prefix";
  w.client_rect = kSystem10.Of(0, 0, 180, 96);
  ControlState list =
      MakeControl(IDC_PREFIX_LIST, ControlKind::kListBox, kSystem10.Of(0, 2, 179, 94));
  list.sorted = true;
  Add(w, std::move(list));
  return w;
}

WindowState PreviousQsoTemplate() {
  WindowState w;
  w.title = "VA-ZIZ-AVO";
  w.client_rect = kSansSerif8.Of(0, 0, 241, 117);
  Add(w, MakeControl(IDC_INFO_TABLE, ControlKind::kOwnerDrawButton,
                     kSansSerif8.Of(0, 0, 241, 117)));
  return w;
}

}  // namespace

void DefineHeadlessTemplates() {
  static std::once_flag defined;
  std::call_once(defined, [] {
    headless::DefineTemplate(IDD_SETUP, SetupTemplate());
    headless::DefineTemplate(IDD_SECTION, SectionTemplate());
    headless::DefineTemplate(IDD_PREFIX, PrefixTemplate());
    headless::DefineTemplate(IDD_PREVIOUS_QSO, PreviousQsoTemplate());
  });
}

}  // namespace stats::ui
