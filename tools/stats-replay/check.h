// The check before a log is submitted: what a contest's log robot would
// refuse or question, each with its line.  It reads the log only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "log.h"
#include "period.h"

namespace replay {

struct Finding {
  int line = 0;
  std::string text;
};

// Looks at:
//  - header lines (with_header: a Cabrillo log): CALLSIGN, NAME, ADDRESS,
//    EMAIL and CATEGORY-OPERATOR missing, and those and every other
//    CATEGORY-* line empty;
//  - each QSO: an empty sent or received exchange, a time outside the
//    period, a worked or own call that is not a call sign, a duplicate (same
//    call, band and mode as an earlier QSO).
// Findings come in line order, header findings first on their line.
std::vector<Finding> CheckSubmission(const Log& log, bool with_header, const ContestPeriod& period);

// Whether a text is shaped like a call sign: parts of letters and digits
// separated by '/', the longest of 3 to 10 characters with a letter and a
// digit, ending in a letter (LY1000 and other all-digit suffixes are
// questioned, as robots do).
bool LooksLikeCallSign(std::string_view call);

}  // namespace replay
