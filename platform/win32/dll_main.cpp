// The DLL's entry point.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/handles.h"

// The module's entry point: load and unload of the plug-in.  At process exit
// (reserved not null) the other threads are already gone.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      stats::win32::SetModule(instance);
      ::DisableThreadLibraryCalls(instance);
      stats::OnModuleLoad();
      break;
    case DLL_PROCESS_DETACH:
      stats::OnModuleUnload(reserved != nullptr);
      break;
    default:
      break;
  }
  return TRUE;
}
