// The setup window (Setup_UBA_Pfx, template 113): the operator's own UBA
// section, the three companion windows on or off, "Window on top", and the
// refresh that keeps the companion windows in step with the host.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/window.h"
#include "ui/companions.h"

namespace stats::ui {

class Setup_UBA_Pfx final : public WindowHandler {
 public:
  Setup_UBA_Pfx();
  ~Setup_UBA_Pfx() override;

  bool OnInit(WindowRef window) override;
  void OnCommand(WindowRef window, int control, int notification) override;
  void OnSetCursor(WindowRef window) override;
  std::intptr_t OnUserMessage(WindowRef window, unsigned message, std::uintptr_t wparam,
                              std::intptr_t lparam) override;
  void OnDestroy(WindowRef window) override;

 private:
  // The options, in check box order.
  enum Option : size_t { kOptSection = 0, kOptPrefix = 1, kOptPrevious = 2, kOptOnTop = 3 };

  void PushValues();
  void PostRefresh();
  void ToggleCompanion(Companion kind);
  void ToggleOnTop();
  void SelectSection();
  // Makes and shows a companion window unless it is open.
  void OpenCompanion(Companion kind);
  void CloseCompanion(Companion kind);
  // The live lookup (the refresh message).
  void Refresh();

  WindowRef window_ = kNoWindow;
  std::string on_section_text_;  // host text
  std::array<int, 4> options_{};
  std::unique_ptr<Uba_Section> section_;
  std::unique_ptr<Mult_Prefix> prefix_;
  std::unique_ptr<Multiplier> previous_;
};

}  // namespace stats::ui
