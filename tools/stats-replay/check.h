// The check before a log is submitted: what a contest's log robot would
// refuse (an error: the log is turned away, or the QSO will not count) or
// question (a warning: worth a look), each with its line and its kind.
// It reads the log only; what the plug-in made of the log (its bad-QSO
// journal, its score) is added after the run.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "callsign.h"
#include "log.h"
#include "period.h"

namespace replay {

enum class Severity { kError, kWarning };

// The kinds of finding; a report lists the findings of one kind together.
enum class FindingKind {
  kContest,         // CONTEST: not this contest's name (error)
  kMissingHeader,   // a header line the robot needs is missing
  kEmptyHeader,     // a header line the robot needs is empty
  kCategory,        // a CATEGORY-* value outside the Cabrillo 3.0 list (warning)
  kMissingExchange, // no exchange sent or received (error)
  kOutsidePeriod,   // a QSO outside the contest period (error)
  kNotACall,        // a worked or own call not shaped like a call sign (warning)
  kDuplicate,       // same call, band and mode as an earlier QSO (warning)
  kExchange,        // a received exchange of the wrong shape (warning)
  kJournalled,      // a QSO the plug-in journalled as bad (warning)
  kClaimedScore,    // CLAIMED-SCORE differs from the plug-in's score (warning)
  kLogPrefix,       // the log's PFX is not the call's prefix by the rules (warning)
};

// The heading of a kind in the report ("missing exchange").
std::string_view KindTitle(FindingKind kind);

struct Finding {
  int line = 0;  // 0: the log as a whole
  std::string text;
  Severity severity = Severity::kWarning;
  FindingKind kind = FindingKind::kContest;
};

// The country prefix of a worked call ("ON" for a Belgian station).
using CountryOf = std::function<std::string(const std::string& call)>;

// Looks at:
//  - header lines (with_header: a Cabrillo log): CONTEST other than
//    UBA-PSK63-PREFIX; CALLSIGN, CONTEST and CATEGORY-OPERATOR missing or
//    empty (errors); NAME, ADDRESS and EMAIL missing or empty,
//    CATEGORY-ASSISTED, -BAND and -POWER empty, and any CATEGORY-* value
//    outside the Cabrillo 3.0 lists (warnings; CATEGORY-MODE BPSK63 is what
//    this contest's log carries, and the other CATEGORY-* lines may be
//    empty);
//  - each QSO: an empty sent or received exchange and a time outside the
//    period (errors); a worked or own call that is not a call sign, a
//    duplicate (same call, band and mode as an earlier QSO) and a received
//    exchange that is neither a 3-4 digit number nor, from a Belgian
//    station (country_of gives "ON"), a UBA section, and a prefix given in
//    the log (ADIF PFX) that is not the call's prefix by the rules (warnings:
//    the rules' prefix is the one scored).
// Findings come in line order, header findings first on their line.
std::vector<Finding> CheckSubmission(const Log& log, bool with_header, const ContestPeriod& period,
                                     const CountryOf& country_of = {});

// The same check on a log as it is read: header lines and QSOs are given one
// by one, in file order, and Findings() gives what CheckSubmission gives for
// the whole log, with those added through Add().  It keeps the header lines
// and, per call, band and mode, the line of the first QSO.
class SubmissionCheck final : public LogReceiver {
 public:
  // country_of and is_listed (either may be empty) are the country file's:
  // a worked call's country, and whether a text is a listed prefix.
  SubmissionCheck(bool with_header, const ContestPeriod& period, CountryOf country_of = {},
                  PrefixTest is_listed = {})
      : with_header_(with_header),
        period_(period),
        country_of_(std::move(country_of)),
        is_listed_(std::move(is_listed)) {}
  void OnQso(const LogQso& qso) override;
  void OnProblem(const ReadProblem& problem) override { (void)problem; }
  void OnHeader(const HeaderLine& header) override { header_.push_back(header); }
  // A finding from elsewhere (the plug-in's journal or score).
  void Add(Finding finding) { qso_findings_.push_back(std::move(finding)); }
  std::vector<Finding> Findings() const;
  // The CLAIMED-SCORE of the header and its line; nullopt when there is
  // none or it is not a number.
  struct Claimed {
    int line = 0;
    long score = 0;
  };
  std::optional<Claimed> ClaimedScore() const;
  // Whether this QSO line already has a finding of the kind.
  bool Has(int line, FindingKind kind) const;

 private:
  bool with_header_;
  const ContestPeriod& period_;
  CountryOf country_of_;
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

// Whether a received exchange has the contest's shape: a 3-4 digit number,
// or, from a Belgian station, a UBA section (blanks around and letter case
// aside).
bool LooksLikeExchange(std::string_view exchange, bool belgian);

// The finding of the claimed score against the plug-in's; nullopt when
// they agree.
std::optional<Finding> ClaimedScoreFinding(const SubmissionCheck::Claimed& claimed, long counted);

// The finding of a line of the plug-in's bad-QSO journal, written for the
// QSO of log line `line`, with the journal's reason; nullopt for a line
// that carries no known reason.
std::optional<Finding> JournalFinding(int line, const std::string& call,
                                      std::string_view journal_line);

// The report of a check: the findings grouped by kind, errors first, each
// group under a heading with its count, at most `per_kind` findings of each
// listed (0: all) and the rest counted, then the verdict line.  `file`
// names the log checked; every line starts with "stats-replay: check: "
// or is indented below such a line.  Control bytes are shown escaped.
std::string CheckReport(const std::string& file, const std::vector<Finding>& findings,
                        size_t per_kind);

// "ready to send" when nothing was found, else "N errors, M warnings".
std::string Verdict(size_t errors, size_t warnings);

}  // namespace replay
