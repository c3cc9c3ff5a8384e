// The window system in use, shared by every build.
#include "platform/override.h"
#include "platform/window.h"

namespace stats {
namespace {
constinit Override<WindowSystem, NativeGui> g_gui;
}

WindowSystem& Gui() { return g_gui.Get(); }

WindowSystem* SetGui(WindowSystem* gui) { return g_gui.Set(gui); }

}  // namespace stats
