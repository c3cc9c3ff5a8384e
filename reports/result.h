// The result summary that GetResult0 returns to the host.
#pragma once

#include <mutex>
#include <string>

#include "rules/score.h"

namespace stats {

// Builds the result text (text or HTML form) into the contest state, writes
// the claimed score to the settings file and, when a Cabrillo log is wanted,
// writes it and tells the operator.  Called with the contest-state lock
// held; lets go of it while the log is written and the message box is open,
// and holds it again when it returns.  Returns the text that GetResult0
// hands to the host.
const char* RunResultRequest(std::unique_lock<std::mutex>& lock);

// What the heading shows besides the fixed texts.
struct ResultHeading {
  std::string start_date;  // "%d.%m"
  std::string end_date;    // "%d.%m.%Y"
  std::string contestant;  // the own call sign
};

// The summary as plain text with tabs and CR LF line ends.
std::string FormatResultText(const ResultHeading& heading, const ScoreSummary& summary);
// The summary as one HTML document on one line.
std::string FormatResultHtml(const ResultHeading& heading, const ScoreSummary& summary);

}  // namespace stats
