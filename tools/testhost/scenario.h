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

#include <filesystem>
#include <string>
#include <vector>

#include "plugin/abi.h"
#include "plugin/host_args.h"
#include "plugin/host_kit.h"

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

// The kit's loader over LoadLibrary, GetProcAddress and FreeLibrary.  A
// library that will not load is a check that fails; so is FreeLibrary
// failing.
struct LibrarySystem {
  using Handle = HMODULE;
  static Handle Open(const std::filesystem::path& path, std::string* error);
  static void* Find(Handle library, const char* name);
  static void Close(Handle library);
};

// The plug-in, loaded and its eleven entry points resolved by name
// (plugin/host_kit.h).  Missing names are checks that fail.
class Plugin : public stats::host_args::EntryPoints {
 public:
  explicit Plugin(const std::wstring& path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  bool loaded() const { return library_.loaded(); }
  HMODULE module() const { return library_.handle(); }
  // Any exported name; null (and a failed check) when it is missing.
  FARPROC Resolve(const char* name);
  // Unloads now (FreeLibrary); returns how long that took in milliseconds.
  unsigned long Unload();

 private:
  stats::host_args::PluginLibrary<LibrarySystem> library_;
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

// AddData0 / RemoveData0 with the arguments the plug-in reads: the kit's
// QSO with the scenarios' defaults (ON4ZZZ's QSO on 20m, 2017-01-06 18:30,
// exchange sent 001, the other texts blank).
struct QsoCall : stats::host_args::HostQso {
  QsoCall();
};
int AddQso(Plugin& plugin, const QsoCall& qso);
int RemoveQso(Plugin& plugin, const QsoCall& qso);
// CheckCallFunc0 for a call, with band as both band arguments; the other
// arguments are blanks.
int CheckCall(Plugin& plugin, const std::string& call, const char* band);

}  // namespace testhost
