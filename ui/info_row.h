// A row of the previous-QSO window.
#pragma once

#include <array>
#include <string>

namespace stats {

// One info row: band name, mode, time, exchange received, and a fifth column
// that is never shown.
using InfoRow = std::array<std::string, 5>;

}  // namespace stats
