#include "check.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <map>
#include <tuple>

#include "host_rules.h"
#include "wpx.h"
#include "rules/exchange.h"

namespace replay {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

// The name the contest's robot expects on the CONTEST: line.
constexpr std::string_view kContestName = "UBA-PSK63-PREFIX";

struct CategoryValues {
  const char* tag;
  std::initializer_list<std::string_view> values;
  bool may_be_empty;
};

// The values of the Cabrillo 3.0 category lines.
const CategoryValues kCategories[] = {
    {"CATEGORY-OPERATOR", {"SINGLE-OP", "MULTI-OP", "CHECKLOG"}, false},
    {"CATEGORY-ASSISTED", {"ASSISTED", "NON-ASSISTED"}, false},
    {"CATEGORY-BAND",
     {"ALL", "160M", "80M", "40M", "20M", "15M", "10M", "6M", "4M", "2M", "222", "432", "902",
      "1.2G", "2.3G", "3.4G", "5.7G", "10G", "24G", "47G", "75G", "122G", "134G", "241G", "LIGHT",
      "VHF-3-BAND", "VHF-FM-ONLY"},
     false},
    {"CATEGORY-MODE", {"CW", "DIGI", "FM", "RTTY", "SSB", "MIXED"}, true},
    {"CATEGORY-POWER", {"HIGH", "LOW", "QRP"}, false},
    {"CATEGORY-STATION",
     {"DISTRIBUTED", "FIXED", "MOBILE", "PORTABLE", "ROVER", "ROVER-LIMITED", "ROVER-UNLIMITED",
      "EXPEDITION", "HQ", "SCHOOL", "EXPLORER"},
     true},
    {"CATEGORY-TIME", {"6-HOURS", "8-HOURS", "12-HOURS", "24-HOURS"}, true},
    {"CATEGORY-TRANSMITTER", {"ONE", "TWO", "LIMITED", "UNLIMITED", "SWL"}, true},
    {"CATEGORY-OVERLAY",
     {"CLASSIC", "ROOKIE", "TB-WIRES", "YOUTH", "NOVICE-TECH", "OVER-50"}, true},
};

// The mode category of this contest's log as the plug-in writes it: not a
// Cabrillo 3.0 value, but the one the contest's robot expects.
constexpr std::string_view kContestMode = "BPSK63";

void CheckCategory(const HeaderLine& h, std::vector<Finding>* findings) {
  for (const CategoryValues& category : kCategories) {
    if (h.tag != category.tag) continue;
    if (h.value.empty()) {
      if (!category.may_be_empty) {
        findings->push_back({h.line, h.tag + ": is empty",
                             h.tag == "CATEGORY-OPERATOR" ? Severity::kError : Severity::kWarning,
                             FindingKind::kEmptyHeader});
      }
      return;
    }
    const std::string value = Upper(h.value);
    if (h.tag == "CATEGORY-MODE" && value == kContestMode) return;
    if (std::find(category.values.begin(), category.values.end(), value) !=
        category.values.end()) {
      return;
    }
    std::string list;
    for (const std::string_view v : category.values) list.append(list.empty() ? "" : ", ").append(v);
    findings->push_back({h.line, h.tag + ": '" + h.value + "' is not a Cabrillo 3.0 value (" +
                                     list + ")",
                         Severity::kWarning, FindingKind::kCategory});
    return;
  }
  // Another CATEGORY-* line: not one of Cabrillo 3.0; the robot ignores it.
}

void CheckHeader(const std::vector<HeaderLine>& header, std::vector<Finding>* findings) {
  struct Needed {
    const char* tag;
    Severity severity;
  };
  static constexpr Needed kNeeded[] = {{"CALLSIGN", Severity::kError},
                                       {"CONTEST", Severity::kError},
                                       {"CATEGORY-OPERATOR", Severity::kError},
                                       {"NAME", Severity::kWarning},
                                       {"ADDRESS", Severity::kWarning},
                                       {"EMAIL", Severity::kWarning}};
  bool address_given = false;
  int first_address = 0;
  for (const HeaderLine& h : header) {
    if (h.tag == "ADDRESS") {
      if (first_address == 0) first_address = h.line;
      address_given = address_given || !h.value.empty();
      continue;
    }
    if (h.tag.rfind("CATEGORY-", 0) == 0) {
      CheckCategory(h, findings);
      continue;
    }
    if (h.tag == "CONTEST" && !h.value.empty() && h.value != kContestName) {
      findings->push_back({h.line, "CONTEST: '" + h.value + "' is not " + std::string(kContestName),
                           Severity::kError, FindingKind::kContest});
      continue;
    }
    const bool error = h.tag == "CALLSIGN" || h.tag == "CONTEST";
    if ((error || h.tag == "NAME" || h.tag == "EMAIL") && h.value.empty()) {
      findings->push_back({h.line, h.tag + ": is empty", error ? Severity::kError : Severity::kWarning,
                           FindingKind::kEmptyHeader});
    }
  }
  if (first_address != 0 && !address_given) {
    findings->push_back({first_address, "ADDRESS: is empty", Severity::kWarning,
                         FindingKind::kEmptyHeader});
  }
  for (const Needed& needed : kNeeded) {
    const bool present = std::any_of(header.begin(), header.end(),
                                     [&](const HeaderLine& h) { return h.tag == needed.tag; });
    if (!present) {
      findings->push_back({0, std::string("no ") + needed.tag + ": line", needed.severity,
                           FindingKind::kMissingHeader});
    }
  }
}

}  // namespace

bool LooksLikeCallSign(std::string_view call) {
  // Letters are taken as capitals as they are read: every QSO comes here
  // twice.
  const auto letter = [](char c) { return IsLetter(c) || (c >= 'a' && c <= 'z'); };
  if (call.empty() || call.front() == '/' || call.back() == '/') return false;
  std::string_view longest;
  std::string_view rest = call;
  while (true) {
    const size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (part.empty()) return false;
    for (const char c : part) {
      if (!IsDigit(c) && !letter(c)) return false;
    }
    if (part.size() > longest.size()) longest = part;
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return longest.size() >= 3 && longest.size() <= 10 &&
         std::any_of(longest.begin(), longest.end(), IsDigit) &&
         std::any_of(longest.begin(), longest.end(), letter) && letter(longest.back());
}

std::string PrefixFinding(const LogQso& qso, const PrefixTest& is_listed) {
  if (qso.prefix.empty()) return "";
  const std::string prefix = WpxPrefix(qso.call, is_listed);
  if (prefix == qso.prefix) return "";
  return "QSO with " + qso.call + ": the log's PFX " + qso.prefix + " is not the prefix " +
         prefix + " of the call; " + prefix + " is scored";
}

bool LooksLikeExchange(std::string_view exchange, bool belgian) {
  const std::string_view text = Trim(exchange);
  if ((text.size() == 3 || text.size() == 4) && std::all_of(text.begin(), text.end(), IsDigit)) {
    return true;
  }
  if (!belgian) return false;
  const std::string section = Upper(text);
  return std::find(stats::kUbaSections.begin(), stats::kUbaSections.end(), section) !=
         stats::kUbaSections.end();
}

void SubmissionCheck::OnQso(const LogQso& q) {
  std::vector<Finding>& findings = qso_findings_;
  const auto with = [&q] { return "QSO with " + q.call; };
  const auto add = [&](std::string text, Severity severity, FindingKind kind) {
    findings.push_back({q.line, std::move(text), severity, kind});
  };
  if (q.exchange_sent.empty()) {
    add(with() + ": no exchange sent", Severity::kError, FindingKind::kMissingExchange);
  }
  if (q.exchange_received.empty()) {
    add(with() + ": no exchange received", Severity::kError, FindingKind::kMissingExchange);
  } else if (!LooksLikeExchange(q.exchange_received, country_of_ && country_of_(q.call) == "ON")) {
    add(with() + ": exchange received '" + q.exchange_received +
            "' is neither a 3-4 digit number nor a Belgian station's UBA section",
        Severity::kWarning, FindingKind::kExchange);
  }
  if (const std::string outside = period_.Outside(q.time); !outside.empty()) {
    add(with() + " at " + TimeText(q.time) + ": " + outside, Severity::kError,
        FindingKind::kOutsidePeriod);
  }
  if (!LooksLikeCallSign(q.call)) {
    add("'" + q.call + "' is not a call sign", Severity::kWarning, FindingKind::kNotACall);
  }
  if (!q.own_call.empty() && !LooksLikeCallSign(q.own_call)) {
    add("own call '" + q.own_call + "' is not a call sign", Severity::kWarning,
        FindingKind::kNotACall);
  }
  if (std::string pfx = PrefixFinding(q, is_listed_); !pfx.empty()) {
    add(std::move(pfx), Severity::kWarning, FindingKind::kLogPrefix);
  }
  key_.assign(q.call).append(1, '\0').append(q.band).append(1, '\0').append(q.mode);
  const auto [first, fresh] = first_line_.try_emplace(key_, q.line);
  if (!fresh) {
    const std::string band = q.band.empty() ? "no band" : q.band;
    add(with() + " on " + band + ": duplicate of line " + std::to_string(first->second),
        Severity::kWarning, FindingKind::kDuplicate);
  }
}

std::vector<Finding> SubmissionCheck::Findings() const {
  std::vector<Finding> findings;
  if (with_header_) CheckHeader(header_, &findings);
  findings.insert(findings.end(), qso_findings_.begin(), qso_findings_.end());
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.line < b.line; });
  return findings;
}

std::optional<SubmissionCheck::Claimed> SubmissionCheck::ClaimedScore() const {
  for (const HeaderLine& h : header_) {
    if (h.tag != "CLAIMED-SCORE") continue;
    long value = 0;
    const char* end = h.value.data() + h.value.size();
    const auto [at, ec] = std::from_chars(h.value.data(), end, value);
    if (ec == std::errc() && at == end && !h.value.empty()) return Claimed{h.line, value};
    return std::nullopt;
  }
  return std::nullopt;
}

bool SubmissionCheck::Has(int line, FindingKind kind) const {
  return std::any_of(qso_findings_.begin(), qso_findings_.end(),
                     [&](const Finding& f) { return f.line == line && f.kind == kind; });
}

std::optional<Finding> ClaimedScoreFinding(const SubmissionCheck::Claimed& claimed, long counted) {
  if (claimed.score == counted) return std::nullopt;
  return Finding{claimed.line,
                 "CLAIMED-SCORE: " + std::to_string(claimed.score) + " differs from the recount " +
                     std::to_string(counted),
                 Severity::kWarning, FindingKind::kClaimedScore};
}

std::optional<Finding> JournalFinding(int line, const std::string& call,
                                      std::string_view journal_line) {
  static constexpr std::string_view kSection = "  UBA section is not acceptable !!!";
  static constexpr std::string_view kReasons[] = {"   WRONG MODE !!!", "   NO RX NUMBER !!!",
                                                  "   WRONG BAND !!!", "   DUPE !!!"};
  const auto ends_with = [&](std::string_view end) {
    return journal_line.size() >= end.size() &&
           journal_line.substr(journal_line.size() - end.size()) == end;
  };
  std::string reason;
  for (const std::string_view r : kReasons) {
    if (ends_with(r)) reason = std::string(Trim(r));
  }
  if (ends_with(kSection)) {
    // "  S  UBA section ...": S is the last three characters of the
    // exchange received, trimmed.
    const std::string_view before = journal_line.substr(0, journal_line.size() - kSection.size());
    const size_t blanks = before.rfind("  ");
    const std::string_view section =
        blanks == std::string_view::npos ? std::string_view() : before.substr(blanks + 2);
    reason = "UBA section '" + std::string(section) + "' is not acceptable !!!";
  }
  if (reason.empty()) return std::nullopt;
  return Finding{line, "QSO with " + call + ": journalled as bad: " + reason, Severity::kWarning,
                 FindingKind::kJournalled};
}

std::string_view KindTitle(FindingKind kind) {
  switch (kind) {
    case FindingKind::kContest: return "wrong contest";
    case FindingKind::kMissingHeader: return "missing header line";
    case FindingKind::kEmptyHeader: return "empty header line";
    case FindingKind::kCategory: return "category value";
    case FindingKind::kMissingExchange: return "missing exchange";
    case FindingKind::kOutsidePeriod: return "outside the contest period";
    case FindingKind::kNotACall: return "not a call sign";
    case FindingKind::kDuplicate: return "duplicate";
    case FindingKind::kExchange: return "exchange";
    case FindingKind::kJournalled: return "journalled by the plug-in";
    case FindingKind::kClaimedScore: return "claimed score";
    case FindingKind::kLogPrefix: return "prefix in the log";
  }
  return "other";
}

std::string Verdict(size_t errors, size_t warnings) {
  if (errors == 0 && warnings == 0) return "ready to send";
  const auto count = [](size_t n, const char* one) {
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
  };
  return count(errors, "error") + ", " + count(warnings, "warning");
}

std::string CheckReport(const std::string& file, const std::vector<Finding>& findings,
                        size_t per_kind) {
  // The groups in the order of their first finding, errors first.
  std::vector<std::pair<Severity, FindingKind>> groups;
  size_t errors = 0, warnings = 0;
  for (const Finding& f : findings) {
    (f.severity == Severity::kError ? errors : warnings) += 1;
    const std::pair<Severity, FindingKind> group{f.severity, f.kind};
    if (std::find(groups.begin(), groups.end(), group) == groups.end()) groups.push_back(group);
  }
  std::stable_partition(groups.begin(), groups.end(),
                        [](const auto& g) { return g.first == Severity::kError; });
  const std::string name = Printable(file);
  std::string report;
  for (const auto& [severity, kind] : groups) {
    std::vector<const Finding*> members;
    for (const Finding& f : findings) {
      if (f.severity == severity && f.kind == kind) members.push_back(&f);
    }
    const bool error = severity == Severity::kError;
    report.append("stats-replay: check: ")
        .append(KindTitle(kind))
        .append(": ")
        .append(std::to_string(members.size()))
        .append(error ? " error" : " warning")
        .append(members.size() == 1 ? "" : "s")
        .append("\n");
    const size_t shown = per_kind == 0 ? members.size() : std::min(per_kind, members.size());
    for (size_t i = 0; i < shown; ++i) {
      report.append("  ").append(name);
      if (members[i]->line > 0) report.append(":").append(std::to_string(members[i]->line));
      report.append(": ").append(Printable(members[i]->text)).append("\n");
    }
    if (shown < members.size()) {
      report.append("  ... and ")
          .append(std::to_string(members.size() - shown))
          .append(" more (--check-all lists every one)\n");
    }
  }
  report.append("stats-replay: check: ")
      .append(name)
      .append(": ")
      .append(Verdict(errors, warnings))
      .append("\n");
  return report;
}

std::vector<Finding> CheckSubmission(const Log& log, bool with_header, const ContestPeriod& period,
                                     const CountryOf& country_of) {
  SubmissionCheck check(with_header, period, country_of);
  for (const HeaderLine& h : log.header) check.OnHeader(h);
  for (const LogQso& q : log.qsos) check.OnQso(q);
  return check.Findings();
}

}  // namespace replay
