// The window system in use, shared by every build.
#include <atomic>

#include "platform/window.h"

namespace stats {
namespace {
std::atomic<WindowSystem*> g_override{nullptr};
}

WindowSystem& Gui() {
  WindowSystem* gui = g_override.load(std::memory_order_acquire);
  return gui != nullptr ? *gui : NativeGui();
}

WindowSystem* SetGui(WindowSystem* gui) {
  WindowSystem* old = g_override.exchange(gui, std::memory_order_acq_rel);
  return old != nullptr ? old : &NativeGui();
}

}  // namespace stats
