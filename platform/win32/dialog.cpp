#include "platform/win32/dialog.h"

#include "platform/failure_log.h"
#include "platform/form_dialog.h"
#include "platform/win32/handles.h"

namespace stats::win32 {
std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int n = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

ChoiceLists LoadChoiceLists(int template_id) {
  // Resource data belongs to the module and needs no freeing.
  HMODULE module = Module();
  HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(template_id), RT_RCDATA);
  if (found == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, found);
  const DWORD size = ::SizeofResource(module, found);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {};
  return ParseChoiceLists(std::string_view(static_cast<const char*>(bytes), size));
}

ModalDialog::ModalDialog(int template_id, TextCoding coding)
    : template_id_(template_id), coding_(coding) {}

void ModalDialog::BindEdit(int control_id, std::string* member) {
  bindings_.push_back({control_id, false, member});
}

void ModalDialog::BindChoice(int control_id, std::string* member) {
  bindings_.push_back({control_id, true, member});
}

INT_PTR ModalDialog::Run(HWND owner) {
  choices_ = LoadChoiceLists(template_id_);
  const INT_PTR result = ::DialogBoxParamW(Module(), MAKEINTRESOURCEW(template_id_), owner,
                                           &Procedure, reinterpret_cast<LPARAM>(this));
  if (result == -1) {
    failure_log::Record("DialogBoxParam", "template " + std::to_string(template_id_),
                        ErrorText(::GetLastError()));
  }
  return result;
}

void ModalDialog::Fill(HWND dialog) {
  for (const Binding& b : bindings_) {
    HWND control = ::GetDlgItem(dialog, b.control_id);
    if (control == nullptr) continue;
    const std::wstring text = ToWide(*b.member, coding_);
    if (!b.choice) {
      ::SetWindowTextW(control, text.c_str());
      continue;
    }
    static const std::vector<std::string> kNone;
    auto list = choices_.find(b.control_id);
    const std::vector<std::string>& entries = list != choices_.end() ? list->second : kNone;
    for (const std::string& entry : entries) {
      const std::wstring wide = ToWide(entry, coding_);
      ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    const int index = FirstEntryBeginningWith(entries, *b.member);
    if (index >= 0) {
      ::SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    } else {
      ::SetWindowTextW(control, text.c_str());
    }
  }
}

void ModalDialog::ReadBack(HWND dialog) {
  for (const Binding& b : bindings_) {
    HWND control = ::GetDlgItem(dialog, b.control_id);
    if (control != nullptr) *b.member = FromWide(WindowText(control), coding_);
  }
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND dialog, UINT message, WPARAM wparam,
                                        LPARAM lparam) {
  // Nothing may leave the dialog procedure as an exception: a failure while
  // the form opens or is read closes it as cancelled.
  try {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      auto* self = reinterpret_cast<ModalDialog*>(lparam);
      self->Fill(dialog);
      self->OnInit(dialog);
      return TRUE;
    }
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) return FALSE;
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
          self->ReadBack(dialog);
          ::EndDialog(dialog, IDOK);
          return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
          ::EndDialog(dialog, IDCANCEL);
          return TRUE;
        }
        return FALSE;
      case WM_CLOSE:
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      default:
        return FALSE;
    }
  } catch (...) {
    failure_log::RecordCaught("RunFormDialog");
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
}

}  // namespace stats::win32

namespace stats {

bool RunFormDialog(int template_id, const std::vector<FormBinding>& bindings) {
  win32::ModalDialog dialog(template_id);
  for (const FormBinding& b : bindings) {
    if (b.choice) {
      dialog.BindChoice(b.control_id, b.member);
    } else {
      dialog.BindEdit(b.control_id, b.member);
    }
  }
  return dialog.Run() == IDOK;
}

}  // namespace stats
