// Owners for the user-interface and GDI handles of the operator windows, one
// type per kind, each undoing exactly what made it: a memory context is
// deleted, a bitmap or brush deleted, a selected object selected out again,
// a hook unhooked.
#pragma once

#include <windows.h>

#include "platform/win32/handles.h"

namespace stats::win32 {

struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static void Close(HDC dc) { ::DeleteDC(dc); }
};
struct BitmapTraits {
  static HBITMAP Invalid() { return nullptr; }
  static void Close(HBITMAP bitmap) { ::DeleteObject(bitmap); }
};
struct BrushTraits {
  static HBRUSH Invalid() { return nullptr; }
  static void Close(HBRUSH brush) { ::DeleteObject(brush); }
};
struct HookTraits {
  static HHOOK Invalid() { return nullptr; }
  static void Close(HHOOK hook) { ::UnhookWindowsHookEx(hook); }
};

// A context from CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using UniqueBrush = UniqueHandle<HBRUSH, BrushTraits>;
using UniqueHook = UniqueHandle<HHOOK, HookTraits>;

// An object selected into a context; the one it replaced goes back in when
// this ends, so the context never keeps a pointer to a deleted object.
// The drawing context of a window from GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ::ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_ != nullptr && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  explicit operator bool() const { return old_ != nullptr && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace stats::win32
