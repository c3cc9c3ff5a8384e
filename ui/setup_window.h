// The setup window (Setup_UBA_Pfx, template 113): the operator's own UBA
// section, the three companion windows on or off, "Window on top", and the
// refresh that keeps the companion windows in step with the host.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/window.h"
#include "ui/companions.h"
#include "ui/ui_state.h"

namespace stats::ui {

class Setup_UBA_Pfx final : public WindowHandler {
 public:
  // thread: the window thread that runs this window, whose module
  // references decide whether the window may wait for the host.
  explicit Setup_UBA_Pfx(WindowThread& thread);
  ~Setup_UBA_Pfx() override;

  bool OnInit(WindowRef window) override;
  void OnCommand(WindowRef window, int control, int notification) override;
  void OnSetCursor(WindowRef window) override;
  std::intptr_t OnUserMessage(WindowRef window, unsigned message, std::uintptr_t wparam,
                              std::intptr_t lparam) override;
  void OnClose(WindowRef window) override;
  void OnDestroy(WindowRef window) override;

 private:
  // The options, in check box order.
  enum Option : size_t { kOptSection = 0, kOptPrefix = 1, kOptPrevious = 2, kOptOnTop = 3 };

  void PushValues();
  // wparam 1: the message carries a module reference for its refresh.
  void PostRefresh(std::uintptr_t carries_reference = 0);
  void ToggleCompanion(Companion kind);
  void ToggleOnTop();
  void SelectSection();
  // Makes and shows a companion window unless it is open.
  void OpenCompanion(Companion kind);
  void CloseCompanion(Companion kind);
  // The live lookup (the refresh message).
  // carries_reference: the message came with a module reference of its own.
  void Refresh(bool carries_reference);

  WindowThread& thread_;
  WindowRef window_ = kNoWindow;
  // WM_CLOSE has arrived: the window opens nothing any more.
  bool closing_ = false;
  std::string on_section_text_;  // host text
  std::array<int, 4> options_{};
  std::unique_ptr<Uba_Section> section_;
  std::unique_ptr<Mult_Prefix> prefix_;
  std::unique_ptr<Multiplier> previous_;
};

}  // namespace stats::ui
