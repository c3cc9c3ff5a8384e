// A modal form from the module's dialog templates, for forms that show texts
// and read them back: the platform runs the dialog, the caller says which
// text goes into which control.  Implemented where there is a window system
// (platform/win32/dialog.cpp).
#pragma once

#include <string>
#include <vector>

namespace stats {

struct FormBinding {
  int control_id;
  bool choice;          // a drop-down list with the template's choices; else an edit box
  std::string* member;  // shown, and read back when confirmed; outlives the form
};

// Shows dialog template_id modally, without a parent window, and returns
// when it is closed: true when the operator confirmed it (the members then
// hold the edited texts), false when it was cancelled or could not be
// created (the members are then not to be used).
bool RunFormDialog(int template_id, const std::vector<FormBinding>& bindings);

}  // namespace stats
