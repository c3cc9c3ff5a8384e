// Cabrillo run: ResetStats0 with a Cabrillo log wanted opens the header form
// (dialog 101) on the host's thread; the scenario finds it by its title,
// checks what it shows, types a two-line soapbox and presses OK.  Then a QSO
// and a result request: the "Output" box names the log, and the log and the
// saved soapbox are checked byte for byte.  A second run shows the saved
// soapbox again and cancels the form with Esc: no log and no box.
//
//   testhost cabrillo <Stats.dll> [hold=<milliseconds>]
//
// With hold, the filled-in form stays open that long before OK is pressed,
// so that a screenshot can be taken.
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>

#include "resources/cabrillo_ids.h"
#include "tests/support/cabrillo_expected.h"
#include "tools/testhost/scenario.h"

namespace testhost {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kFormTitle[] = L"UBA-PSK63-PREFIX";
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box

// Waits up to timeout_ms for a top-level dialog of this process with the
// title; null when none appears.
HWND WaitForDialog(const wchar_t* title, unsigned timeout_ms) {
  for (unsigned waited = 0; waited <= timeout_ms; waited += 50) {
    HWND found = ::FindWindowW(kDialogClass, title);
    DWORD pid = 0;
    if (found != nullptr) ::GetWindowThreadProcessId(found, &pid);
    if (found != nullptr && pid == ::GetCurrentProcessId() && ::IsWindowVisible(found)) {
      return found;
    }
    ::Sleep(50);
  }
  return nullptr;
}

std::string ControlText(HWND dialog, int id) {
  HWND control = ::GetDlgItem(dialog, id);
  if (control == nullptr) return "(no control " + std::to_string(id) + ")";
  const int length = ::GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), length + 1)));
  return ToAnsi(text);
}

// Types text into a control, one character at a time; "\r" is the Enter key.
void Type(HWND control, const std::wstring& text) {
  for (wchar_t c : text) ::SendMessageW(control, WM_CHAR, c, 0);
}

void Press(HWND dialog, int button) {
  ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

// A window the plug-in should have opened did not come: the call that opens
// it still blocks its thread, so the run cannot go on.
[[noreturn]] void GiveUp(const std::string& what) {
  Check(false, what);
  std::fflush(stderr);
  ::TerminateProcess(::GetCurrentProcess(), 3);
  for (;;) {
  }
}

unsigned HoldMilliseconds(const Context& context) {
  for (const std::wstring& arg : context.args) {
    if (arg.rfind(L"hold=", 0) == 0) return static_cast<unsigned>(std::wcstoul(arg.c_str() + 5, nullptr, 10));
  }
  return 0;
}

std::string ProfileValue(const char* key) {
  std::string value(4096, '\0');
  const DWORD n = ::GetPrivateProfileStringA("Settings", key, "(missing)", value.data(),
                                             static_cast<DWORD>(value.size()),
                                             ".\\Plugins\\ZEVUVI.ini");
  value.resize(n);
  return value;
}

QsoCall OneQso() {
  QsoCall qso;
  qso.call = "DL1AB";
  qso.prefix = "DL1";
  qso.country = "DL";
  qso.exchange_received = "007";
  return qso;
}

// GetResult0 on a thread of its own, since the box it shows is modal.
struct ResultRequest {
  std::string text;
  int out = 0;
  std::thread thread;
  explicit ResultRequest(Plugin& plugin)
      : thread([this, &plugin] { text = plugin.GetResult0(&out); }) {}
};

// The log of the confirmed run: the form as the plug-in filled it, with the
// soapbox typed, and the one QSO.
std::string ExpectedLog() {
  stats::testing::ExpectedCabrillo e;
  e.callsign = "ON4XX/P";
  e.claimed_score = "1";
  e.created_by = "Zelk 2.20";
  e.operators = "ON4XX OT1Y";
  e.soapbox = {"Nice contest!", "See you next year"};
  e.qsos = {"QSO: 14070 PM 2017-01-06 1830 ON4XX/P       599 001    DL1AB         599 007"};
  return stats::testing::ExpectedCabrilloLog(e);
}

void ConfirmedRun(Plugin& plugin, const std::wstring& host, unsigned hold_ms) {
  ResetCall call;
  call.host_folder = ToAnsi(host);
  call.cabrillo = 1;
  call.own_call = "ON4XX/P";
  call.own_country = "DL";
  int reset_result = 0;
  std::thread reset([&] { reset_result = Reset(plugin, call); });

  HWND form = WaitForDialog(kFormTitle, 10000);
  if (form == nullptr) GiveUp("the header form opens with the title UBA-PSK63-PREFIX");
  CheckEqual(ControlText(form, IDC_CAB_CONTEST), "UBA-PSK63-PREFIX", "CONTEST box");
  CheckEqual(ControlText(form, IDC_CAB_CALLSIGN), "ON4XX/P", "CALLSIGN box");
  CheckEqual(ControlText(form, IDC_CAB_OPERATORS), "ON4XX OT1Y", "OPERATORS box");
  CheckEqual(ControlText(form, IDC_CAB_CATEGORY_MODE), "BPSK63", "CATEGORY-MODE box");
  CheckEqual(ControlText(form, IDC_CAB_CATEGORY_OPERATOR), "SINGLE-OP", "CATEGORY-OPERATOR box");
  CheckEqual(ControlText(form, IDC_CAB_LOCATION), "DX", "LOCATION box, whatever was saved");
  CheckEqual(ControlText(form, IDC_CAB_CATEGORY_OVERLAY), "", "CATEGORY-OVERLAY box");
  CheckEqual(::SendDlgItemMessageW(form, IDC_CAB_LOCATION, CB_GETCOUNT, 0, 0), 64,
             "LOCATION entries");
  CheckEqual(::SendDlgItemMessageW(form, IDC_CAB_CATEGORY_MODE, CB_GETCURSEL, 0, 0), CB_ERR,
             "no CATEGORY-MODE entry picked");

  Type(::GetDlgItem(form, IDC_CAB_SOAPBOX), L"Nice contest!\rSee you next year");
  CheckEqual(ControlText(form, IDC_CAB_SOAPBOX), "Nice contest!\r\nSee you next year",
             "SOAPBOX box after typing");
  if (hold_ms > 0) {
    std::printf("form open\n");
    std::fflush(stdout);
    ::Sleep(hold_ms);
  }
  Press(form, IDOK);
  reset.join();
  CheckEqual(reset_result, 1, "ResetStats0 after OK");
  CheckEqual(ProfileValue("SoapBox"), "Nice contest!<CR><LF>See you next year",
             "saved SoapBox key");
  CheckEqual(ProfileValue("Location"), "DX", "saved Location key");

  CheckEqual(AddQso(plugin, OneQso()), 1, "AddData0");
  ResultRequest request(plugin);
  HWND box = WaitForDialog(L"Output", 10000);
  if (box == nullptr) GiveUp("the result request shows the \"Output\" box");
  CheckEqual(ControlText(box, kMessageTextId), "File produced: ON4XX_P.cbr", "Output box text");
  Press(box, IDOK);
  request.thread.join();
  CheckEqual(request.out, -1, "GetResult0 stores -1");
  Check(request.text.find("Score = 1 * (1 + 0)  = 1 \r\n") != std::string::npos,
        "the result text carries the score");

  std::string log;
  if (Check(ReadBytes(L"ON4XX_P.cbr", &log), "the log ON4XX_P.cbr exists")) {
    CheckEqual(log, ExpectedLog(), "ON4XX_P.cbr");
  }
}

void CancelledRun(Plugin& plugin, const std::wstring& host) {
  ResetCall call;
  call.host_folder = ToAnsi(host);
  call.cabrillo = 1;
  call.own_call = "ON4YY";
  call.own_country = "DL";
  std::thread reset([&] { Reset(plugin, call); });
  HWND form = WaitForDialog(kFormTitle, 10000);
  if (form == nullptr) GiveUp("the header form opens again");
  CheckEqual(ControlText(form, IDC_CAB_SOAPBOX), "Nice contest!\r\nSee you next year",
             "SOAPBOX box shows the saved soapbox");
  // Esc in a single-line box cancels, like the CANCEL button.
  ::PostMessageW(::GetDlgItem(form, IDC_CAB_NAME), WM_KEYDOWN, VK_ESCAPE, 0);
  reset.join();

  CheckEqual(AddQso(plugin, OneQso()), 1, "AddData0 after the cancelled form");
  ResultRequest request(plugin);
  HWND box = WaitForDialog(L"Output", 2000);
  if (box != nullptr) {
    Check(false, "no \"Output\" box after a cancelled form");
    Press(box, IDOK);
  }
  request.thread.join();
  Check(!FileExists(L"ON4YY.cbr"), "no log after a cancelled form");
}

int Cabrillo(const Context& context) {
  Plugin plugin(context.dll_path);
  if (!plugin.loaded()) return 1;
  const std::wstring host = EnterScratchFolder(L"cabrillo-host");
  if (host.empty()) return 1;
  Check(WriteBytes(L"Zelk2.ini", "[Zelk]\r\nZelk=2.20\r\n"), "write Zelk2.ini");
  ::CreateDirectoryW(L"Plugins", nullptr);
  Check(WriteBytes(L"Plugins\\ZEVUVI.ini",
                   "[Settings]\r\nOperators=ON4XX OT1Y\r\nLocation=W1\r\n"),
        "write the settings file");

  ConfirmedRun(plugin, host, HoldMilliseconds(context));
  CancelledRun(plugin, host);
  plugin.Unload();
  return 0;
}

const ScenarioRegistration registration("cabrillo", Cabrillo);

}  // namespace
}  // namespace testhost
