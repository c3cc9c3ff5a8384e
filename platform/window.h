// The window seam: the dialogs of the operator windows, their controls and
// the drawing of the owner-drawn info table.
//
// The operator windows (ui/) are written once over this interface.  The
// build links one native implementation: on Windows real dialogs made from
// the module's dialog templates (resources/windows.rc, ids in
// resources/windows_ids.h); elsewhere the headless window system of
// platform/headless/, whose windows record what a screen would show.  Tests
// may install another one with SetGui().  The Windows implementation lives
// in platform/win32/ and defines NativeGui(); platform/CMakeLists.txt picks
// it when it is there and the headless one otherwise.
//
// Threads.  Windows belong to the thread that made them (the window thread).
// Every operation of WindowSystem is called on that thread, except the three
// marked "any thread": Post, SendClose and the text conversions.  Handlers
// are called on the window's own thread only, from inside RunModal's message
// loop (or from inside CreateModeless for OnInit, and from inside an
// operation of the same thread for the events it causes, such as OnSize
// during MoveControl's repaint or OnClose/OnDestroy during Close).
//
// Texts.  Every text given to or read from a window is UTF-8; the Windows
// implementation converts to UTF-16 at the W function and nowhere else.  The
// host's texts (calls, modes, exchanges, prefixes) are bytes in the host's
// ANSI code page: the core passes them through HostToUtf8 before showing
// them, and turns control texts back with Utf8ToHost.
//
// Failure.  Operations on a window that no longer exists, or on a control
// id the window does not have, do nothing and return false, 0 or "": a
// window the operator or the host closed is forgotten, never an error.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace stats {

// A window as the plug-in refers to it: on Windows the HWND as an integer.
// A reference may outlive its window; it never designates another window
// while the plug-in can still hold it (headless: never reused; Windows: the
// system's handle rules).
using WindowRef = std::uintptr_t;
inline constexpr WindowRef kNoWindow = 0;

// An RGB colour (COLORREF on Windows: red | green << 8 | blue << 16).
struct Color {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Color&) const = default;
};
constexpr Color Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return Color{red, green, blue};
}

// A rectangle in pixels; right and bottom are exclusive (as RECT).
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

// Control notifications the windows use (the Windows values).
inline constexpr int kButtonClicked = 0;  // BN_CLICKED (also Enter/Esc commands)
inline constexpr int kComboSelEndOk = 9;  // CBN_SELENDOK: a list item was confirmed
inline constexpr int kComboEditChange = 5;  // CBN_EDITCHANGE: the edit field was typed into
// The dialog commands of Enter and Esc.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
// The first private window message number (WM_USER); Post carries only
// messages from here on.
inline constexpr unsigned kUserMessage = 0x0400;

// Painting of one owner-drawn control (WM_DRAWITEM).  The Windows
// implementation composes the picture off-screen: a memory context
// compatible with the request's context, a compatible bitmap the size of the
// target's clipping box, and the memory context's window origin set to that
// box's top-left corner so that drawing uses the target's coordinates.  When
// the handler returns, the box is copied to the target with one BitBlt
// (SRCCOPY) and the bitmap and memory context are released.  So the screen
// never shows a half-drawn table.
class DrawContext {
 public:
  virtual ~DrawContext() = default;
  // The item rectangle of the request (DRAWITEMSTRUCT::rcItem).
  virtual Rect ItemRect() const = 0;
  // Fills a rectangle with a solid brush of the colour.
  virtual void Fill(const Rect& rect, Color color) = 0;
  // SetBkMode(TRANSPARENT): text leaves the background as it is.
  virtual void SetTransparentBackground() = 0;
  // Text with its top-left corner at (x, y) (TextOutW), in the context's
  // current font and text colour: the handler selects no font and sets no
  // colour.
  virtual void PutText(int x, int y, std::string_view utf8) = 0;
  // Dots per inch of the context (96 at the system's normal size): the
  // window's fonts grow with it, and so must the positions of texts.
  virtual int Dpi() const { return 96; }
  // The height of a line of text in the context's current font.
  virtual int LineHeight() const { return 13 * Dpi() / 96; }
};

// The events of one window.  The window system calls them on the window's
// thread; the handler object must outlive its window.  OnDestroy is the last
// call: the window system forgets the handler before making it, so the
// handler may be deleted any time after OnDestroy has returned.
class WindowHandler {
 public:
  virtual ~WindowHandler() = default;

  // WM_INITDIALOG: the window and its controls exist (the controls show the
  // template's contents), the window is not yet shown.  For a modeless window
  // this is called before CreateModeless returns.  The result is the
  // dialog's answer: true lets the system set the focus.
  virtual bool OnInit(WindowRef window) = 0;

  // WM_COMMAND: a control's notification, or Enter (kIdOk) and Esc
  // (kIdCancel) with kButtonClicked.  The window system does nothing else
  // with any command: Enter and Esc do only what the handler does (the
  // setup window closes itself on kIdCancel).  An auto check box has
  // already toggled its own mark when its click arrives.
  virtual void OnCommand(WindowRef /*window*/, int /*control*/, int /*notification*/) {}

  // WM_SETCURSOR: the pointer is over the window or one of its controls.
  // The system's default handling (the arrow) follows.
  virtual void OnSetCursor(WindowRef /*window*/) {}

  // WM_SIZE, after the default handling: the new client width and height.
  // May arrive before OnInit, while the controls do not exist yet.
  virtual void OnSize(WindowRef /*window*/, int /*client_width*/, int /*client_height*/) {}

  // A message from kUserMessage on, posted with Post; the result is
  // returned to the system.
  virtual std::intptr_t OnUserMessage(WindowRef /*window*/, unsigned /*message*/,
                                      std::uintptr_t /*wparam*/, std::intptr_t /*lparam*/) {
    return 0;
  }

  // WM_DRAWITEM of an owner-drawn control of this window.
  virtual void OnDrawItem(WindowRef /*window*/, int /*control*/, DrawContext& /*dc*/) {}

  // WM_CLOSE (SendClose, Close, or the system).  After this call the window
  // system closes the window: a modal window ends its run, a modeless one is
  // destroyed.
  virtual void OnClose(WindowRef /*window*/) {}

  // WM_DESTROY: the window and its controls still exist; nothing more will
  // be called.
  virtual void OnDestroy(WindowRef /*window*/) {}
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // -- Making and ending windows (window thread) ---------------------------
  // Makes a dialog from template template_id of the module, without parent,
  // and runs it modally on the calling thread: the calling thread's message
  // loop runs, for this window and for every modeless window of the thread,
  // until the window is closed (Close, or WM_CLOSE); the window is then
  // destroyed (OnDestroy) and RunModal returns.  The window is shown when
  // the run starts, after OnInit, without being activated: the operator's
  // typing in another program stays where it is.  Returns false when the
  // window could not be made (OnInit was not called).
  virtual bool RunModal(int template_id, WindowHandler& handler) = 0;
  // Makes a modeless dialog from template template_id, without parent and
  // not yet visible; OnInit is called before this returns.  kNoWindow when
  // it could not be made.
  virtual WindowRef CreateModeless(int template_id, WindowHandler& handler) = 0;
  // Shows the window without activating it (SW_SHOWNOACTIVATE): the
  // operator's typing in another program stays where it is.
  virtual bool Show(WindowRef window) = 0;
  // Closes the window as WM_CLOSE does: OnClose, then a modal window ends
  // its run (EndDialog; RunModal then destroys it) and a modeless one is
  // destroyed at once (DestroyWindow, OnDestroy before Close returns).
  virtual bool Close(WindowRef window) = 0;

  // -- The window itself (window thread) -----------------------------------
  virtual bool SetTitle(WindowRef window, const std::string& utf8) = 0;
  // Moves the window's top-left corner to (x, y) in screen coordinates,
  // keeping its size and its place in the z-order (SetWindowPos with
  // SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE).
  virtual bool MoveTo(WindowRef window, int x, int y) = 0;
  // Puts the window above all non-topmost windows, without moving, sizing
  // or activating it (HWND_TOPMOST, SWP_NOMOVE | SWP_NOSIZE |
  // SWP_NOACTIVATE).
  virtual bool MakeTopmost(WindowRef window) = 0;
  // The window's rectangle in screen coordinates (GetWindowRect); an empty
  // rectangle when there is no such window.
  virtual Rect WindowRect(WindowRef window) = 0;
  // The client area (GetClientRect): left and top are 0.
  virtual Rect ClientRect(WindowRef window) = 0;
  // The work area (the screen less the task bars) of the monitor nearest to
  // the window, in screen coordinates.
  virtual Rect WorkArea(WindowRef window) = 0;
  // Sets the large icon (WM_SETICON, ICON_BIG) to icon resource icon_id of
  // the module.
  virtual bool SetLargeIcon(WindowRef window, int icon_id) = 0;
  // Greys the Close command (SC_CLOSE, by command) of the system menu, so
  // that neither the menu, the caption's close button nor Alt+F4 close the
  // window.
  virtual bool DisableCloseCommand(WindowRef window) = 0;
  // From now on the window and every control in it answer WM_CTLCOLOR* with
  // this text colour, this text background colour and a solid brush of the
  // background colour owned by the window (released with it).  Windows that
  // never call this keep the system's colours.
  virtual bool SetColors(WindowRef window, Color text, Color background) = 0;

  // -- Controls (window thread) --------------------------------------------
  // Check mark of a check box (BM_SETCHECK / BM_GETCHECK).
  virtual bool SetCheck(WindowRef window, int control, bool checked) = 0;
  virtual bool IsChecked(WindowRef window, int control) = 0;
  // EnableWindow of a control.
  virtual bool EnableControl(WindowRef window, int control, bool enabled) = 0;
  // Text of a control (for a combo box: the text of its edit field).
  virtual bool SetControlText(WindowRef window, int control, const std::string& utf8) = 0;
  virtual std::string ControlText(WindowRef window, int control) = 0;
  // Text of the combo box's selected list item (CB_GETCURSEL, CB_GETLBTEXT);
  // "" when none is selected.
  virtual std::string ComboSelectedText(WindowRef window, int control) = 0;
  // Empties a list box (LB_RESETCONTENT) / adds an entry (LB_ADDSTRING: a
  // sorted list box puts it in its own order).
  virtual bool ListClear(WindowRef window, int control) = 0;
  virtual bool ListAdd(WindowRef window, int control, const std::string& utf8) = 0;
  // Makes the columns of a multi-column list box as wide as its longest
  // entry in its font, plus a margin (LB_SETCOLUMNWIDTH).
  virtual bool FitListColumns(WindowRef window, int control) = 0;
  // Moves and sizes a control in client coordinates and repaints it
  // (MoveWindow with repaint).
  virtual bool MoveControl(WindowRef window, int control, const Rect& rect) = 0;
  // Marks the whole control for repainting without erasing its background
  // (InvalidateRect with bErase FALSE).
  virtual bool InvalidateControl(WindowRef window, int control) = 0;

  // -- Any thread -----------------------------------------------------------
  // Queues message (kUserMessage or above) for the window (PostMessage) and
  // returns at once; false when the window does not exist.
  virtual bool Post(WindowRef window, unsigned message, std::uintptr_t wparam = 0,
                    std::intptr_t lparam = 0) = 0;
  // Sends WM_CLOSE and waits until it is handled (OnClose and the closing
  // that follows).  From the window's own thread it is handled at once.
  // From another thread the wait ends after timeout_ms at the latest
  // (SendMessageTimeout), so a window thread that is stuck or gone never
  // holds the caller.  True when the message was handled.
  virtual bool SendClose(WindowRef window, unsigned timeout_ms) = 0;
  // Host text (ANSI code page bytes) to UTF-8 and back; the headless
  // system takes host texts as UTF-8 already.
  virtual std::string HostToUtf8(std::string_view host_text) const = 0;
  virtual std::string Utf8ToHost(std::string_view utf8) const = 0;
};

// The window system in use: the built-in one unless a test set another.
WindowSystem& Gui();
// Installs a window system for tests; null restores the built-in one.
// Returns the one that was in use (platform/override.h).
WindowSystem* SetGui(WindowSystem* gui);
// The built-in window system of this build (Windows: dialogs; elsewhere the
// headless one).
WindowSystem& NativeGui();

}  // namespace stats
