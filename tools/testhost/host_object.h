// The test host's side of the host automation: an automation object of its
// own under "Zelk2.Application" (ids 2, 8, 16, in the running-object table),
// in a multithreaded or a single-threaded apartment, and the waiting and
// looking at windows that the scenarios share.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tools/testhost/scenario.h"

namespace testhost {

// The class id under which the test host's automation object is found.
inline const CLSID kFakeHostClsid = {
    0x6e1b7c3a, 0x2f4d, 0x4c8e, {0x9a, 0x51, 0x3d, 0x7e, 0x0b, 0x2c, 0x9f, 0x14}};
inline const wchar_t kFakeHostClsidText[] = L"{6E1B7C3A-2F4D-4C8E-9A51-3D7E0B2C9F14}";
inline const wchar_t kProgIdName[] = L"Zelk2.Application";
inline const wchar_t kProgIdKey[] = L"Software\\Classes\\Zelk2.Application";

// -- The host's automation object ----------------------------------------------

// Entry line and frequency set by the scenario, commands recorded.  Calls
// arrive on the threads that serve the host's apartment.
class FakeHostObject final : public IDispatch {
 public:
  void SetEntry(const std::wstring& call) {
    std::lock_guard lock(mutex_);
    entry_ = call;
  }
  void SetFrequency(double hz) {
    std::lock_guard lock(mutex_);
    frequency_ = hz;
  }
  std::vector<std::wstring> Commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
  }
  int FrequencyReads() const {
    std::lock_guard lock(mutex_);
    return frequency_reads_;
  }
  int NameLookups() const { return name_lookups_.load(); }
  // Every call takes this long to answer, on the thread that serves it.
  void SetAnswerDelay(unsigned ms) { delay_ms_.store(ms); }
  int BadCalls() const { return bad_calls_.load(); }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  // The object lives on the scenario's stack: the count only tells whether
  // every reference came back.
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  ULONG References() const { return references_.load(); }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count != nullptr) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    ++name_lookups_;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override {
    const UINT args = params != nullptr ? params->cArgs : 0;
    if (const unsigned delay = delay_ms_.load()) ::Sleep(delay);
    std::lock_guard lock(mutex_);
    switch (id) {
      case 2:
        if (kind != DISPATCH_PROPERTYGET || args != 0 || result == nullptr) break;
        ++frequency_reads_;
        result->vt = VT_R8;
        result->dblVal = frequency_;
        return S_OK;
      case 8:
        if (kind != DISPATCH_METHOD || args != 1 || params->rgvarg[0].vt != VT_I4 ||
            result == nullptr) {
          break;
        }
        result->vt = VT_BSTR;
        result->bstrVal = ::SysAllocString(params->rgvarg[0].lVal == 5 ? entry_.c_str() : L"");
        return S_OK;
      case 16:
        if (kind != DISPATCH_METHOD || args != 1 || params->rgvarg[0].vt != VT_BSTR) break;
        commands_.emplace_back(params->rgvarg[0].bstrVal,
                               ::SysStringLen(params->rgvarg[0].bstrVal));
        return S_OK;
      default:
        break;
    }
    ++bad_calls_;
    return DISP_E_MEMBERNOTFOUND;
  }

 private:
  mutable std::mutex mutex_;
  std::wstring entry_;
  double frequency_ = 0.0;
  std::vector<std::wstring> commands_;
  int frequency_reads_ = 0;
  std::atomic<int> name_lookups_{0};
  std::atomic<int> bad_calls_{0};
  std::atomic<ULONG> references_{1};
  std::atomic<unsigned> delay_ms_{0};
};

// How the host's thread takes part in COM.  A multithreaded apartment
// serves the plug-in's calls on COM's own threads while this thread waits;
// a single-threaded one, as a Windows GUI program has, serves them on this
// thread only, and only while it handles its messages.
enum class Apartment { kMultiThreaded, kSingleThreaded };

// The host's side of COM for one scenario: the apartment, the ProgID
// mapping in the user's classes, and the object in the running-object
// table.  All of it is undone at the end.
class RunningHost {
 public:
  explicit RunningHost(FakeHostObject& object, Apartment apartment = Apartment::kMultiThreaded)
      : object_(object) {
    apartment_ = SUCCEEDED(::CoInitializeEx(
        nullptr, apartment == Apartment::kMultiThreaded ? COINIT_MULTITHREADED
                                                        : COINIT_APARTMENTTHREADED));
    Check(apartment_, "CoInitializeEx");
    Check(WriteProgId(HKEY_CURRENT_USER, kProgIdKey), "register the ProgID under HKCU\\Software\\Classes");
    // Where the user's classes are not part of the merged view (Wine), the
    // mapping goes to the machine's classes as well.
    if (!ProgIdFound() && WriteProgId(HKEY_CLASSES_ROOT, kProgIdName)) machine_key_ = true;
    Check(ProgIdFound(), "CLSIDFromProgID finds the test host's class");
    registered_ = Check(SUCCEEDED(::RegisterActiveObject(&object_, kFakeHostClsid,
                                                         ACTIVEOBJECT_STRONG, &cookie_)),
                        "RegisterActiveObject");
  }
  ~RunningHost() {
    if (registered_) ::RevokeActiveObject(cookie_, nullptr);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kProgIdKey);
    if (machine_key_) ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgIdName);
    if (apartment_) ::CoUninitialize();
  }
  RunningHost(const RunningHost&) = delete;
  RunningHost& operator=(const RunningHost&) = delete;

 private:
  static bool WriteProgId(HKEY root, const wchar_t* path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, (std::wstring(path) + L"\\CLSID").c_str(), 0, nullptr, 0,
                          KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const bool ok = ::RegSetValueExW(key, nullptr, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(kFakeHostClsidText),
                                     sizeof kFakeHostClsidText) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
  }
  static bool ProgIdFound() {
    CLSID found{};
    return SUCCEEDED(::CLSIDFromProgID(L"Zelk2.Application", &found)) &&
           IsEqualCLSID(found, kFakeHostClsid);
  }

  FakeHostObject& object_;
  bool machine_key_ = false;
  bool apartment_ = false;
  bool registered_ = false;
  DWORD cookie_ = 0;
};

// -- Waiting and looking --------------------------------------------------------

// Handles this thread's messages for ms milliseconds.
inline void Pump(unsigned ms) {
  const ULONGLONG end = ::GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    const ULONGLONG now = ::GetTickCount64();
    if (now >= end) return;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
  }
}

// Pumps until done() holds; false after timeout_ms.
inline bool WaitUntil(const std::function<bool()>& done, unsigned timeout_ms = 10000) {
  const ULONGLONG end = ::GetTickCount64() + timeout_ms;
  while (!done()) {
    if (::GetTickCount64() >= end) return false;
    Pump(20);
  }
  return true;
}

inline std::wstring TitleOf(HWND hwnd) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

struct TitleSearch {
  const std::wstring* prefix;
  HWND found;
};

inline BOOL CALLBACK MatchTitle(HWND hwnd, LPARAM lp) {
  auto* search = reinterpret_cast<TitleSearch*>(lp);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid != ::GetCurrentProcessId() || !::IsWindowVisible(hwnd)) return TRUE;
  if (TitleOf(hwnd).rfind(*search->prefix, 0) != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

// The visible top-level window of this process whose title begins with
// prefix; null when there is none.
inline HWND FindTitled(const std::wstring& prefix) {
  TitleSearch search{&prefix, nullptr};
  ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND WaitForTitled(const std::wstring& prefix, unsigned timeout_ms = 10000) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTitled(prefix)) != nullptr; }, timeout_ms);
  return found;
}

inline bool WaitForTitle(HWND hwnd, const std::wstring& title) {
  return WaitUntil([&] { return TitleOf(hwnd) == title; });
}

// Sends to a window of the plug-in's thread without ever hanging the test.
inline LRESULT Send(HWND hwnd, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_NORMAL, 5000, &result);
  return static_cast<LRESULT>(result);
}

inline std::wstring ItemText(HWND dialog, int id) {
  HWND item = ::GetDlgItem(dialog, id);
  return item != nullptr ? TitleOf(item) : L"<no control " + std::to_wstring(id) + L">";
}

inline bool Checked(HWND dialog, int id) {
  return Send(::GetDlgItem(dialog, id), BM_GETCHECK) == BST_CHECKED;
}

// A click on a check box of the plug-in: it toggles, then its command goes.
inline void Click(HWND dialog, int id) { Send(::GetDlgItem(dialog, id), BM_CLICK); }

inline std::vector<std::wstring> ListEntries(HWND list) {
  std::vector<std::wstring> entries;
  const LRESULT n = Send(list, LB_GETCOUNT);
  for (LRESULT k = 0; k < n; ++k) {
    std::wstring text(static_cast<size_t>(Send(list, LB_GETTEXTLEN, k)) + 1, L'\0');
    text.resize(static_cast<size_t>(Send(list, LB_GETTEXT, k, reinterpret_cast<LPARAM>(text.data()))));
    entries.push_back(text);
  }
  return entries;
}

inline std::wstring Joined(const std::vector<std::wstring>& texts) {
  std::wstring all;
  for (const std::wstring& t : texts) all += L"[" + t + L"]";
  return all;
}

inline bool Topmost(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

inline void CheckTitle(HWND hwnd, const std::wstring& expected, const std::string& what) {
  if (!Check(hwnd != nullptr, what + ": window found")) return;
  WaitForTitle(hwnd, expected);
  CheckEqual(ToUtf8(TitleOf(hwnd)), ToUtf8(expected), what);
}

inline void CheckPosition(HWND hwnd, int x, int y, const std::string& what) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  CheckEqual(r.left, x, what + " x");
  CheckEqual(r.top, y, what + " y");
}


// -- Unmanaged windows under Wine -------------------------------------------------

// Wine hands each top-level window to the X display's window manager; the
// test display (Xvfb) has none, so Wine would wait two seconds at every
// window's end for a withdrawal nobody confirms, and would leave the
// captions undrawn.  So under Wine the scenario runs again in a child
// process for which Wine manages the windows itself ("Managed" off for
// this program), as Windows does.  Returns -1 when the scenario is to run
// in this process, else the child's exit code.
inline const wchar_t kChildVariable[] = L"STATS_TESTHOST_UNMANAGED";

inline int RunWithUnmanagedWindows() {
  const bool wine =
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  if (!wine || ::GetEnvironmentVariableW(kChildVariable, nullptr, 0) != 0) return -1;
  std::wstring program(MAX_PATH, L'\0');
  program.resize(::GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
  const std::wstring name = program.substr(program.find_last_of(L"\\/") + 1);
  const std::wstring key_path = L"Software\\Wine\\AppDefaults\\" + name + L"\\X11 Driver";
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) == ERROR_SUCCESS) {
    const wchar_t no[] = L"N";
    ::RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
    ::RegCloseKey(key);
  }
  ::SetEnvironmentVariableW(kChildVariable, L"1");
  std::wstring command_line = ::GetCommandLineW();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  if (!Check(::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                              nullptr, nullptr, &startup, &child) != FALSE,
             "start the scenario with unmanaged windows")) {
    return 1;
  }
  ::CloseHandle(child.hThread);
  ::WaitForSingleObject(child.hProcess, INFINITE);
  DWORD code = 1;
  ::GetExitCodeProcess(child.hProcess, &code);
  ::CloseHandle(child.hProcess);
  return static_cast<int>(code);
}


}  // namespace testhost
