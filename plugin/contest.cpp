#include "plugin/contest.h"

namespace stats {

// Both live until the process ends: the window thread and the module's
// unload may still reach them while other static objects are torn down.
ContestState& Contest() {
  static ContestState* state = new ContestState;
  return *state;
}

std::mutex& ContestLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

void ResetInfoRows(ContestState& state) {
  for (int k = 0; k < kBandCount; ++k) {
    state.info_rows[static_cast<size_t>(k)] = {AcceptedBands().At(static_cast<size_t>(k)), "-", "-",
                                               "-", "-"};
  }
}

}  // namespace stats
