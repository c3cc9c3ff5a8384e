// The check before a log is submitted: what a contest's log robot would
// refuse or question, each with its line.  It reads the log only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "blocks.h"
#include "log.h"
#include "period.h"
#include "text_table.h"

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

// The same check on a log as it is read: header lines and QSOs are given one
// by one, in file order, and Findings() gives what CheckSubmission gives for
// the whole log.  It keeps the header lines and, per call, band and mode,
// the line of the first QSO.
// It takes a log as a reader gives it, or in the blocks ReadInBlocks gives.
class SubmissionCheck final : public LogReceiver, public BlockVisitor {
 public:
  SubmissionCheck(bool with_header, const ContestPeriod& period)
      : with_header_(with_header), period_(period) {}
  void OnQso(const LogQso& qso) override;
  void OnQso(const PackedQso& qso) override;
  void OnProblem(const ReadProblem& problem) override { (void)problem; }
  void OnHeader(const HeaderLine& header) override { header_.push_back(header); }
  std::vector<Finding> Findings();

 private:
  bool with_header_;
  const ContestPeriod& period_;
  std::vector<HeaderLine> header_;
  std::vector<Finding> qso_findings_;
  // The checks of a QSO, whichever way it comes.
  template <typename Qso>
  void Check(const Qso& q);
  // Looks the last QSO's key up in first_line_, whose slot was asked for
  // when the QSO came: a table of a million keys is far larger than the
  // cache, and the next QSO's work covers the wait.
  void SettleDuplicate();

  TextTable<int> first_line_;         // call, band and mode: the first line
  TextTable<uint32_t> band_modes_;    // band and mode: their number
  std::string key_;
  // The last band and mode, and their number: most QSOs repeat them.
  std::string last_band_, last_mode_;
  uint32_t last_band_mode_ = UINT32_MAX;
  // The QSO whose duplicate check waits: its key, line, call and band, and
  // where its findings end in qso_findings_.
  bool pending_ = false;
  std::string pending_key_, pending_call_, pending_band_;
  int pending_line_ = 0;
  size_t pending_end_ = 0;
};

// Whether a text is shaped like a call sign: parts of letters and digits
// separated by '/', the longest of 3 to 10 characters with a letter and a
// digit, ending in a letter (LY1000 and other all-digit suffixes are
// questioned, as robots do).
bool LooksLikeCallSign(std::string_view call);

}  // namespace replay
