// The headless window system: windows without a screen.
//
// Windows are objects that record what a screen would show - title,
// position, topmost, icon, colours, check marks, enabled state, texts, list
// entries, invalidations and the drawing operations of the last paint - and
// the threading is real: every thread that makes windows has a message
// queue, RunModal runs that thread's message loop, Post queues, SendClose
// waits for the window's thread to handle the message.  It is the built-in
// window system where there is no other (Linux), and tests of every build
// may install it.
//
// The test interface at the end acts as the operator would (clicks, typing,
// moving and sizing windows) and reads the recorded state.  Operator actions
// run on the window's own thread, in queue order, and return when they have
// been handled.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/window.h"

namespace stats::headless {

// One drawing operation of a paint.
struct DrawOp {
  enum class Kind { kFill, kTransparent, kText };
  Kind kind = Kind::kFill;
  Rect rect;            // kFill
  Color color;          // kFill
  int x = 0, y = 0;     // kText
  std::string text;     // kText
  bool operator==(const DrawOp&) const = default;
};

enum class ControlKind { kStatic, kCheckBox, kCombo, kListBox, kOwnerDrawButton };

struct ControlState {
  int id = 0;
  ControlKind kind = ControlKind::kStatic;
  Rect rect;                        // client coordinates
  std::string text;                 // window text (a combo's edit field)
  bool checked = false;
  bool enabled = true;
  bool sorted = false;              // a sorted list box
  std::vector<std::string> items;   // list box entries, combo choices
  int selected = -1;                // combo: the selected choice
  int invalidations = 0;            // InvalidateControl calls
  int moves = 0;                    // MoveControl calls
  int column_width = 0;             // list box: FitListColumns, in pixels
  std::vector<DrawOp> last_paint;   // operations of the last Paint
};

struct WindowState {
  WindowRef ref = kNoWindow;
  int template_id = 0;
  bool modal = false;
  bool visible = false;
  std::string title;
  Rect window_rect;  // screen coordinates
  Rect client_rect;  // left and top 0
  bool topmost = false;
  int topmost_calls = 0;
  int large_icon = 0;
  bool close_disabled = false;
  bool has_colors = false;
  Color text_color, background_color;
  std::map<int, ControlState> controls;

  const ControlState* Control(int id) const {
    auto it = controls.find(id);
    return it == controls.end() ? nullptr : &it->second;
  }
};

class HeadlessGui final : public WindowSystem {
 public:
  HeadlessGui();
  ~HeadlessGui() override;

  // -- WindowSystem ---------------------------------------------------------
  bool RunModal(int template_id, WindowHandler& handler) override;
  WindowRef CreateModeless(int template_id, WindowHandler& handler) override;
  bool Show(WindowRef window) override;
  bool Close(WindowRef window) override;
  bool SetTitle(WindowRef window, const std::string& utf8) override;
  bool MoveTo(WindowRef window, int x, int y) override;
  bool MakeTopmost(WindowRef window) override;
  Rect WindowRect(WindowRef window) override;
  Rect ClientRect(WindowRef window) override;
  Rect WorkArea(WindowRef window) override;
  bool SetLargeIcon(WindowRef window, int icon_id) override;
  bool DisableCloseCommand(WindowRef window) override;
  bool SetColors(WindowRef window, Color text, Color background) override;
  bool SetCheck(WindowRef window, int control, bool checked) override;
  bool IsChecked(WindowRef window, int control) override;
  bool EnableControl(WindowRef window, int control, bool enabled) override;
  bool SetControlText(WindowRef window, int control, const std::string& utf8) override;
  std::string ControlText(WindowRef window, int control) override;
  std::string ComboSelectedText(WindowRef window, int control) override;
  bool ListClear(WindowRef window, int control) override;
  bool ListAdd(WindowRef window, int control, const std::string& utf8) override;
  bool FitListColumns(WindowRef window, int control) override;
  bool MoveControl(WindowRef window, int control, const Rect& rect) override;
  bool InvalidateControl(WindowRef window, int control) override;
  bool Post(WindowRef window, unsigned message, std::uintptr_t wparam,
            std::intptr_t lparam) override;
  bool SendClose(WindowRef window, unsigned timeout_ms) override;
  std::string HostToUtf8(std::string_view host_text) const override;
  std::string Utf8ToHost(std::string_view utf8) const override;

  // -- Test interface -------------------------------------------------------
  // A copy of the window's state; nullopt once it is destroyed.
  std::optional<WindowState> Snapshot(WindowRef window) const;
  // The live windows made from a template, oldest first.
  std::vector<WindowRef> WindowsOf(int template_id) const;
  // Every live window.
  std::vector<WindowRef> AllWindows() const;
  // Waits until a window of the template exists and its OnInit has returned;
  // kNoWindow after timeout_ms.
  WindowRef WaitForWindow(int template_id, unsigned timeout_ms);
  // Waits until the window is destroyed; false after timeout_ms.
  bool WaitUntilGone(WindowRef window, unsigned timeout_ms);
  // Waits until the window's thread has handled everything queued for it
  // before this call.  False when the window is gone.
  bool Sync(WindowRef window, unsigned timeout_ms = kActionTimeoutMs);

  // The operator's actions.  False when the window (or the control) is gone
  // or its thread did not handle the action within kActionTimeoutMs.
  // A click: an auto check box toggles its mark, then the command arrives.
  bool Click(WindowRef window, int control);
  // Picks a choice of a combo box from its list (CBN_SELENDOK); false when
  // the combo has no such choice.
  bool SelectComboItem(WindowRef window, int control, const std::string& item);
  // Types into a combo's edit field (CBN_EDITCHANGE).
  bool TypeComboText(WindowRef window, int control, const std::string& text);
  // Enter (kIdOk) or Esc (kIdCancel).
  bool PressKey(WindowRef window, int command);
  // The pointer moves over the window (WM_SETCURSOR).
  bool PointerOver(WindowRef window);
  // Drags the window to a new top-left corner (no event of its own).
  bool DragTo(WindowRef window, int x, int y);
  // Sizes the window so that its client area becomes width x height
  // (WM_SIZE).
  bool ResizeClient(WindowRef window, int width, int height);
  // Paints an owner-drawn control (WM_DRAWITEM) with a recording context
  // whose item rectangle is the control's client area; the operations.
  std::optional<std::vector<DrawOp>> Paint(WindowRef window, int control);

  // The screen: the work area every window finds, and the dots per inch of
  // the drawing contexts (default 0, 0, 1280, 1024 and 96).
  void SetScreen(const Rect& work_area, int dpi);
  // A character of a list box entry is this wide at 96 dots per inch.
  static constexpr int kCharWidth = 8;

  static constexpr unsigned kActionTimeoutMs = 10000;

 private:
  struct Completion {
    bool finished = false;
    bool handled = false;
  };
  struct Message {
    enum class Kind { kUser, kClose, kInvoke };
    Kind kind = Kind::kUser;
    WindowRef target = kNoWindow;
    unsigned message = 0;
    std::uintptr_t wparam = 0;
    std::intptr_t lparam = 0;
    std::function<bool()> invoke;  // kInvoke: true when handled
    std::shared_ptr<Completion> done;  // sent messages
  };
  struct Win {
    WindowState state;
    WindowHandler* handler = nullptr;
    std::thread::id owner;
    bool ready = false;       // OnInit has returned
    bool end_modal = false;   // a modal run is to end
    bool destroying = false;  // OnDestroy is running
  };

  WindowRef Make(int template_id, WindowHandler& handler, bool modal);
  void Dispatch(Message& message);
  void HandleClose(WindowRef window);
  void Destroy(WindowRef window);
  void Finish(const std::shared_ptr<Completion>& done, bool handled);
  // Runs fn on the window's thread and waits for it.
  bool Invoke(WindowRef window, std::function<bool()> fn, unsigned timeout_ms);
  // Applies fn to a live window's state under the lock; false when gone.
  bool Change(WindowRef window, const std::function<void(Win&)>& fn);
  bool ChangeControl(WindowRef window, int control, const std::function<void(ControlState&)>& fn);
  WindowHandler* HandlerOf(WindowRef window);
  Win* Find(WindowRef window);
  const Win* Find(WindowRef window) const;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<WindowRef, std::unique_ptr<Win>> windows_;
  std::map<std::thread::id, std::deque<Message>> queues_;
  WindowRef next_ref_ = 0x100;
  Rect work_area_{0, 0, 1280, 1024};
  int dpi_ = 96;
};

// The process's headless window system.
HeadlessGui& Headless();

// -- Templates ---------------------------------------------------------------
// The headless system has no resources to load dialog templates from: the
// code that makes windows defines each template it makes them from
// (DefineTemplate) - what a window of it starts as: its title, client size
// and controls, laid out as the system would lay out the template - before
// it makes the first one.  A window of a template never defined is not made.

// Dialog units to pixels for a template font whose average character is
// base_x pixels wide and base_y pixels high.
struct DialogUnits {
  int base_x, base_y;
  Rect Of(int x, int y, int w, int h) const {
    return {x * base_x / 4, y * base_y / 8, (x + w) * base_x / 4, (y + h) * base_y / 8};
  }
};
inline constexpr DialogUnits kSansSerif8{6, 13};  // "MS Sans Serif" and "MS Shell Dlg" 8 pt
inline constexpr DialogUnits kSystem10{8, 16};    // "System" 10 pt

// A control of a template, as the system makes it.
ControlState MakeControl(int id, ControlKind kind, Rect rect, std::string text = "");

// Defines (or defines anew) a template for every headless window system of
// the process.  Only layout's title, client rectangle and controls are used.
// Safe from any thread.
void DefineTemplate(int template_id, const WindowState& layout);
// What a window of the template starts as; false for a template never
// defined.
bool FromTemplate(int template_id, WindowState& w);

}  // namespace stats::headless
