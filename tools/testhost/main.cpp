// The test host's program: the scenario registry, the checks, the loaded
// plug-in, and wmain, which runs one scenario by name.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "tools/testhost/scenario.h"

namespace testhost {
namespace {

std::map<std::string, ScenarioFn>& Registry() {
  static std::map<std::string, ScenarioFn> registry;
  return registry;
}

int g_failures = 0;

}  // namespace

// Wine maps the Unix root to drive Z:, and its kernel32 converts Unix paths.
std::wstring WindowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  using ToDos = wchar_t*(CDECL*)(const char*);
  const auto to_dos = reinterpret_cast<ToDos>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (to_dos != nullptr) {
    if (wchar_t* dos = to_dos(ToUtf8(path).c_str())) {
      std::wstring result(dos);
      ::HeapFree(::GetProcessHeap(), 0, dos);
      return result;
    }
  }
  std::wstring result = L"Z:" + path;
  for (wchar_t& c : result) {
    if (c == L'/') c = L'\\';
  }
  return result;
}

ScenarioRegistration::ScenarioRegistration(const char* name, ScenarioFn fn) {
  Registry()[name] = fn;
}

bool Check(bool ok, const std::string& what) {
  if (!ok) {
    ++g_failures;
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
  }
  return ok;
}

int Failures() { return g_failures; }

LibrarySystem::Handle LibrarySystem::Open(const std::filesystem::path& path, std::string* error) {
  const HMODULE module = ::LoadLibraryW(path.c_str());
  if (module == nullptr) *error = std::to_string(::GetLastError());
  return module;
}

void* LibrarySystem::Find(Handle library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(library, name));
}

void LibrarySystem::Close(Handle library) { Check(::FreeLibrary(library) != FALSE, "FreeLibrary"); }

Plugin::Plugin(const std::wstring& path) : library_(std::filesystem::path(path)) {
  if (!Check(library_.loaded(),
             "LoadLibrary " + ToUtf8(path) + " (error " + library_.error() + ")")) {
    return;
  }
  for (const char* name : stats::host_args::kEntryPointNames) {
    Check(library_.Find(name) != nullptr, std::string("the plug-in exports ") + name);
  }
  static_cast<stats::host_args::EntryPoints&>(*this) = library_.entry();
}

Plugin::~Plugin() { Unload(); }

FARPROC Plugin::Resolve(const char* name) {
  if (!library_.loaded()) {
    Check(false, std::string("resolve ") + name + ": the plug-in is not loaded");
    return nullptr;
  }
  FARPROC proc = ::GetProcAddress(library_.handle(), name);
  Check(proc != nullptr, std::string("the plug-in exports ") + name);
  return proc;
}

unsigned long Plugin::Unload() {
  if (!library_.loaded()) return 0;
  const ULONGLONG start = ::GetTickCount64();
  const HMODULE module = library_.handle();
  library_.Unload();
  const auto took = static_cast<unsigned long>(::GetTickCount64() - start);
  // A window thread that still held a reference of its own lets go of the
  // module a little later: the host goes on with its work meanwhile (and
  // pumps its messages, which that thread may wait for), and the module must
  // then leave the process.  A host that ended at once would end that thread
  // in the middle of whatever it was doing.
  std::wstring name(MAX_PATH, L'\0');
  bool gone = false;
  for (const ULONGLONG until = ::GetTickCount64() + 10000; ::GetTickCount64() < until;) {
    if (::GetModuleFileNameW(module, name.data(), static_cast<DWORD>(name.size())) == 0) {
      gone = true;
      break;
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  Check(gone, "the plug-in left the process within 10 s of FreeLibrary");
  static_cast<stats::host_args::EntryPoints&>(*this) = stats::host_args::EntryPoints{};
  return took;
}

}  // namespace testhost

int wmain(int argc, wchar_t** argv) {
  using namespace testhost;
  if (argc < 3) {
    std::fprintf(stderr, "usage: testhost <scenario> <path to Stats.dll> [arguments...]\n");
    std::fprintf(stderr, "scenarios:");
    for (const auto& entry : Registry()) std::fprintf(stderr, " %s", entry.first.c_str());
    std::fprintf(stderr, "\n");
    return 2;
  }
  const std::string name = ToUtf8(argv[1]);
  const auto found = Registry().find(name);
  if (found == Registry().end()) {
    std::fprintf(stderr, "testhost: no scenario \"%s\"\n", name.c_str());
    return 2;
  }
  Context context;
  context.dll_path = WindowsPath(argv[2]);
  for (int i = 3; i < argc; ++i) context.args.emplace_back(argv[i]);

  const int result = found->second(context);
  if (result != 0 || Failures() != 0) {
    std::fprintf(stderr, "scenario %s: %d check(s) failed, result %d\n", name.c_str(), Failures(),
                 result);
    return 1;
  }
  std::printf("scenario %s: passed\n", name.c_str());
  return 0;
}
