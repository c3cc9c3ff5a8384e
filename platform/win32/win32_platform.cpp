// The seam on Windows: the private-profile functions, file search, files,
// message boxes and Sleep, called with the host's 8-bit texts.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/failure_log.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace stats {
namespace win32 {

std::string ErrorText(DWORD error) {
  char* buffer = nullptr;
  const DWORD n = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = n != 0 && buffer != nullptr ? std::string(buffer, n) : std::string();
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                           text.back() == '.')) {
    text.pop_back();
  }
  if (text.empty()) text = "error " + std::to_string(error);
  return text;
}

namespace {
UINT CodePage(TextCoding coding) { return coding == TextCoding::kUtf8 ? CP_UTF8 : CP_ACP; }
}  // namespace

std::wstring ToWide(std::string_view text, TextCoding coding) {
  if (text.empty()) return std::wstring();
  const UINT cp = CodePage(coding);
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(cp, 0, text.data(), size, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(cp, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string FromWide(std::wstring_view text, TextCoding coding) {
  if (text.empty()) return std::string();
  const UINT cp = CodePage(coding);
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(cp, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string narrow(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(cp, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
  return narrow;
}

namespace {
HINSTANCE g_module = nullptr;
}

void SetModule(HINSTANCE module) { g_module = module; }

HINSTANCE Module() { return g_module != nullptr ? g_module : ::GetModuleHandleA(nullptr); }

}  // namespace win32

namespace {

using win32::ErrorText;

// A file written through a buffer of our own; the buffer goes to the system
// at Flush and Close, where a failure is reported.
class Win32File final : public File {
 public:
  Win32File(win32::UniqueFile h, std::string path) : h_(std::move(h)), path_(std::move(path)) {}
  ~Win32File() override { Close(); }
  bool Write(std::string_view bytes) override {
    if (buffer_.size() + bytes.size() < kFlushAt) {
      buffer_.append(bytes);
      return ok_;
    }
    if (!Flush()) return false;
    if (bytes.size() < kFlushAt) {
      buffer_.append(bytes);
      return ok_;
    }
    // A large piece (a whole log) goes to the system as it is, not through a
    // copy in the buffer.
    size_t done = 0;
    if (!WriteOut(bytes, &done)) {
      return Fail(h_ ? ::GetLastError() : ERROR_INVALID_HANDLE, "WriteFile");
    }
    return ok_;
  }
  bool Flush() override {
    size_t done = 0;
    const bool written = WriteOut(buffer_, &done);
    buffer_.erase(0, done);
    if (!written) return Fail(h_ ? ::GetLastError() : ERROR_INVALID_HANDLE, "WriteFile");
    return ok_;
  }
  bool Sync() override {
    if (!Flush()) return false;
    if (!::FlushFileBuffers(h_.get())) return Fail(::GetLastError(), "FlushFileBuffers");
    return ok_;
  }
  bool Truncate(unsigned long long size) override {
    // The bytes not yet written belong to the append being undone.
    buffer_.clear();
    if (!h_) return Fail(ERROR_INVALID_HANDLE, "SetEndOfFile");
    // A file opened for appending only may not set its end: a handle of
    // its own does, beside this one (both share writing).
    win32::UniqueFile cut(::CreateFileA(path_.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!cut) return Fail(::GetLastError(), "CreateFile");
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(cut.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(cut.get())) {
      return Fail(::GetLastError(), "SetEndOfFile");
    }
    return true;
  }
  bool Close() override {
    if (!h_) return ok_;
    Flush();
    if (!::CloseHandle(h_.release())) Fail(::GetLastError(), "CloseHandle");
    return ok_;
  }
  std::string LastError() const override { return error_; }

 private:
  static constexpr size_t kFlushAt = 64 * 1024;
  // Writes the bytes in pieces of at most a megabyte; *done is how many
  // went out.  False when the system refused a piece.
  bool WriteOut(std::string_view bytes, size_t* done) {
    if (!h_) return bytes.empty();
    while (*done < bytes.size()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - *done, 1 << 20));
      if (!::WriteFile(h_.get(), bytes.data() + *done, chunk, &written, nullptr) ||
          written == 0) {
        return false;
      }
      *done += written;
    }
    return true;
  }
  bool Fail(DWORD error, const char* call) {
    ok_ = false;
    error_ = ErrorText(error);
    failure_log::Record(call, path_, error_);
    return false;
  }
  win32::UniqueFile h_;
  std::string path_;
  std::string buffer_;
  bool ok_ = true;
  std::string error_;
};

// No byte of a profile value is 0x01, so this default tells a missing key
// from an empty one.
constexpr char kMissing[] = "\x01";

void MakeParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos || slash == 0) return;
  const std::string folder = path.substr(0, slash);
  if (::GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
  MakeParentFolder(folder);
  ::CreateDirectoryA(folder.c_str(), nullptr);
}

// The profile functions look for a bare file name in the Windows folder, not
// in the current one.  Every path of the plug-in is relative to the current
// folder, so the profile functions get the full path.
std::string FullPath(const std::string& path) {
  const DWORD n = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::string full(n, '\0');
  const DWORD got = ::GetFullPathNameA(path.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n) return path;
  full.resize(got);
  return full;
}

// An existing file (not a folder) that carries the read-only mark.
bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM found) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd) &&
      ::GetWindow(hwnd, GW_OWNER) == nullptr) {
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

class Win32Platform final : public Platform {
 public:
  std::optional<std::string> ReadProfileString(const std::string& path,
                                               const std::string& section,
                                               const std::string& key,
                                               std::string* error) override {
    // The buffer grows until the whole value fits: a long soapbox or address
    // comes back whole.
    const std::string file = FullPath(path);
    std::string buffer(256, '\0');
    for (;;) {
      const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing,
                                                 buffer.data(),
                                                 static_cast<DWORD>(buffer.size()), file.c_str());
      if (n + 1 < buffer.size() || buffer.size() >= (1u << 24)) {
        buffer.resize(n);
        break;
      }
      buffer.assign(buffer.size() * 2, '\0');
    }
    if (buffer != kMissing) return buffer;
    // The profile functions answer a file they cannot open with the
    // default, as if the key were missing: a file that is there is probed.
    const DWORD attributes = ::GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    DWORD unreadable = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_ACCESS_DENIED
                                                                     : ERROR_SUCCESS;
    if (unreadable == ERROR_SUCCESS) {
      win32::UniqueFile probe(::CreateFileA(file.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
      if (!probe) unreadable = ::GetLastError();
    }
    if (unreadable != ERROR_SUCCESS && unreadable != ERROR_FILE_NOT_FOUND &&
        unreadable != ERROR_PATH_NOT_FOUND) {
      failure_log::Record("GetPrivateProfileString", path, ErrorText(unreadable));
      if (error != nullptr) *error = ErrorText(unreadable);
    }
    return std::nullopt;
  }

  bool WriteProfileString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value,
                          std::string* error) override {
    std::lock_guard lock(profile_mutex_);
    const std::string file = FullPath(path);
    auto fail = [&](DWORD code) {
      failure_log::Record("WritePrivateProfileString", path + " [" + section + "] " + key,
                          ErrorText(code));
      if (error != nullptr) *error = ErrorText(code);
      return false;
    };
    // The system's profile functions write the file in place, through a
    // symbolic link, and keep its permissions.  What they are not sure to do
    // everywhere is checked first, so that every build behaves alike: a
    // read-only file is refused, and so is a file that exists but cannot be
    // read, whose keys would otherwise be lost.
    const DWORD attributes = ::GetFileAttributesA(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return fail(ERROR_ACCESS_DENIED);
      if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return fail(ERROR_ACCESS_DENIED);
      // The probe is closed again before the profile functions open the
      // file: they may want it to themselves.
      DWORD unreadable = ERROR_SUCCESS;
      {
        win32::UniqueFile probe(::CreateFileA(file.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE |
                                                  FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
        if (!probe) unreadable = ::GetLastError();
      }
      if (unreadable != ERROR_SUCCESS) return fail(unreadable);
    } else {
      MakeParentFolder(file);
    }
    if (!::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                      file.c_str())) {
      return fail(::GetLastError());
    }
    return true;
  }

  std::vector<std::string> FindFiles(const std::string& pattern) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    win32::UniqueFind find(::FindFirstFileA(pattern.c_str(), &data));
    if (!find) {
      // No match is an empty answer; any other refusal is logged.
      const DWORD code = ::GetLastError();
      if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
        failure_log::Record("FindFirstFile", pattern, ErrorText(code));
      }
      return names;
    }
    do {
      names.emplace_back(data.cFileName);
    } while (::FindNextFileA(find.get(), &data));
    return names;
  }

  std::unique_ptr<File> OpenFile(const std::string& path, FileMode mode,
                                 std::string* error) override {
    const DWORD access = mode == FileMode::kRead ? GENERIC_READ
                         : mode == FileMode::kAppend ? FILE_APPEND_DATA
                                                     : GENERIC_WRITE;
    const DWORD disposition = mode == FileMode::kRead ? OPEN_EXISTING
                              : mode == FileMode::kAppend ? OPEN_ALWAYS
                                                          : CREATE_ALWAYS;
    // A read-only file is refused for writing; the system does so too,
    // except where a privileged emulation lets it through: asked first, so
    // that every system says so alike.
    if (mode != FileMode::kRead && IsReadOnlyFile(path)) {
      failure_log::Record("CreateFile", path, ErrorText(ERROR_ACCESS_DENIED));
      if (error != nullptr) *error = ErrorText(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    // Other programs may read and write the file while it is open.
    win32::UniqueFile h(::CreateFileA(path.c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
      const DWORD code = ::GetLastError();
      failure_log::Record("CreateFile", path, ErrorText(code));
      if (error != nullptr) *error = ErrorText(code);
      return nullptr;
    }
    return std::make_unique<Win32File>(std::move(h), path);
  }

  std::optional<std::string> ReadFile(const std::string& path) override {
    win32::UniqueFile h(::CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) {
      // A missing file is an answer (nullopt), not a failure.
      const DWORD code = ::GetLastError();
      if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
        failure_log::Record("CreateFile", path, ErrorText(code));
      }
      return std::nullopt;
    }
    // Read to the end into the string itself, growing it as it fills.
    std::string contents(64 * 1024, '\0');
    size_t used = 0;
    for (;;) {
      if (used == contents.size()) contents.resize(contents.size() * 2);
      const DWORD want = static_cast<DWORD>(std::min<size_t>(contents.size() - used, 1 << 20));
      DWORD n = 0;
      if (!::ReadFile(h.get(), contents.data() + used, want, &n, nullptr)) {
        failure_log::Record("ReadFile", path, ErrorText(::GetLastError()));
        return std::nullopt;
      }
      if (n == 0) break;
      used += n;
    }
    contents.resize(used);
    return contents;
  }

  bool RenameFile(const std::string& from, const std::string& to, std::string* error) override {
    // MoveFileEx refuses to replace a read-only file; asked first, so that
    // every system says so alike.
    const bool read_only = IsReadOnlyFile(to);
    if (!read_only && ::MoveFileExA(from.c_str(), to.c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return true;
    }
    const DWORD code = read_only ? ERROR_ACCESS_DENIED : ::GetLastError();
    failure_log::Record("MoveFileEx", from + " -> " + to, ErrorText(code));
    if (error != nullptr) *error = ErrorText(code);
    return false;
  }

  bool RemoveFile(const std::string& path) override {
    if (::DeleteFileA(path.c_str()) != 0) return true;
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_NOT_FOUND) failure_log::Record("DeleteFile", path, ErrorText(code));
    return false;
  }

  void ShowMessage(const char* caption, const std::string& text, unsigned style,
                   MessageOwner owner) override {
    HWND parent = nullptr;
    if (owner == MessageOwner::kActiveWindow) {
      parent = ::GetActiveWindow();
    } else {
      ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&parent));
    }
    ::MessageBoxA(parent, text.c_str(), caption, style);
  }

  void Sleep(unsigned milliseconds) override { ::Sleep(milliseconds); }

 private:
  std::mutex profile_mutex_;
};

}  // namespace

void EndCurrentThreadNow() { ::ExitThread(0); }

Platform& NativePlatform() {
  static Win32Platform* platform = new Win32Platform;
  return *platform;
}

namespace failure_log {

void WriteDebugLine(const std::string& line) {
  const std::wstring wide = win32::ToWide(line + "\n", win32::TextCoding::kHostCodePage);
  ::OutputDebugStringW(wide.c_str());
}

}  // namespace failure_log

}  // namespace stats

