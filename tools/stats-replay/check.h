// The check before a log is submitted: what a contest's log robot would
// refuse or question, each with its line.  It reads the log only.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "callsign.h"
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
//    call, band and mode as an earlier QSO), a prefix given in the log (ADIF
//    PFX) that is not the call's prefix by the rules (a warning: the rules'
//    prefix is the one scored).
// Findings come in line order, header findings first on their line.
std::vector<Finding> CheckSubmission(const Log& log, bool with_header, const ContestPeriod& period);

// The same check on a log as it is read: header lines and QSOs are given one
// by one, in file order, and Findings() gives what CheckSubmission gives for
// the whole log.  It keeps the header lines and, per call, band and mode,
// the line of the first QSO.
class SubmissionCheck final : public LogReceiver {
 public:
  // is_listed (may be empty) is the country file's, for the prefix of a
  // call.
  SubmissionCheck(bool with_header, const ContestPeriod& period, PrefixTest is_listed = {})
      : with_header_(with_header), period_(period), is_listed_(std::move(is_listed)) {}
  void OnQso(const LogQso& qso) override;
  void OnProblem(const ReadProblem& problem) override { (void)problem; }
  void OnHeader(const HeaderLine& header) override { header_.push_back(header); }
  std::vector<Finding> Findings() const;

 private:
  bool with_header_;
  const ContestPeriod& period_;
  PrefixTest is_listed_;
  std::vector<HeaderLine> header_;
  std::vector<Finding> qso_findings_;
  // Call, band and mode with a NUL between them (no text of a QSO holds
  // one): the line of the first QSO with them.
  std::unordered_map<std::string, int> first_line_;
  std::string key_;
};

// Whether a text is shaped like a call sign: parts of letters and digits
// separated by '/', the longest of 3 to 10 characters with a letter and a
// digit, ending in a letter (LY1000 and other all-digit suffixes are
// questioned, as robots do).
bool LooksLikeCallSign(std::string_view call);

// The finding of a QSO whose prefix in the log (PFX) is not its prefix by
// the rules; "" when it has none or the two agree.
std::string PrefixFinding(const LogQso& qso, const PrefixTest& is_listed);

}  // namespace replay
