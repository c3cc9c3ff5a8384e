// The built-in host client of a system without automation objects: a host
// that is never found.
#include "host/automation.h"

namespace stats::host {

Automation& NativeHost() { return NoHost(); }

}  // namespace stats::host
