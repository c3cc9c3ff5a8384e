#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "system.h"

namespace replay::sys {

std::string SystemMessage(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (n != 0 && text != nullptr) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(n), nullptr, 0,
                                          nullptr, nullptr);
    message.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(n), message.data(), bytes, nullptr,
                        nullptr);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
      message.pop_back();
    }
  }
  if (text != nullptr) LocalFree(text);
  if (message.empty()) message = "system error " + std::to_string(code);
  return message;
}

void* OpenLibrary(const std::filesystem::path& path, std::string* error) {
  HMODULE library = LoadLibraryW(path.c_str());
  if (library == nullptr) *error = SystemMessage(GetLastError());
  return reinterpret_cast<void*>(library);
}

void* FindSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) {
  const auto module = static_cast<HMODULE>(library);
  FreeLibrary(module);
  // The plug-in's window thread may hold a reference of its own a little
  // longer, and may wait for this thread's messages meanwhile: give it a
  // few seconds to let go, so that the program does not end that thread in
  // the middle of its work.
  wchar_t name[MAX_PATH];
  for (const ULONGLONG until = GetTickCount64() + 5000; GetTickCount64() < until;) {
    if (GetModuleFileNameW(module, name, MAX_PATH) == 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

std::filesystem::path ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::vector<std::filesystem::path> SystemCountryFiles() { return {}; }

std::filesystem::path MakePrivateFolder(const std::string& stem, std::string* error) {
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  if (ec) {
    *error = "no folder for temporary files: " + ec.message();
    return {};
  }
  // The folder inherits the user's temporary folder's protection; a name
  // taken by another folder is tried again with the next number.
  const unsigned long long seed = GetTickCount64() ^ (static_cast<unsigned long long>(GetCurrentProcessId()) << 20);
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    const std::filesystem::path folder =
        temp / (stem + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string((seed + attempt) % 1000000));
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    const DWORD code = GetLastError();
    if (code != ERROR_ALREADY_EXISTS) {
      *error = "cannot make the folder " + folder.string() + ": " + SystemMessage(code);
      return {};
    }
  }
  *error = "cannot make a folder in " + temp.string() + ": every name tried is taken";
  return {};
}

std::optional<FileId> IdentifyFile(const std::filesystem::path& path) {
  struct Closer {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
  };
  // No access asked: the file's facts only, whoever else has it open.
  const HANDLE opened = CreateFileW(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::unique_ptr<void, Closer> handle(opened);
  BY_HANDLE_FILE_INFORMATION facts{};
  if (!GetFileInformationByHandle(handle.get(), &facts)) return std::nullopt;
  return FileId{facts.dwVolumeSerialNumber,
                (static_cast<uint64_t>(facts.nFileIndexHigh) << 32) | facts.nFileIndexLow};
}

void UseBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

}  // namespace replay::sys
