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

}  // namespace testhost
