// Smoke run: the plug-in loads, every name a host may look for resolves,
// the simple entry points answer, and a contest start writes the settings
// file and the bad-QSO journal through the real Windows file and profile
// functions.
#include <windows.h>

#include <string>

#include "tools/testhost/exports_list.h"
#include "tools/testhost/scenario.h"

namespace testhost {
namespace {

const char* const kPlainNames[] = {
    "ResetStats0",   "AddData0",           "RemoveData0",    "CheckCallFunc0",
    "CheckCall0",    "GetResult0",         "StatsIsValidExchg0", "IsValidExchg0",
    "StatsGetExchgCount0", "GetExchgCount0", "GetNumberOfSets", "GetSetName",
    "SetupSet0",     "setVersion",
};

// The decorated name of an entry point among the pinned export names:
// "_Z" <length of the name> <name> <argument types>.  mingw-w64 decorates
// C++ names the same way on 32 and 64 bits (and as g++ does on Linux).
const char* Decorated(const std::string& plain) {
  const std::string start = "_Z" + std::to_string(plain.size()) + plain;
  for (const char* name : kExportNames) {
    if (std::string(name).rfind(start, 0) == 0) return name;
  }
  Check(false, "a decorated name for " + plain + " among the pinned exports");
  return "";
}

const char* const kEntryPoints[] = {
    "ResetStats0",     "AddData0",   "RemoveData0", "CheckCallFunc0", "GetResult0",
    "StatsIsValidExchg0", "StatsGetExchgCount0", "GetNumberOfSets", "GetSetName", "SetupSet0",
    "setVersion",
};

template <typename Fn>
Fn As(FARPROC proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(proc));
}

std::string Text(const char* text) { return text != nullptr ? text : "(null)"; }

// Every plain name and alias, a decorated name of each entry point, and
// every other pinned name resolve.
void CheckNames(Plugin& plugin) {
  for (const char* name : kPlainNames) plugin.Resolve(name);
  for (const char* name : kEntryPoints) Decorated(name);
  for (const char* name : kExportNames) plugin.Resolve(name);
}

// The entry points that need no contest run, under each of their names.
void CheckSimpleAnswers(Plugin& plugin) {
  for (const char* name : {"GetSetName", Decorated("GetSetName")}) {
    if (auto fn = As<GetSetNameFn>(plugin.Resolve(name))) {
      CheckEqual(Text(fn(0)), "VA-ZIZ-AVO", std::string(name) + "(0)");
      CheckEqual(Text(fn(1)), "", std::string(name) + "(1)");
      CheckEqual(Text(fn(-1)), "", std::string(name) + "(-1)");
    }
  }
  for (const char* name : {"GetNumberOfSets", Decorated("GetNumberOfSets")}) {
    if (auto fn = As<GetNumberOfSetsFn>(plugin.Resolve(name))) {
      CheckEqual(fn(), 1, std::string(name) + "()");
    }
  }
  for (const char* name :
       {"StatsGetExchgCount0", "GetExchgCount0", Decorated("StatsGetExchgCount0")}) {
    if (auto fn = As<StatsGetExchgCount0Fn>(plugin.Resolve(name))) {
      CheckEqual(fn("a", "b", "c"), 1, std::string(name) + "(texts)");
      CheckEqual(fn(nullptr, nullptr, nullptr), 1, std::string(name) + "(null texts)");
    }
  }

  struct Case {
    const char* exchange;
    const char* country;
    int valid;
  };
  const Case cases[] = {
      {"LGE", "ON", 1}, {"lge", "ON", 0},  {"001", "ON", 1},   {"0001", "ON", 0},
      {"599", "ON", 0}, {"", "ON", 0},     {"001", "DL", 1},   {"1234", "DL", 1},
      {"12", "DL", 0},  {"12a", "DL", 0},  {"0599", "DL", 1},  {"LGE", "DL", 0},
      {"LGE", "on", 0}, {"123", "on", 1},
  };
  for (const char* name :
       {"StatsIsValidExchg0", "IsValidExchg0", Decorated("StatsIsValidExchg0")}) {
    auto fn = As<StatsIsValidExchg0Fn>(plugin.Resolve(name));
    if (fn == nullptr) continue;
    for (const Case& c : cases) {
      CheckEqual(fn(c.exchange, "x", c.country, "y", 0, 0, 0), c.valid,
                 std::string(name) + "(\"" + c.exchange + "\", country \"" + c.country + "\")");
    }
  }
}

// Two contest starts in a host folder with the host's settings file: the
// first finds no "Start" key and stores "1", the second turns it back to "0";
// each creates the journal named after the contest end.
void CheckContestStart(Plugin& plugin) {
  const std::wstring host = EnterScratchFolder(L"smoke-host");
  if (host.empty()) return;
  Check(WriteBytes(L"Zelk2.ini", "[Zelk]\r\nVersion=2\r\nZelk=2.20\r\n"), "write Zelk2.ini");

  ResetCall call;
  call.host_folder = ToAnsi(host);
  call.own_country = "DL";
  call.own_call = "DL1ABC";
  CheckEqual(Reset(plugin, call), 1, "first ResetStats0");

  std::string settings;
  if (Check(ReadBytes(L"Plugins\\ZEVUVI.ini", &settings),
            "ResetStats0 wrote Plugins\\ZEVUVI.ini")) {
    CheckEqual(settings, "[Settings]\r\nStart=1\r\n", "settings after the first start");
  }
  std::string journal;
  if (Check(ReadBytes(L"BadQSO_RazadUREVARERE63_07_01_2017.txt", &journal),
            "ResetStats0 created the journal")) {
    CheckEqual(journal, "UBA PFX UBN file \r\n", "journal after the first start");
  }

  // A journal line from an earlier run is gone after the next start.
  Check(WriteBytes(L"BadQSO_RazadUREVARERE63_07_01_2017.txt", "UBA PFX UBN file \r\nold\r\n"),
        "write an old journal");
  CheckEqual(Reset(plugin, call), 1, "second ResetStats0");
  if (ReadBytes(L"Plugins\\ZEVUVI.ini", &settings)) {
    CheckEqual(settings, "[Settings]\r\nStart=0\r\n", "settings after the second start");
  }
  if (Check(ReadBytes(L"BadQSO_RazadUREVARERE63_07_01_2017.txt", &journal),
            "the journal after the second start")) {
    CheckEqual(journal, "UBA PFX UBN file \r\n", "journal after the second start");
  }

  // Other keys and lines of the settings file stay where they are.
  Check(WriteBytes(L"Plugins\\ZEVUVI.ini", "[Settings]\r\nON_Section=LGE\r\nStart=1\r\n"),
        "write settings with an ON section");
  call.own_country = "ON";
  CheckEqual(Reset(plugin, call), 1, "ResetStats0 for an ON station");
  if (ReadBytes(L"Plugins\\ZEVUVI.ini", &settings)) {
    CheckEqual(settings, "[Settings]\r\nON_Section=LGE\r\nStart=0\r\n",
               "settings after the ON start");
  }
}

int Smoke(const Context& context) {
  Plugin plugin(context.dll_path);
  if (!plugin.loaded()) return 1;
  CheckNames(plugin);
  CheckSimpleAnswers(plugin);
  CheckContestStart(plugin);
  plugin.Unload();
  return 0;
}

const ScenarioRegistration registration("smoke", Smoke);

}  // namespace
}  // namespace testhost
