// The Windows test host: a small program that loads Stats.dll the way a
// logging host does and drives it through named scenarios.
//
//   testhost.exe <scenario> <path to Stats.dll> [arguments...]
//
// Each scenario lives in a file scenario_<name>.cpp of its own and registers
// itself with a static ScenarioRegistration.  It returns 0 when every check
// passed; checks print what failed on standard error.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "plugin/abi.h"
#include "plugin/host_args.h"

namespace testhost {

struct Context {
  std::wstring dll_path;
  std::vector<std::wstring> args;  // what follows the DLL path
};

using ScenarioFn = int (*)(const Context& context);

struct ScenarioRegistration {
  ScenarioRegistration(const char* name, ScenarioFn fn);
};

// Records a failed check; Failures() counts them.
bool Check(bool ok, const std::string& what);
int Failures();

// The plug-in, loaded with LoadLibrary and its entry points resolved by name
// with GetProcAddress.  Missing names are checks that fail.
class Plugin {
 public:
  explicit Plugin(const std::wstring& path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool loaded() const { return module_ != nullptr; }
  HMODULE module() const { return module_; }
  // Any exported name; null (and a failed check) when it is missing.
  FARPROC Resolve(const char* name);
  // Unloads now (FreeLibrary); returns how long that took in milliseconds.
  unsigned long Unload();

  ResetStats0Fn ResetStats0 = nullptr;
  AddData0Fn AddData0 = nullptr;
  RemoveData0Fn RemoveData0 = nullptr;
  CheckCallFunc0Fn CheckCallFunc0 = nullptr;
  GetResult0Fn GetResult0 = nullptr;
  StatsIsValidExchg0Fn StatsIsValidExchg0 = nullptr;
  StatsGetExchgCount0Fn StatsGetExchgCount0 = nullptr;
  GetNumberOfSetsFn GetNumberOfSets = nullptr;
  GetSetNameFn GetSetName = nullptr;
  SetupSet0Fn SetupSet0 = nullptr;
  setVersionFn setVersion = nullptr;

 private:
  HMODULE module_ = nullptr;
};

// -- Helpers for scenarios ----------------------------------------------------

// Checks that two texts are equal byte for byte; on a difference prints both,
// with control characters made visible.
bool CheckEqual(const std::string& actual, const std::string& expected, const std::string& what);
bool CheckEqual(long long actual, long long expected, const std::string& what);

// UTF-16 and the ANSI code page the plug-in's texts use, and UTF-8 for output.
std::string ToAnsi(const std::wstring& wide);
std::wstring FromAnsi(const std::string& ansi);
std::string ToUtf8(const std::wstring& wide);

// A path as CTest passes it under Wine ("/work/..."), as the Windows path of
// the same file ("Z:\work\..."); other paths stay as they are.  The DLL path
// of the Context has been turned already; scenario arguments that are paths
// go through here.
std::wstring WindowsPath(const std::wstring& path);

// A folder "<current folder>\<name>", emptied if it exists, created, and
// made the current folder.  Returns its full path with a trailing backslash
// (the form ResetStats0 takes as the host folder); "" (and a failed check)
// when it cannot be made.
std::wstring EnterScratchFolder(const std::wstring& name);

// Whole files as bytes, without line-end translation.  ReadBytes returns
// false when the file cannot be read.
bool ReadBytes(const std::wstring& path, std::string* contents);
bool WriteBytes(const std::wstring& path, const std::string& contents);
bool FileExists(const std::wstring& path);

// An OLE date of a calendar day and time (status valid).
OleDateTime HostDate(int year, int month, int day, int hour = 0, int minute = 0);

// ResetStats0 with the arguments the plug-in reads; the others are blanks.
struct ResetCall {
  std::string host_folder;  // with its trailing backslash
  int cabrillo = 0;
  std::string own_call = "ON4ZZZ";
  OleDateTime start = HostDate(2017, 1, 6, 18, 0);
  OleDateTime end = HostDate(2017, 1, 7, 18, 0);
  std::string own_country = "ON";
};
int Reset(Plugin& plugin, const ResetCall& call);

// AddData0 / RemoveData0 with the arguments the plug-in reads.
struct QsoCall {
  std::string own_call = "ON4ZZZ";
  std::string call;
  OleDateTime time = HostDate(2017, 1, 6, 18, 30);
  unsigned frequency_hz = 14070000;
  std::string mode = "BPSK63";
  std::string rst_sent = "599";
  std::string rst_received = "599";
  std::string exchange_sent = "001";
  std::string exchange_received;
  std::string prefix;
  std::string country;
  std::string extra;
  std::string band = "20m";
};
int AddQso(Plugin& plugin, const QsoCall& qso);
int RemoveQso(Plugin& plugin, const QsoCall& qso);
// CheckCallFunc0 for a call, with band as both band arguments; the other
// arguments are blanks.
int CheckCall(Plugin& plugin, const std::string& call, const char* band);

}  // namespace testhost
