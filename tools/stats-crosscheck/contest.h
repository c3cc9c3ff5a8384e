// A contest as the log check sees it: its bands, modes and period, the
// exchange columns and how each is compared, the time window of a match, the
// dupe rule and what each verdict costs.  One small text file per contest
// (contests/*.contest); two of them are built into the program.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace crosscheck {

// What a QSO line of a log is found to be.  The names are an interface:
// verdicts.tsv and the policy files use them.
enum class Verdict {
  kOk,
  kTimeOffset,
  kNotInLog,
  kBustedCall,
  kPartnerBustedCall,
  kBustedExchange,
  kPartnerBustedExchange,
  kDupe,
  kOutOfPeriod,
  kNoLog,
  kUnique,
  kInvalid,
};
inline constexpr int kVerdictCount = 12;

std::string_view VerdictName(Verdict verdict);
std::optional<Verdict> VerdictByName(std::string_view name);

// How one received column is compared with what the partner logged as sent.
enum class FieldKind {
  kExact,            // the same text (letters in any case)
  kSerial,           // the same number (007 = 7); a text that is no number as kExact
  kSection,          // the same code, one of the definition's sections
  kSerialOrSection,  // a serial, or a section code from a station that sends one
};

struct Cost {
  bool counted = true;
  int penalty = 0;  // QSOs taken off the entrant's count besides
};

enum class DupeScope { kBand, kBandMode };
enum class ScoreRule { kPlugin, kQsos };

struct ContestDefinition {
  std::string name;  // the file's or built-in name
  std::string title;
  std::vector<std::string> bands;  // as the host names them ("80m")
  std::vector<std::string> modes;  // the mode texts of the readers ("CW", "BPSK63")
  int start_minute = 0;            // of the contest's first day, UTC
  int length_minutes = 0;
  int window_minutes = 10;
  bool rst = true;  // the received columns start with an RST
  // A QSO not in the partner's log whose partner logged a near call at that
  // time in a line that is another confirmed QSO is the partner's busted
  // copy of this call (the line stands for both QSOs).
  bool shared_partner_line = false;
  std::vector<FieldKind> exchange;
  std::vector<std::string> sections;
  DupeScope dupe = DupeScope::kBand;
  int repeat_minutes = 0;  // 0: a station counts once
  // The repeat time counts in periods of repeat_minutes from the contest's
  // start (a station once in each), not from the last QSO that counted.
  bool repeat_in_periods = false;
  ScoreRule score = ScoreRule::kQsos;
  int points = 1;  // per QSO, when scored by QSOs
  std::array<Cost, kVerdictCount> costs{};

  const Cost& CostOf(Verdict v) const { return costs[static_cast<size_t>(v)]; }
  // Index of a band or mode text; -1 when the contest has none such.
  int BandIndex(std::string_view band) const;
  int ModeIndex(std::string_view mode) const;
  bool IsSection(std::string_view text) const;
};

// Reads a definition.  file_name is used in messages only: on failure
// nullopt, and *error is "FILE:LINE: reason" (or "FILE: reason" for what is
// missing as a whole).
std::optional<ContestDefinition> ParseContest(std::string_view text, std::string_view file_name,
                                              std::string* error);

// The definitions shipped with the program, by name ("uba-psk63-prefix",
// "lz-open"); the text of each; empty when there is none of that name.
std::string_view BuiltinContestText(std::string_view name);
std::vector<std::string_view> BuiltinContestNames();

}  // namespace crosscheck
