// A small dialog layer over the plain Win32 dialog functions: a modal dialog
// from a template in the module's resources whose controls exchange texts
// with members of the caller - edit boxes and editable drop-down boxes.
//
// Data exchange: when the dialog opens, an edit box shows its member's text;
// a drop-down box gets its entries from the choice lists kept beside the
// template (an RCDATA resource with the template's id) and selects the first
// entry that begins with the member's text, ignoring letter case, or shows
// the text itself when none does or the text is empty.  OK (also Enter in a
// single-line box) reads every box back into its member - a drop-down box
// gives the text it shows, picked or typed - and ends the dialog with IDOK;
// CANCEL, Esc and the close box end it with IDCANCEL and read nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/choice_list.h"
#include "platform/win32/handles.h"

namespace stats::win32 {

// The text of a window or control.
std::wstring WindowText(HWND window);

// The choice lists kept beside a dialog template; empty when there are none.
ChoiceLists LoadChoiceLists(int template_id);

class ModalDialog {
 public:
  explicit ModalDialog(int template_id, TextCoding coding = TextCoding::kHostCodePage);
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // The member must outlive Run().
  void BindEdit(int control_id, std::string* member);
  void BindChoice(int control_id, std::string* member);

  // Shows the dialog modally and returns when it is closed: IDOK when the
  // members were read back, IDCANCEL when not, -1 when the dialog could not
  // be created.
  INT_PTR Run(HWND owner = nullptr);

 protected:
  // Hooks for dialogs with more to do; the base does nothing.
  virtual void OnInit(HWND /*dialog*/) {}

 private:
  struct Binding {
    int control_id;
    bool choice;
    std::string* member;
  };
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void Fill(HWND dialog);
  void ReadBack(HWND dialog);

  int template_id_;
  TextCoding coding_;
  std::vector<Binding> bindings_;
  ChoiceLists choices_;
};

}  // namespace stats::win32
