// The window system on Windows: real dialogs from the module's dialog
// templates, one dialog procedure that hands their events to the window
// handlers of ui/, and the off-screen drawing of owner-drawn controls.
//
// Texts cross this file as UTF-8 and become UTF-16 only at the W function.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/failure_log.h"
#include "platform/win32/dialog.h"
#include "platform/win32/gui_handles.h"
#include "platform/win32/handles.h"
#include "platform/window.h"

namespace stats {
namespace {

using win32::Widen;

HWND AsHwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }
WindowRef AsRef(HWND hwnd) { return reinterpret_cast<WindowRef>(hwnd); }
COLORREF AsColorref(Color c) { return RGB(c.red, c.green, c.blue); }

// What the window system keeps for one dialog, from WM_INITDIALOG to
// WM_NCDESTROY (DWLP_USER).
struct Dialog {
  WindowHandler* handler = nullptr;
  int template_id = 0;
  bool modal = false;
  // A modeless dialog's record belongs to its window once it exists; a
  // modal one's lives in RunModal's frame.
  bool owned_by_window = false;
  // WM_INITDIALOG has arrived: the window was made.
  bool initialised = false;
  bool has_colors = false;
  COLORREF text = 0;
  COLORREF background = 0;
  win32::UniqueBrush brush;
};

Dialog* DialogOf(HWND hwnd) {
  return reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// One of this window system's dialogs (and not another dialog of the
// process, whose DWLP_USER means something else).
Dialog* OurDialog(HWND hwnd) {
  if (hwnd == nullptr || !::IsWindow(hwnd)) return nullptr;
  if (::GetWindowLongPtrW(hwnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(&DialogProc)) {
    return nullptr;
  }
  return DialogOf(hwnd);
}

// The choice lists kept beside a template: each combo box's list is filled
// when its dialog is made (the setup window offers the section codes).
void FillTemplateChoices(HWND hwnd, int template_id) {
  for (const auto& [control, entries] : win32::LoadChoiceLists(template_id)) {
    HWND combo = ::GetDlgItem(hwnd, control);
    if (combo == nullptr) continue;
    for (const std::string& entry : entries) {
      const std::wstring text = Widen(entry);
      ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
}

// The drawing context of one WM_DRAWITEM: a memory context over the
// target's clipping box, copied to the target with one BitBlt when the
// handler is done.  When no memory context or bitmap can be had, the
// drawing goes straight to the target instead.
class OffscreenContext final : public DrawContext {
 public:
  OffscreenContext(HDC target, const RECT& item) : target_(target), item_(item) {
    if (::GetClipBox(target, &box_) == ERROR || box_.right <= box_.left ||
        box_.bottom <= box_.top) {
      return;
    }
    memory_.reset(::CreateCompatibleDC(target));
    if (!memory_) return;
    bitmap_.reset(::CreateCompatibleBitmap(target, box_.right - box_.left, box_.bottom - box_.top));
    if (!bitmap_) return;
    selected_ = std::make_unique<win32::SelectedObject>(memory_.get(), bitmap_.get());
    if (!*selected_) return;
    // Drawing uses the target's coordinates.
    ::SetWindowOrgEx(memory_.get(), box_.left, box_.top, nullptr);
    offscreen_ = true;
  }

  ~OffscreenContext() override {
    if (offscreen_) {
      ::BitBlt(target_, box_.left, box_.top, box_.right - box_.left, box_.bottom - box_.top,
               memory_.get(), box_.left, box_.top, SRCCOPY);
    }
    // The old bitmap goes back in before the bitmap and the context go.
    selected_.reset();
  }

  Rect ItemRect() const override {
    return Rect{item_.left, item_.top, item_.right, item_.bottom};
  }

  void Fill(const Rect& rect, Color color) override {
    win32::UniqueBrush brush(::CreateSolidBrush(AsColorref(color)));
    if (!brush) return;
    const RECT r{rect.left, rect.top, rect.right, rect.bottom};
    ::FillRect(Dc(), &r, brush.get());
  }

  void SetTransparentBackground() override { ::SetBkMode(Dc(), TRANSPARENT); }

  void PutText(int x, int y, std::string_view utf8) override {
    const std::wstring wide = Widen(std::string(utf8));
    ::TextOutW(Dc(), x, y, wide.c_str(), static_cast<int>(wide.size()));
  }

  int Dpi() const override {
    const int dpi = ::GetDeviceCaps(target_, LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
  }

  int LineHeight() const override {
    TEXTMETRICW metrics{};
    if (!::GetTextMetricsW(Dc(), &metrics)) return DrawContext::LineHeight();
    return metrics.tmHeight;
  }

 private:
  HDC Dc() const { return offscreen_ ? memory_.get() : target_; }

  HDC target_;
  RECT item_;
  RECT box_{};
  // Declared in the order of making, so that they go in the reverse one.
  win32::UniqueMemoryDc memory_;
  win32::UniqueBitmap bitmap_;
  std::unique_ptr<win32::SelectedObject> selected_;
  bool offscreen_ = false;
};

// The messages WM_USER to WM_USER + 2 are the dialog manager's own
// (DM_GETDEFID, DM_SETDEFID, DM_REPOSITION); the handlers' messages begin
// after them.
bool IsHandlerMessage(UINT message) { return message >= WM_USER && message > DM_REPOSITION; }

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    Dialog* dialog = reinterpret_cast<Dialog*>(lparam);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    dialog->initialised = true;
    FillTemplateChoices(hwnd, dialog->template_id);
    dialog->handler->OnInit(AsRef(hwnd));
    // Shown without taking the foreground: the operator may be typing in
    // the host.  Setting the focus now would activate the window, so the
    // focus is left alone; a click gives it.
    if (dialog->modal && ::IsWindow(hwnd)) ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return FALSE;
  }
  Dialog* dialog = DialogOf(hwnd);
  if (dialog == nullptr) return FALSE;
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    if (dialog->owned_by_window) delete dialog;
    return FALSE;
  }
  WindowHandler* handler = dialog->handler;
  if (handler == nullptr) return FALSE;  // after WM_DESTROY
  const WindowRef ref = AsRef(hwnd);

  switch (message) {
    case WM_COMMAND:
      // Enter and Esc arrive as IDOK and IDCANCEL; they do what the handler
      // does and nothing else.
      handler->OnCommand(ref, LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_SETCURSOR:
      handler->OnSetCursor(ref);
      return FALSE;  // the default handling sets the arrow
    case WM_SIZE:
      handler->OnSize(ref, LOWORD(lparam), HIWORD(lparam));
      return FALSE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item == nullptr) return FALSE;
      {
        OffscreenContext dc(item->hDC, item->rcItem);
        handler->OnDrawItem(ref, static_cast<int>(item->CtlID), dc);
      }
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX: {
      if (!dialog->has_colors || !dialog->brush) return FALSE;
      HDC dc = reinterpret_cast<HDC>(wparam);
      ::SetTextColor(dc, dialog->text);
      ::SetBkColor(dc, dialog->background);
      // The one message family whose answer is the result itself.
      return reinterpret_cast<INT_PTR>(dialog->brush.get());
    }
    case WM_CLOSE:
      handler->OnClose(ref);
      if (dialog->modal) {
        ::EndDialog(hwnd, IDCANCEL);
      } else {
        ::DestroyWindow(hwnd);
      }
      return TRUE;
    case WM_DESTROY:
      // The handler is forgotten first: it may go once OnDestroy returns.
      dialog->handler = nullptr;
      handler->OnDestroy(ref);
      return FALSE;
    default:
      break;
  }
  if (IsHandlerMessage(message)) {
    const std::intptr_t result = handler->OnUserMessage(ref, message, wparam, lparam);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
    return TRUE;
  }
  return FALSE;
}

// The system's modal loop hands only its own dialog's keyboard messages to
// the dialog manager.  This filter, hooked for the run of a modal window,
// gives the modeless windows of the thread the same: Tab, the arrow keys,
// Enter and Esc.
LRESULT CALLBACK ModelessKeys(int code, WPARAM wparam, LPARAM lparam) {
  if (code == MSGF_DIALOGBOX) {
    auto* msg = reinterpret_cast<MSG*>(lparam);
    if (msg != nullptr && msg->hwnd != nullptr) {
      HWND top = ::GetAncestor(msg->hwnd, GA_ROOT);
      Dialog* dialog = OurDialog(top);
      if (dialog != nullptr && !dialog->modal && ::IsDialogMessageW(top, msg)) return TRUE;
    }
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

class Win32Gui final : public WindowSystem {
 public:
  bool RunModal(int template_id, WindowHandler& handler) override {
    Dialog dialog;
    dialog.handler = &handler;
    dialog.template_id = template_id;
    dialog.modal = true;
    win32::UniqueHook keys(
        ::SetWindowsHookExW(WH_MSGFILTER, ModelessKeys, nullptr, ::GetCurrentThreadId()));
    if (::DialogBoxParamW(win32::Module(), MAKEINTRESOURCEW(template_id), nullptr, DialogProc,
                          reinterpret_cast<LPARAM>(&dialog)) == -1) {
      failure_log::Record("DialogBoxParam", "template " + std::to_string(template_id),
                          win32::ErrorText(::GetLastError()));
    }
    return dialog.initialised;
  }

  WindowRef CreateModeless(int template_id, WindowHandler& handler) override {
    auto dialog = std::make_unique<Dialog>();
    dialog->handler = &handler;
    dialog->template_id = template_id;
    HWND hwnd = ::CreateDialogParamW(win32::Module(), MAKEINTRESOURCEW(template_id), nullptr,
                                     DialogProc, reinterpret_cast<LPARAM>(dialog.get()));
    if (hwnd == nullptr) {  // the record goes with the frame
      failure_log::Record("CreateDialogParam", "template " + std::to_string(template_id),
                          win32::ErrorText(::GetLastError()));
      return kNoWindow;
    }
    dialog->owned_by_window = true;
    dialog.release();
    return AsRef(hwnd);
  }

  bool Show(WindowRef window) override {
    HWND hwnd = Live(window);
    if (hwnd == nullptr) return false;
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return true;
  }

  bool Close(WindowRef window) override {
    HWND hwnd = Live(window);
    if (hwnd == nullptr) return false;
    if (!OnOwnThread(hwnd)) return SendClose(window, kCrossThreadCloseMs);
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    return true;
  }

  bool SetTitle(WindowRef window, const std::string& utf8) override {
    HWND hwnd = Live(window);
    return hwnd != nullptr && ::SetWindowTextW(hwnd, Widen(utf8).c_str()) != FALSE;
  }

  bool MoveTo(WindowRef window, int x, int y) override {
    HWND hwnd = Live(window);
    return hwnd != nullptr && ::SetWindowPos(hwnd, nullptr, x, y, 0, 0,
                                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
  }

  bool MakeTopmost(WindowRef window) override {
    HWND hwnd = Live(window);
    return hwnd != nullptr && ::SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0,
                                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE) != FALSE;
  }

  Rect WindowRect(WindowRef window) override {
    HWND hwnd = Live(window);
    RECT r{};
    if (hwnd == nullptr || !::GetWindowRect(hwnd, &r)) return Rect{};
    return Rect{r.left, r.top, r.right, r.bottom};
  }

  Rect ClientRect(WindowRef window) override {
    HWND hwnd = Live(window);
    RECT r{};
    if (hwnd == nullptr || !::GetClientRect(hwnd, &r)) return Rect{};
    return Rect{r.left, r.top, r.right, r.bottom};
  }

  Rect WorkArea(WindowRef window) override {
    HWND hwnd = Live(window);
    if (hwnd == nullptr) return Rect{};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = ::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (monitor == nullptr || !::GetMonitorInfoW(monitor, &info)) {
      RECT work{};
      if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return Rect{};
      return Rect{work.left, work.top, work.right, work.bottom};
    }
    return Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  }

  bool SetLargeIcon(WindowRef window, int icon_id) override {
    HWND hwnd = Live(window);
    if (hwnd == nullptr) return false;
    // An icon from LoadIcon is shared by the module and never destroyed.
    HICON icon = ::LoadIconW(win32::Module(), MAKEINTRESOURCEW(icon_id));
    if (icon == nullptr) {
      failure_log::Record("LoadIcon", "icon " + std::to_string(icon_id),
                          win32::ErrorText(::GetLastError()));
      return false;
    }
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return true;
  }

  bool DisableCloseCommand(WindowRef window) override {
    HWND hwnd = Live(window);
    if (hwnd == nullptr) return false;
    HMENU menu = ::GetSystemMenu(hwnd, FALSE);
    return menu != nullptr &&
           ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED) != static_cast<BOOL>(-1);
  }

  bool SetColors(WindowRef window, Color text, Color background) override {
    HWND hwnd = Live(window);
    Dialog* dialog = OurDialog(hwnd);
    if (dialog == nullptr) return false;
    win32::UniqueBrush brush(::CreateSolidBrush(AsColorref(background)));
    if (!brush) return false;
    dialog->brush = std::move(brush);
    dialog->text = AsColorref(text);
    dialog->background = AsColorref(background);
    dialog->has_colors = true;
    ::InvalidateRect(hwnd, nullptr, TRUE);
    return true;
  }

  bool SetCheck(WindowRef window, int control, bool checked) override {
    HWND item = Control(window, control);
    if (item == nullptr) return false;
    ::SendMessageW(item, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return true;
  }

  bool IsChecked(WindowRef window, int control) override {
    HWND item = Control(window, control);
    return item != nullptr && ::SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

  bool EnableControl(WindowRef window, int control, bool enabled) override {
    HWND item = Control(window, control);
    if (item == nullptr) return false;
    ::EnableWindow(item, enabled ? TRUE : FALSE);
    return true;
  }

  bool SetControlText(WindowRef window, int control, const std::string& utf8) override {
    HWND item = Control(window, control);
    return item != nullptr && ::SetWindowTextW(item, Widen(utf8).c_str()) != FALSE;
  }

  std::string ControlText(WindowRef window, int control) override {
    HWND item = Control(window, control);
    if (item == nullptr) return std::string();
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(
        ::GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return win32::Narrow(text);
  }

  std::string ComboSelectedText(WindowRef window, int control) override {
    HWND item = Control(window, control);
    if (item == nullptr) return std::string();
    const LRESULT selected = ::SendMessageW(item, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return std::string();
    const LRESULT length = ::SendMessageW(item, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR) return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(item, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
    return win32::Narrow(text);
  }

  bool ListClear(WindowRef window, int control) override {
    HWND item = Control(window, control);
    if (item == nullptr) return false;
    ::SendMessageW(item, LB_RESETCONTENT, 0, 0);
    return true;
  }

  bool ListAdd(WindowRef window, int control, const std::string& utf8) override {
    HWND item = Control(window, control);
    if (item == nullptr) return false;
    const std::wstring text = Widen(utf8);
    const LRESULT at = ::SendMessageW(item, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return at != LB_ERR && at != LB_ERRSPACE;
  }

  bool FitListColumns(WindowRef window, int control) override {
    HWND item = Control(window, control);
    if (item == nullptr) return false;
    win32::WindowDc dc(item);
    if (!dc) return false;
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(item, WM_GETFONT, 0, 0));
    std::unique_ptr<win32::SelectedObject> selected;
    if (font != nullptr) selected = std::make_unique<win32::SelectedObject>(dc.get(), font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.get(), &metrics);
    int widest = 0;
    const LRESULT count = ::SendMessageW(item, LB_GETCOUNT, 0, 0);
    for (LRESULT k = 0; k < count; ++k) {
      const LRESULT length = ::SendMessageW(item, LB_GETTEXTLEN, static_cast<WPARAM>(k), 0);
      if (length == LB_ERR) continue;
      std::wstring text(static_cast<size_t>(length) + 1, L'\0');
      const LRESULT got = ::SendMessageW(item, LB_GETTEXT, static_cast<WPARAM>(k),
                                         reinterpret_cast<LPARAM>(text.data()));
      if (got == LB_ERR) continue;
      SIZE size{};
      if (::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(got), &size)) {
        widest = std::max(widest, static_cast<int>(size.cx));
      }
    }
    // A character's width of room between the columns.
    const int margin = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 8;
    ::SendMessageW(item, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(widest + margin), 0);
    return true;
  }

  bool MoveControl(WindowRef window, int control, const Rect& rect) override {
    HWND item = Control(window, control);
    return item != nullptr &&
           ::MoveWindow(item, rect.left, rect.top, rect.Width(), rect.Height(), TRUE) != FALSE;
  }

  bool InvalidateControl(WindowRef window, int control) override {
    HWND item = Control(window, control);
    return item != nullptr && ::InvalidateRect(item, nullptr, FALSE) != FALSE;
  }

  bool Post(WindowRef window, unsigned message, std::uintptr_t wparam,
            std::intptr_t lparam) override {
    if (!IsHandlerMessage(message)) return false;
    HWND hwnd = Live(window);
    return hwnd != nullptr && ::PostMessageW(hwnd, message, static_cast<WPARAM>(wparam),
                                             static_cast<LPARAM>(lparam)) != FALSE;
  }

  bool SendClose(WindowRef window, unsigned timeout_ms) override {
    HWND hwnd = Live(window);
    if (hwnd == nullptr) return false;
    if (OnOwnThread(hwnd)) {
      ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
      return true;
    }
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(hwnd, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeout_ms,
                                 &result) != 0;
  }

  std::string HostToUtf8(std::string_view host_text) const override {
    return win32::FromWide(win32::ToWide(host_text, win32::TextCoding::kHostCodePage),
                           win32::TextCoding::kUtf8);
  }

  std::string Utf8ToHost(std::string_view utf8) const override {
    return win32::FromWide(win32::ToWide(utf8, win32::TextCoding::kUtf8),
                           win32::TextCoding::kHostCodePage);
  }

 private:
  // Close from another thread waits this long for the window's thread.
  static constexpr unsigned kCrossThreadCloseMs = 5000;

  static HWND Live(WindowRef window) {
    HWND hwnd = AsHwnd(window);
    return window != kNoWindow && ::IsWindow(hwnd) ? hwnd : nullptr;
  }
  static HWND Control(WindowRef window, int control) {
    HWND hwnd = Live(window);
    return hwnd != nullptr ? ::GetDlgItem(hwnd, control) : nullptr;
  }
  static bool OnOwnThread(HWND hwnd) {
    return ::GetWindowThreadProcessId(hwnd, nullptr) == ::GetCurrentThreadId();
  }
};

}  // namespace

WindowSystem& NativeGui() {
  // Lives until the process ends: the window thread may still use it while
  // the module's static objects are torn down.
  static Win32Gui* gui = new Win32Gui;
  return *gui;
}

}  // namespace stats
