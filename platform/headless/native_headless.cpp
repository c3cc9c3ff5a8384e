// The built-in window system and host client of a build without windows of
// its own: the headless window system, and a host that is never found.
#include "host/automation.h"
#include "platform/headless/headless_gui.h"

namespace stats {

WindowSystem& NativeGui() { return headless::Headless(); }

namespace host {
Automation& NativeHost() { return NoHost(); }
}  // namespace host

}  // namespace stats
