// Operator windows run: the test host plays a running logging host with an
// automation object of its own under "Zelk2.Application" (ids 2, 8, 16, in
// the running-object table), starts contest runs and looks at the plug-in's
// windows with the ordinary window functions: the commands the plug-in
// sends, titles, check boxes, the prefix list, positions, keys, a
// Russian-language run, and an unload with every window open.
//
// "windows-show" opens the four windows side by side with a worked call and
// holds them until a file "done" appears (scripts/screenshots.sh).
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "resources/section_codes.h"
#include "resources/windows_ids.h"
#include "tools/testhost/host_object.h"
#include "tools/testhost/scenario.h"

namespace testhost {
namespace {

// -- The plug-in's side -----------------------------------------------------------

// CheckCallFunc0 for a call on 20m: the typing check, which also asks the
// setup window to refresh.  Returns when the refresh has read the frequency.
void TypeCall(Plugin& plugin, FakeHostObject& host, const std::string& call) {
  if (!Check(plugin.CheckCallFunc0 != nullptr, "CheckCallFunc0 resolved")) return;
  const int reads = host.FrequencyReads();
  CheckCall(plugin, call, "20m");
  Check(WaitUntil([&] { return host.FrequencyReads() > reads; }),
        "a refresh follows the typing check of " + call);
  // The rest of the refresh (commands, titles, lists) follows at once.
  Pump(300);
}

QsoCall Qso(const std::string& call, const std::string& exchange, const std::string& prefix,
            const std::string& country, const std::string& band = "20m") {
  QsoCall q;
  q.call = call;
  q.exchange_received = exchange;
  q.prefix = prefix;
  q.country = country;
  q.band = band;
  q.frequency_hz = band == "40m" ? 7040000 : 14070000;
  return q;
}

void LogWorkedStations(Plugin& plugin) {
  AddQso(plugin, Qso("DL1ABC", "001", "DL1", "DL"));
  AddQso(plugin, Qso("OK1XYZ", "002", "OK1", "OK"));
  AddQso(plugin, Qso("ON4ABC", "LGE", "ON4", "ON"));
  AddQso(plugin, Qso("ON5ARA", "ARA", "ON5", "ON"));
  AddQso(plugin, Qso("DL1ABC", "003", "DL1", "DL", "40m"));
  // The worked lists are those of the last score.
  int size = 0;
  if (Check(plugin.GetResult0 != nullptr, "GetResult0 resolved")) plugin.GetResult0(&size);
}

std::string Settings() {
  std::string text;
  ReadBytes(L"Plugins\\ZEVUVI.ini", &text);
  return text;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct Windows {
  HWND setup = nullptr, section = nullptr, prefix = nullptr, previous = nullptr;
};

const wchar_t kSetupTitle[] = L"Setup UBA-PSK63-PFX 2017";
const wchar_t kSectionTitle[] = L"UBA-PSK63-PFX 2017 UBA Section worked ";
const wchar_t kPrefixTitle[] = L"UBA-PSK63-PFX 2017 Prefix worked on ";
const wchar_t kPreviousTitle[] = L"UBA-PSK63-PFX 2017 worked with ";

// -- The English run -------------------------------------------------------------------

// First opening with a fresh settings file: place, options, texts, the
// combo's choices, and the host's mode set.
HWND CheckFreshSetup(FakeHostObject& host) {
  HWND setup = WaitForTitled(kSetupTitle);
  if (!Check(setup != nullptr, "the setup window opens")) return nullptr;
  CheckEqual(ToUtf8(TitleOf(setup)), ToUtf8(kSetupTitle), "setup window title");
  CheckPosition(setup, 10, 400, "fresh setup window");
  Check(Topmost(setup), "the setup window is topmost");
  Check(Send(setup, WM_GETICON, ICON_BIG) != 0, "the setup window has its large icon");
  const UINT close = ::GetMenuState(::GetSystemMenu(setup, FALSE), SC_CLOSE, MF_BYCOMMAND);
  Check(close != static_cast<UINT>(-1) && (close & MF_GRAYED) != 0,
        "the setup window's Close command is greyed");
  const struct {
    int id;
    const wchar_t* text;
  } labels[] = {{IDC_ON_SECTION_LABEL, L"Select your ON         section"},
                {IDC_VIEW_LABEL, L"View"},
                {IDC_OPT_SECTION, L"ON section"},
                {IDC_OPT_PREFIX, L"WPX prefix"},
                {IDC_OPT_PREVIOUS, L"View previous QSO"},
                {IDC_OPT_ON_TOP, L"Window on top"}};
  for (const auto& label : labels) {
    CheckEqual(ToUtf8(ItemText(setup, label.id)), ToUtf8(label.text),
               "setup control " + std::to_string(label.id));
  }
  for (int id = IDC_OPT_SECTION; id <= IDC_OPT_ON_TOP; ++id) {
    Check(!Checked(setup, id), "option " + std::to_string(id) + " clear at first");
  }
  HWND combo = ::GetDlgItem(setup, IDC_ON_SECTION);
  Check(::IsWindowEnabled(combo) != FALSE, "the section combo is enabled for an ON station");
  CheckEqual(Send(combo, CB_GETCOUNT), 85, "section choices");
  Check(Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(L"ARA")) == CB_ERR,
        "\"ARA\" is no choice of the setup window");
  Check(Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
             reinterpret_cast<LPARAM>(L"ZTM")) != CB_ERR,
        "\"ZTM\" is a choice of the setup window");
  // Opening sets the host's mode; the first refresh tunes it.
  WaitUntil([&] { return host.Commands().size() >= 3; });
  CheckEqual(ToUtf8(Joined(host.Commands())), "[<MODE:BPSK31>][<BAUDRATE:63>][<SP1>]",
             "commands after the setup window opened");
  return setup;
}

// The own section, picked from the list.
void PickSection(HWND setup, const wchar_t* code) {
  HWND combo = ::GetDlgItem(setup, IDC_ON_SECTION);
  const LRESULT at = Send(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(code));
  Send(combo, CB_SETCURSEL, static_cast<WPARAM>(at));
  Send(setup, WM_COMMAND, MAKEWPARAM(IDC_ON_SECTION, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
}

// The three companion windows switched on one after the other, each filled
// by the refresh that follows.
Windows OpenCompanions(HWND setup) {
  Windows w;
  w.setup = setup;
  Click(setup, IDC_OPT_SECTION);
  w.section = WaitForTitled(kSectionTitle);
  Click(setup, IDC_OPT_PREFIX);
  w.prefix = WaitForTitled(kPrefixTitle);
  Click(setup, IDC_OPT_PREVIOUS);
  w.previous = WaitForTitled(kPreviousTitle);
  Check(w.section != nullptr && w.prefix != nullptr && w.previous != nullptr,
        "the three companion windows open");
  return w;
}

void CheckCompanions(const Windows& w) {
  if (w.section == nullptr || w.prefix == nullptr || w.previous == nullptr) return;
  CheckTitle(w.section, L"UBA-PSK63-PFX 2017 UBA Section worked 2 from 85 on 20m ",
             "section window title");
  CheckTitle(w.prefix, L"UBA-PSK63-PFX 2017 Prefix worked on 20m", "prefix window title");
  CheckTitle(w.previous, L"UBA-PSK63-PFX 2017 worked with DL1ABC", "previous-QSO window title");
  CheckPosition(w.section, 390, 10, "fresh section window");
  CheckPosition(w.prefix, 10, 10, "fresh prefix window");
  CheckPosition(w.previous, 270, 400, "fresh previous-QSO window");
  Check(!Topmost(w.section) && !Topmost(w.prefix) && !Topmost(w.previous),
        "companion windows are not topmost without \"Window on top\"");

  std::wstring ticked;
  for (int id = IDC_SECTION_FIRST; id <= IDC_SECTION_LAST; ++id) {
    if (Checked(w.section, id)) ticked += L"[" + ItemText(w.section, id) + L"]";
  }
  CheckEqual(ToUtf8(ticked), "[LGE][ARA]", "sections ticked for 20m");
  CheckEqual(ToUtf8(ItemText(w.section, IDC_SECTION_FIRST)), "AAA", "first section box");
  CheckEqual(ToUtf8(ItemText(w.section, IDC_SECTION_ARA)), "ARA", "last section box");

  HWND list = ::GetDlgItem(w.prefix, IDC_PREFIX_LIST);
  CheckEqual(ToUtf8(Joined(ListEntries(list))), "[ DL1][ OK1][ ON4][ ON5]", "prefix list on 20m");
  const LONG style = ::GetWindowLongW(list, GWL_STYLE);
  Check((style & (LBS_SORT | LBS_MULTICOLUMN | LBS_NOSEL)) == (LBS_SORT | LBS_MULTICOLUMN | LBS_NOSEL),
        "the prefix list is sorted, multi-column, without selection");
}

// The refresh's "<SP1>" threshold and a frequency outside the bands.
void CheckFrequencyMoves(Plugin& plugin, FakeHostObject& host, const Windows& w) {
  const size_t before = host.Commands().size();
  host.SetFrequency(14070300.0);
  TypeCall(plugin, host, "DL1ABC");
  CheckEqual(static_cast<long long>(host.Commands().size()), static_cast<long long>(before),
             "commands after a move of exactly 300 Hz");
  host.SetFrequency(14070300.5);
  TypeCall(plugin, host, "DL1ABC");
  const auto commands = host.Commands();
  Check(commands.size() == before + 1 && commands.back() == L"<SP1>",
        "a move of 300.5 Hz sends \"<SP1>\"");

  host.SetFrequency(13999999.0);
  TypeCall(plugin, host, "DL1ABC");
  if (w.section != nullptr) {
    CheckTitle(w.section, L"UBA-PSK63-PFX 2017 UBA Section worked 0 from 85 on - ",
               "section window title off the bands");
    bool any = false;
    for (int id = IDC_SECTION_FIRST; id <= IDC_SECTION_LAST; ++id) any = any || Checked(w.section, id);
    Check(!any, "no section ticked off the bands");
  }
  if (w.prefix != nullptr) {
    CheckEqual(static_cast<long long>(ListEntries(::GetDlgItem(w.prefix, IDC_PREFIX_LIST)).size()),
               4, "the prefix list keeps its entries off the bands");
  }
  host.SetFrequency(14070000.0);
  TypeCall(plugin, host, "DL1ABC");
}

// Tab moves the focus among a modeless window's controls although the
// setup window's modal loop runs the thread; Enter closes nothing.
void CheckKeys(const Windows& w) {
  if (w.section == nullptr) return;
  const DWORD thread = ::GetWindowThreadProcessId(w.section, nullptr);
  auto focus = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
  };
  HWND first = ::GetDlgItem(w.section, IDC_SECTION_FIRST);
  ::PostMessageW(first, WM_KEYDOWN, VK_TAB, 0);
  ::PostMessageW(first, WM_KEYUP, VK_TAB, 0);
  Pump(300);
  HWND after_tab = focus();
  Check(after_tab != nullptr && ::GetParent(after_tab) == w.section,
        "Tab in the section window puts the focus on one of its boxes");
  if (after_tab != nullptr) {
    ::PostMessageW(after_tab, WM_KEYDOWN, VK_TAB, 0);
    ::PostMessageW(after_tab, WM_KEYUP, VK_TAB, 0);
    Pump(300);
    HWND next = focus();
    Check(next != nullptr && next != after_tab && ::GetParent(next) == w.section,
          "a second Tab moves the focus to the next box");
    ::PostMessageW(next != nullptr ? next : after_tab, WM_KEYDOWN, VK_RETURN, 0);
    Pump(300);
    Check(::IsWindow(w.section) && ::IsWindowVisible(w.section),
          "Enter leaves the section window open");
  }
}

// "Window on top": the companion windows close and come back topmost.
Windows CheckWindowOnTop(const Windows& w) {
  Windows again;
  again.setup = w.setup;
  Click(w.setup, IDC_OPT_ON_TOP);
  Check(WaitUntil([&] {
          return !::IsWindow(w.section) && !::IsWindow(w.prefix) && !::IsWindow(w.previous);
        }),
        "\"Window on top\" closes the companion windows");
  again.section = WaitForTitled(kSectionTitle);
  again.prefix = WaitForTitled(kPrefixTitle);
  again.previous = WaitForTitled(kPreviousTitle);
  Check(again.section != nullptr && again.prefix != nullptr && again.previous != nullptr,
        "the refresh reopens the companion windows");
  if (again.section != nullptr && again.prefix != nullptr && again.previous != nullptr) {
    Check(Topmost(again.section) && Topmost(again.prefix) && Topmost(again.previous),
          "reopened companion windows are topmost");
  }
  return again;
}

void EnglishRun(Plugin& plugin, FakeHostObject& host, const ResetCall& call) {
  CheckEqual(Reset(plugin, call), 1, "ResetStats0 with a fresh settings file");
  HWND setup = CheckFreshSetup(host);
  if (setup == nullptr) return;
  PickSection(setup, L"LGE");
  Check(WaitUntil([] { return Has(Settings(), "ON_Section=LGE\r\n"); }),
        "the picked section is stored");

  LogWorkedStations(plugin);
  host.SetEntry(L"DL1ABC");
  // The host's typing check asks for the refresh that reads the entry line;
  // the windows that the options open show what it read.
  TypeCall(plugin, host, "DL1ABC");
  Windows w = OpenCompanions(setup);
  CheckCompanions(w);
  const std::string settings = Settings();
  for (const char* key : {"setup_on_section=1", "setup_wpx_pref=1", "setup_prev_qso=1"}) {
    Check(Has(settings, std::string(key) + "\r\n"), std::string("settings hold ") + key);
  }
  CheckFrequencyMoves(plugin, host, w);
  CheckKeys(w);
  w = CheckWindowOnTop(w);

  // Esc ends the setup window, and every companion window goes with it.
  ::PostMessageW(setup, WM_KEYDOWN, VK_ESCAPE, 0);
  Check(WaitUntil([&] {
          return !::IsWindow(setup) && !::IsWindow(w.section) && !::IsWindow(w.prefix) &&
                 !::IsWindow(w.previous);
        }),
        "Esc closes the setup window and its companion windows");
}

// -- The Russian-language run ------------------------------------------------------------

void RussianRun(Plugin& plugin, FakeHostObject& host, ResetCall call) {
  call.own_country = "UA";
  call.own_call = "UA3ABC";
  // "Start" toggles: the first start only resets it, the second opens.
  CheckEqual(Reset(plugin, call), 1, "ResetStats0 of the Russian run (toggle)");
  CheckEqual(Reset(plugin, call), 1, "ResetStats0 of the Russian run");
  HWND setup = WaitForTitled(L"Установки UBA-PSK63-PFX 2017");
  if (!Check(setup != nullptr, "the Russian setup window opens")) return;
  CheckEqual(ToUtf8(TitleOf(setup)), "Установки UBA-PSK63-PFX 2017", "Russian setup title");
  CheckEqual(ToUtf8(ItemText(setup, IDC_VIEW_LABEL)), "Показывать", "Russian label 1024");
  CheckEqual(ToUtf8(ItemText(setup, IDC_OPT_SECTION)), "ON секции", "Russian label 1014");
  CheckEqual(ToUtf8(ItemText(setup, IDC_OPT_PREFIX)), "Префиксы", "Russian label 1015");
  CheckEqual(ToUtf8(ItemText(setup, IDC_OPT_PREVIOUS)), "Предыдущие QSO", "Russian label 1016");
  CheckEqual(ToUtf8(ItemText(setup, IDC_OPT_ON_TOP)), "Window on top", "label 1017 stays");
  Check(::IsWindowEnabled(::GetDlgItem(setup, IDC_ON_SECTION)) == FALSE &&
            ::IsWindowEnabled(::GetDlgItem(setup, IDC_ON_SECTION_LABEL)) == FALSE,
        "the section controls are disabled for a station outside Belgium");
  Check(Has(Settings(), "ON_Section=LGE\r\n"),
        "the stored own section survives a run outside Belgium");
  for (int id = IDC_OPT_SECTION; id <= IDC_OPT_ON_TOP; ++id) {
    Check(Checked(setup, id), "option " + std::to_string(id) + " read back from the settings");
  }

  // The options reopen the companion windows; their titles are Russian.
  HWND previous = WaitForTitled(L"UBA-PSK63-PFX 2017 проведено с ");
  HWND prefix = WaitForTitled(L"UBA-PSK63-PFX 2017 Сработаны префиксы на ");
  HWND section = WaitForTitled(L"UBA-PSK63-PFX 2017 Сработано UBA секций ");
  CheckTitle(previous, L"UBA-PSK63-PFX 2017 проведено с DL1ABC", "Russian previous-QSO title");
  CheckTitle(prefix, L"UBA-PSK63-PFX 2017 Сработаны префиксы на 20m", "Russian prefix title");
  if (Check(section != nullptr, "Russian section window")) {
    WaitUntil([&] { return TitleOf(section).find(L" из 85 на 20m ") != std::wstring::npos; });
    const std::wstring title = TitleOf(section);
    Check(title.size() > 14 && title.compare(title.size() - 14, 14, L" из 85 на 20m ") == 0,
          "Russian section title counts from 85 on 20m: " + ToUtf8(title));
  }
  host.SetEntry(L"");
  TypeCall(plugin, host, "");
  CheckTitle(previous, L"UBA-PSK63-PFX 2017 Предыдущие qso ", "Russian previous-QSO title, empty entry");

  // Unloading with every window open returns promptly and takes them along.
  const unsigned long ms = plugin.Unload();
  Check(ms < 3000, "FreeLibrary with windows open took " + std::to_string(ms) + " ms");
  Pump(200);
  Check(!::IsWindow(setup) && !::IsWindow(previous) && !::IsWindow(prefix) && !::IsWindow(section),
        "no window of the plug-in is left after the unload");
}

int WindowsRun(const Context& context) {
  if (const int code = RunWithUnmanagedWindows(); code >= 0) return code;
  FakeHostObject host;
  host.SetFrequency(14070000.0);
  const std::wstring folder = EnterScratchFolder(L"windows-host");
  if (folder.empty()) return 1;
  Check(WriteBytes(L"Zelk2.ini", "[Zelk]\r\nZelk=2.20\r\n"), "write Zelk2.ini");
  {
    RunningHost running(host);
    ResetCall call;
    call.host_folder = ToAnsi(folder);
    {
      Plugin plugin(context.dll_path);
      if (!plugin.loaded()) return 1;
      EnglishRun(plugin, host, call);
    }
    // The language and ON-station modes hold until the module is unloaded:
    // the Russian-language run gets a fresh load.
    {
      Plugin plugin(context.dll_path);
      if (!plugin.loaded()) return 1;
      RussianRun(plugin, host, call);
    }
    CheckEqual(host.NameLookups(), 0, "names looked up (GetIDsOfNames)");
    CheckEqual(host.BadCalls(), 0, "calls the host object does not know");
  }
  CheckEqual(static_cast<long long>(host.References()), 1, "references to the host object left");
  return 0;
}

// -- Screenshots ---------------------------------------------------------------------------

// Four windows side by side with a worked call typed, held until a file
// "done" appears in the scratch folder (at most two minutes).
int ShowWindows(const Context& context) {
  if (const int code = RunWithUnmanagedWindows(); code >= 0) return code;
  FakeHostObject host;
  host.SetFrequency(14070000.0);
  const std::wstring folder = EnterScratchFolder(L"windows-show");
  if (folder.empty()) return 1;
  WriteBytes(L"Zelk2.ini", "[Zelk]\r\nZelk=2.20\r\n");
  ::CreateDirectoryW(L"Plugins", nullptr);
  // Places that keep the windows apart on a 1280 x 1024 screen.
  WriteBytes(L"Plugins\\ZEVUVI.ini",
             "[Settings]\r\nsetup_uba_pref_x=20\r\nsetup_uba_pref_y=20\r\n"
             "uba_section_x=20\r\nuba_section_y=560\r\nmember_x=700\r\nmember_y=20\r\n"
             "dxcc_x=700\r\ndxcc_y=560\r\nON_Section=LGE\r\n");
  RunningHost running(host);
  Plugin plugin(context.dll_path);
  if (!plugin.loaded()) return 1;
  ResetCall call;
  call.host_folder = ToAnsi(folder);
  Reset(plugin, call);
  HWND setup = WaitForTitled(kSetupTitle);
  if (!Check(setup != nullptr, "the setup window opens")) return 1;
  LogWorkedStations(plugin);
  host.SetEntry(L"DL1ABC");
  TypeCall(plugin, host, "DL1ABC");
  OpenCompanions(setup);
  TypeCall(plugin, host, "DL1ABC");
  WriteBytes(L"ready", "");
  WaitUntil([] { return FileExists(L"done"); }, 120000);
  plugin.Unload();
  return 0;
}

const ScenarioRegistration registration("windows", WindowsRun);
const ScenarioRegistration show_registration("windows-show", ShowWindows);

}  // namespace
}  // namespace testhost
