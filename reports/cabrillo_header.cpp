#include "reports/cabrillo_header.h"

#include "plugin/contest.h"

namespace stats {

// Placeholder until the header form is built: the form counts as cancelled.
bool PrepareCabrilloHeader(const std::string& /*own_call*/) {
  std::lock_guard lock(ContestLock());
  Contest().cabrillo_requested = 0;
  return false;
}

}  // namespace stats
