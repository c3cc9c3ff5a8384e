// Helpers the scenarios share: byte-exact checks, text conversions, scratch
// folders, whole-file reads and writes, and the host's long argument lists.
#include <windows.h>

#include <cstdio>
#include <string>

#include "model/civil_date.h"
#include "tools/testhost/scenario.h"

namespace testhost {
namespace {

// Control characters as escapes, so that a missing CR shows.
std::string Visible(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::wstring Convert(UINT code_page, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(code_page, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        n);
  return wide;
}

std::string Convert(UINT code_page, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n = ::WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), n,
                        nullptr, nullptr);
  return bytes;
}

// Deletes a folder and everything in it.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

bool CheckEqual(const std::string& actual, const std::string& expected, const std::string& what) {
  if (actual == expected) return true;
  return Check(false, what + "\n    expected \"" + Visible(expected) + "\"\n    actual   \"" +
                          Visible(actual) + "\"");
}

bool CheckEqual(long long actual, long long expected, const std::string& what) {
  if (actual == expected) return true;
  return Check(false, what + ": expected " + std::to_string(expected) + ", actual " +
                          std::to_string(actual));
}

std::string ToAnsi(const std::wstring& wide) { return Convert(CP_ACP, wide); }
std::wstring FromAnsi(const std::string& ansi) { return Convert(CP_ACP, ansi); }
std::string ToUtf8(const std::wstring& wide) { return Convert(CP_UTF8, wide); }

std::wstring EnterScratchFolder(const std::wstring& name) {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring base(n, L'\0');
  base.resize(::GetCurrentDirectoryW(n, base.data()));
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  const std::wstring folder = base + L"\\" + name;
  RemoveTree(folder);
  if (!Check(::CreateDirectoryW(folder.c_str(), nullptr) != FALSE,
             "create the scratch folder " + ToUtf8(folder)) ||
      !Check(::SetCurrentDirectoryW(folder.c_str()) != FALSE,
             "enter the scratch folder " + ToUtf8(folder))) {
    return std::wstring();
  }
  return folder + L"\\";
}

bool ReadBytes(const std::wstring& path, std::string* contents) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  contents->clear();
  std::string chunk(4096, '\0');
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    contents->append(chunk.data(), got);
  }
  ::CloseHandle(h);
  return ok;
}

bool WriteBytes(const std::wstring& path, const std::string& contents) {
  // The plug-in may hold the file open (its journal): share like it does.
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = contents.empty() ||
                  (::WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written,
                               nullptr) != FALSE &&
                   written == contents.size());
  return ::CloseHandle(h) != FALSE && ok;
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

OleDateTime HostDate(int year, int month, int day, int hour, int minute) {
  return OleDateTime{stats::civil::OleDays(year, month, day, hour, minute), 0};
}

int Reset(Plugin& plugin, const ResetCall& call) {
  if (!Check(plugin.ResetStats0 != nullptr, "ResetStats0 resolved")) return -1;
  stats::host_args::ResetFields f;
  f.host_folder = call.host_folder.c_str();
  f.cabrillo = call.cabrillo;
  f.own_call = call.own_call.c_str();
  f.start = &call.start;
  f.end = &call.end;
  f.own_country = call.own_country.c_str();
  return stats::host_args::CallReset(plugin.ResetStats0, f);
}

QsoCall::QsoCall() {
  own_call = "ON4ZZZ";
  time = HostDate(2017, 1, 6, 18, 30);
  frequency_hz = 14070000;
  mode = "BPSK63";
  rst_sent = "599";
  rst_received = "599";
  exchange_sent = "001";
  band = "20m";
}

int AddQso(Plugin& plugin, const QsoCall& qso) {
  if (!Check(plugin.AddData0 != nullptr, "AddData0 resolved")) return -1;
  return stats::host_args::CallQso(plugin.AddData0, qso);
}

int RemoveQso(Plugin& plugin, const QsoCall& qso) {
  if (!Check(plugin.RemoveData0 != nullptr, "RemoveData0 resolved")) return -1;
  return stats::host_args::CallQso(plugin.RemoveData0, qso);
}

int CheckCall(Plugin& plugin, const std::string& call, const char* band) {
  if (!Check(plugin.CheckCallFunc0 != nullptr, "CheckCallFunc0 resolved")) return -1;
  stats::host_args::CheckFields f;
  f.call = call.c_str();
  f.band = band;
  f.band2 = band;
  return stats::host_args::CallCheck(plugin.CheckCallFunc0, f);
}

}  // namespace testhost
