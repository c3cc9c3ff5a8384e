#include "platform/platform.h"

// Module load and unload of the shared object.
__attribute__((constructor)) static void StatsModuleLoad() { stats::OnModuleLoad(); }
__attribute__((destructor)) static void StatsModuleUnload() { stats::OnModuleUnload(false); }
