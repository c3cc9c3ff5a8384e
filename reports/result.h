// The result summary that GetResult0 returns to the host.
#pragma once

#include <string>

#include "rules/score.h"

namespace stats {

// The name of the contest's one set of rules (GetSetName), also the
// heading of the result.
inline constexpr const char* kSetName = "VA-ZIZ-AVO";

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
