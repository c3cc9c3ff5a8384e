// The check of all logs against one another: each QSO line of each log gets
// one verdict (contest.h), the partner's line when one was found, and what
// led to it.
//
// The steps, each over all logs at once:
//  1. a line whose call is no call sign, or whose band or mode the contest
//     does not have, is invalid;
//  2. each log's clock offset (a constant number of minutes, an hour, a
//     whole day, or a date slipped from some QSO on) is estimated from the
//     time differences of its QSOs with its partners' QSOs with it, and
//     applied before anything else looks at its times: an offset is taken
//     for a run of QSOs in file order when at least ten of them agree on
//     it;
//  3. a QSO outside the period is out-of-period; a repeat the dupe rule
//     does not allow is a dupe;
//  4. QSOs are matched with the partner's log: the same two calls, band and
//     mode, the closest times first, within the window;
//  5. a matched QSO's received exchange is compared with what the partner
//     logged as sent, both ways;
//  6. a QSO left without a match is searched for a busted call: a station
//     whose call is one or two characters from the logged one, and whose
//     log shows this station in the window, unmatched;
//  7. what is still unmatched is not-in-log when the worked station sent a
//     log, no-log when other logs show it too, unique otherwise.
// The QSOs are indexed by calls, band and time: nothing compares logs
// pairwise, and the outcome does not depend on the order of the logs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contest.h"
#include "logs.h"

namespace crosscheck {

struct Finding {
  Verdict verdict = Verdict::kOk;
  bool counted = true;
  int penalty = 0;
  int partner_log = -1;  // index into the logs checked; -1: none
  int partner_qso = -1;
  std::string detail;
};

// A run of a log's QSOs, in file order, whose clock was off by the same
// amount.
struct ClockRun {
  int first_line = 0, last_line = 0;
  int64_t offset_minutes = 0;  // the log's clock minus the partners' clocks
  int support = 0;             // QSOs of the run whose partners agree on it
};

struct LogCheck {
  bool used = true;          // false: another log of the same call came later
  int superseded_by = -1;    // the log used instead
  std::vector<ClockRun> clock;    // the runs with an offset; empty: the clock was right
  std::vector<int64_t> offsets;   // per QSO: the offset taken off its time
  std::vector<Finding> findings;  // one per QSO of the log
};

struct CheckOptions {
  // The contest's first day as days since 1899-12-30; 0: the day most QSOs
  // fall in.
  int64_t first_day = 0;
  // The matching window; 0: the contest's.
  int window_minutes = 0;
};

struct CheckResult {
  std::vector<LogCheck> logs;  // in the order of the logs given
  // Seconds each step took: "match" (clock offsets, period, matching,
  // dupes) and "bust search" (busted calls, what is left).
  double match_seconds = 0, bust_seconds = 0;
  int64_t period_start = 0;    // minutes since 1899-12-30
  int64_t period_end = 0;      // the first minute after the period
};

// The logs must be in a fixed order (ArrangeLogs) for the outcome to be
// the same whatever order they were named in.
CheckResult CheckLogs(const std::vector<StationLog>& logs, const ContestDefinition& contest,
                      const CheckOptions& options);

// Sorts the logs by call, then by time written and file name, so that of
// two logs of one call the later one comes last.
void ArrangeLogs(std::vector<StationLog>* logs);

// Whether a text has the shape of a call sign: letters, digits and
// slashes, with at least one letter and one digit.
bool IsCallSign(std::string_view call);

// The number of edits (a character changed, added, dropped, or two
// neighbours swapped) between two calls, up to 3 (3 meaning "3 or more"),
// and how many of the changed characters are ones that PSK or CW decoding
// confuses.
struct CallDistance {
  int edits = 0;
  int confusions = 0;
};
CallDistance DistanceBetween(std::string_view a, std::string_view b);

// Whether the received columns agree with the sent ones, column by column
// as the contest compares them.
bool ExchangeAgrees(const ContestDefinition& contest, std::string_view received,
                    std::string_view sent);

}  // namespace crosscheck
