// The built-in window system of a build without windows of its own: the
// headless window system.
#include "platform/headless/headless_gui.h"

namespace stats {

WindowSystem& NativeGui() { return headless::Headless(); }

}  // namespace stats
