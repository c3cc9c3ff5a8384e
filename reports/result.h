// The result summary that GetResult0 returns to the host.
#pragma once

#include <mutex>
#include <string>

namespace stats {

// Builds the result text (text or HTML form) into the contest state, writes
// the claimed score to the settings file and, when a Cabrillo log is wanted,
// writes it and tells the operator.  Called with the contest-state lock
// held; lets go of it while the message box is open.  Returns the text that
// GetResult0 hands to the host.
const char* RunResultRequest(std::unique_lock<std::mutex>& lock);

}  // namespace stats
