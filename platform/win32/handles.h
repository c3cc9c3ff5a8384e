// Small owners for Win32 handles, one type per kind of handle, so that every
// handle the plug-in opens is closed on every path.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace stats::win32 {

template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  Handle release() {
    Handle h = h_;
    h_ = Traits::Invalid();
    return h;
  }
  void reset(Handle h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
struct KernelHandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};

using UniqueFile = UniqueHandle<HANDLE, FileHandleTraits>;
using UniqueFind = UniqueHandle<HANDLE, FindHandleTraits>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;

// The system's text for an error code, without the trailing line end.
std::string ErrorText(DWORD error);

// The module whose resources (dialog templates, icon) the plug-in uses: the
// DLL once loaded, else the program itself.
void SetModule(HINSTANCE module);
HINSTANCE Module();

// How 8-bit texts are to be read: bytes of the host's code page (the data
// the host and the settings file hand over), or UTF-8 (the plug-in's own
// texts, such as its Russian labels).
enum class TextCoding { kHostCodePage, kUtf8 };

// 8-bit text to UTF-16 and back, for the wide system functions; text that
// does not convert gives "".
std::wstring ToWide(std::string_view text, TextCoding coding);
std::string FromWide(std::wstring_view text, TextCoding coding);

// UTF-8 to UTF-16 and back.
inline std::wstring Widen(const std::string& utf8) { return ToWide(utf8, TextCoding::kUtf8); }
inline std::string Narrow(const std::wstring& wide) { return FromWide(wide, TextCoding::kUtf8); }

}  // namespace stats::win32
