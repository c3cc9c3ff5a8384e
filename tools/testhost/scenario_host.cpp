// A real host's ways with the plug-in: the host's automation object lives
// in the host's own thread (a single-threaded apartment, as a Windows GUI
// program has it, or a multithreaded one), and that thread calls LoadLibrary,
// the exports and FreeLibrary without handling messages while inside them,
// and handles them between calls.
//
//   testhost host <dll> [sta|mta] [open-windows|slow-refresh|new-contests|cycles]
//
// Without arguments: mta slow-refresh.  Every variant checks that the
// process lives on, that each unload returns within a second, and that no
// window of the plug-in is left once the host has handled its messages.
#include <windows.h>

#include <cstdio>
#include <string>

#include "resources/windows_ids.h"
#include "tools/testhost/host_object.h"
#include "tools/testhost/scenario.h"

namespace testhost {
namespace {

const wchar_t kSetupTitle[] = L"Setup UBA-PSK63-PFX 2017";
constexpr unsigned long kUnloadLimitMs = 1000;

bool OwnVisible(HWND hwnd) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  return pid == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd);
}

BOOL CALLBACK AddTitle(HWND hwnd, LPARAM lp) {
  if (!OwnVisible(hwnd)) return TRUE;
  std::string& titles = *reinterpret_cast<std::string*>(lp);
  titles.push_back('[');
  titles.append(ToUtf8(TitleOf(hwnd)));
  titles.push_back(']');
  return TRUE;
}

BOOL CALLBACK CountOne(HWND hwnd, LPARAM lp) {
  if (OwnVisible(hwnd)) ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

// The titles of the visible top-level windows of this process.
std::string OwnTitles() {
  std::string titles;
  ::EnumWindows(AddTitle, reinterpret_cast<LPARAM>(&titles));
  return titles;
}

// Every visible top-level window of this process.
int CountOwnWindows() {
  int count = 0;
  ::EnumWindows(CountOne, reinterpret_cast<LPARAM>(&count));
  return count;
}

void WriteSettings(const std::string& body) {
  ::CreateDirectoryW(L"Plugins", nullptr);
  Check(WriteBytes(L"Plugins\\ZEVUVI.ini", "[Settings]\r\n" + body), "write the settings file");
}

// ResetStats0 as the host calls it, timed; "Start" is cleared first, so
// that the run opens the setup window.
unsigned long StartContest(Plugin& plugin, const ResetCall& call) {
  std::string settings;
  ReadBytes(L"Plugins\\ZEVUVI.ini", &settings);
  const size_t at = settings.find("Start=1");
  if (at != std::string::npos) settings[at + 6] = '0';
  WriteBytes(L"Plugins\\ZEVUVI.ini", settings);
  const ULONGLONG start = ::GetTickCount64();
  CheckEqual(Reset(plugin, call), 1, "ResetStats0");
  return static_cast<unsigned long>(::GetTickCount64() - start);
}

void TypeCall(Plugin& plugin, const std::string& call) {
  CheckCall(plugin, call, "20m");
}

void CheckUnload(Plugin& plugin, const std::string& what) {
  const unsigned long ms = plugin.Unload();
  Check(ms < kUnloadLimitMs, what + ": FreeLibrary took " + std::to_string(ms) + " ms");
}

// The host goes on handling its messages; the plug-in's windows must go.
void CheckWindowsGone(const std::string& what) {
  Check(WaitUntil([] { return CountOwnWindows() == 0; }, 10000),
        what + ": no window of the plug-in is left (" + std::to_string(CountOwnWindows()) +
            " visible)");
  // Whatever the plug-in's threads still do, they do it now.
  Pump(500);
}

const char kAllWindows[] = "setup_on_section=1\r\nsetup_wpx_pref=1\r\nsetup_prev_qso=1\r\n";

// The host's own window with its entry line, in the foreground as the
// operator types into it.
class EntryLine {
 public:
  EntryLine() {
    hwnd_ = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 600, 300,
                              80, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    Check(hwnd_ != nullptr, "the host's entry line");
    if (hwnd_ != nullptr) {
      ::SetForegroundWindow(hwnd_);
      ::SetFocus(hwnd_);
      Pump(100);
    }
  }
  ~EntryLine() {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
  }
  EntryLine(const EntryLine&) = delete;
  EntryLine& operator=(const EntryLine&) = delete;
  void CheckStillFocused(const std::string& what) const {
    Check(::GetForegroundWindow() == hwnd_ && ::GetFocus() == hwnd_,
          what + ": the host's entry line keeps the foreground and the focus");
  }

 private:
  HWND hwnd_ = nullptr;
};

// Unload with the setup window and the three companion windows open.
void OpenWindows(const Context& context, FakeHostObject& host, const ResetCall& call) {
  WriteSettings(kAllWindows);
  EntryLine entry_line;
  Plugin plugin(context.dll_path);
  if (!plugin.loaded()) return;
  StartContest(plugin, call);
  Check(WaitForTitled(kSetupTitle) != nullptr, "the setup window opens");
  Check(WaitForTitled(L"UBA-PSK63-PFX 2017 worked with DL1ABC") != nullptr,
        "the previous-QSO window shows the call being typed");
  Check(WaitUntil([] { return CountOwnWindows() == 5; }), "four windows open");
  entry_line.CheckStillFocused("a contest start");
  TypeCall(plugin, "DL1ABC");
  Pump(300);
  entry_line.CheckStillFocused("a refresh");
  CheckUnload(plugin, "unload with every window open");
  Check(WaitUntil([] { return CountOwnWindows() == 1; }, 10000),
        "no window of the plug-in is left after the unload");
  CheckEqual(static_cast<long long>(host.BadCalls()), 0, "calls the host object does not know");
}

// The host answers slowly (300 ms a call) and unloads the plug-in right
// after the typing check, while the refresh waits for it.
void SlowRefresh(const Context& context, FakeHostObject& host, const ResetCall& call) {
  WriteSettings(kAllWindows);
  Plugin plugin(context.dll_path);
  if (!plugin.loaded()) return;
  StartContest(plugin, call);
  Check(WaitUntil([] { return CountOwnWindows() == 4; }), "four windows open");
  Pump(500);
  host.SetAnswerDelay(300);
  const int reads = host.FrequencyReads();
  TypeCall(plugin, "DL1ABC");
  Sleep(50);  // the refresh is on its way to the host
  CheckUnload(plugin, "unload while a refresh waits for the host");
  CheckWindowsGone("after the unload during a refresh");
  Check(host.FrequencyReads() > reads, "the refresh in flight was answered");
  host.SetAnswerDelay(0);
}

// Three contest starts in a row, each with a new setup window there after
// it.  (With the previous-QSO window open a start keeps the window thread
// as it is, so that window stays off here.)
void NewContests(const Context& context, FakeHostObject& /*host*/, const ResetCall& call) {
  WriteSettings("setup_on_section=1\r\nsetup_wpx_pref=1\r\n");
  Plugin plugin(context.dll_path);
  if (!plugin.loaded()) return;
  const wchar_t kSeen[] = L"testhost.seen";
  for (int run = 1; run <= 3; ++run) {
    std::string what = "contest start ";
    what += std::to_string(run);
    const unsigned long ms = StartContest(plugin, call);
    Check(ms < kUnloadLimitMs, what + ": ResetStats0 took " + std::to_string(ms) + " ms");
    // The setup window of the last start carries a mark; a window handle
    // may come back for a new window, the mark does not.
    HWND setup = nullptr;
    const bool opened = WaitUntil([&] {
      setup = FindTitled(kSetupTitle);
      return setup != nullptr && ::GetPropW(setup, kSeen) == nullptr && CountOwnWindows() == 3;
    });
    Check(opened, what + ": a new setup window and its companion windows are there: " +
                      OwnTitles());
    if (setup != nullptr) ::SetPropW(setup, kSeen, reinterpret_cast<HANDLE>(1));
    TypeCall(plugin, "DL1ABC");
    Pump(200);
  }
  Check(CountOwnWindows() == 3, "one setup window and two companion windows");
  CheckUnload(plugin, "unload after three starts");
  CheckWindowsGone("after three starts");
}

// Load, start, unload, fifty times.
void Cycles(const Context& context, FakeHostObject& /*host*/, const ResetCall& call) {
  WriteSettings("setup_prev_qso=1\r\n");
  for (int cycle = 1; cycle <= 50 && Failures() == 0; ++cycle) {
    std::string what = "cycle ";
    what += std::to_string(cycle);
    Plugin plugin(context.dll_path);
    if (!plugin.loaded()) return;
    StartContest(plugin, call);
    Check(WaitForTitled(kSetupTitle) != nullptr, what + ": the setup window opens");
    if (cycle % 2 == 0) TypeCall(plugin, "DL1ABC");
    Pump(50);
    CheckUnload(plugin, what);
    Check(WaitUntil([] { return CountOwnWindows() == 0; }), what + ": the windows go");
    if (cycle % 10 == 0) std::fprintf(stderr, "%s done\n", what.c_str());
  }
  CheckWindowsGone("after fifty cycles");
}

int HostRun(const Context& context) {
  if (const int code = RunWithUnmanagedWindows(); code >= 0) return code;
  const std::wstring kind = context.args.size() > 0 ? context.args[0] : L"mta";
  const std::wstring variant = context.args.size() > 1 ? context.args[1] : L"slow-refresh";
  FakeHostObject host;
  host.SetFrequency(14070000.0);
  host.SetEntry(L"DL1ABC");
  const std::wstring folder = EnterScratchFolder(L"host-" + kind + L"-" + variant);
  if (folder.empty()) return 1;
  Check(WriteBytes(L"Zelk2.ini", "[Zelk]\r\nZelk=2.20\r\n"), "write Zelk2.ini");
  {
    RunningHost running(host, kind == L"sta" ? Apartment::kSingleThreaded
                                             : Apartment::kMultiThreaded);
    ResetCall call;
    call.host_folder = ToAnsi(folder);
    if (variant == L"open-windows") {
      OpenWindows(context, host, call);
    } else if (variant == L"slow-refresh") {
      SlowRefresh(context, host, call);
    } else if (variant == L"new-contests") {
      NewContests(context, host, call);
    } else if (variant == L"cycles") {
      Cycles(context, host, call);
    } else {
      Check(false, "no variant " + ToUtf8(variant));
    }
    Pump(500);
  }
  CheckEqual(host.NameLookups(), 0, "names looked up (GetIDsOfNames)");
  return 0;
}

const ScenarioRegistration registration("host", HostRun);

}  // namespace
}  // namespace testhost
