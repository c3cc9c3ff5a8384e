#include "check.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "host_rules.h"
#include "wpx.h"

namespace replay {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

void CheckHeader(const std::vector<HeaderLine>& header, std::vector<Finding>* findings) {
  static constexpr const char* kNeeded[] = {"CALLSIGN", "CATEGORY-OPERATOR", "NAME", "ADDRESS",
                                            "EMAIL"};
  bool address_given = false;
  int first_address = 0;
  for (const HeaderLine& h : header) {
    if (h.tag == "ADDRESS") {
      if (first_address == 0) first_address = h.line;
      address_given = address_given || !h.value.empty();
      continue;
    }
    const bool checked = h.tag == "CALLSIGN" || h.tag == "NAME" || h.tag == "EMAIL" ||
                         h.tag.rfind("CATEGORY-", 0) == 0;
    if (checked && h.value.empty()) findings->push_back({h.line, h.tag + ": is empty"});
  }
  if (first_address != 0 && !address_given) {
    findings->push_back({first_address, "ADDRESS: is empty"});
  }
  for (const char* tag : kNeeded) {
    const bool present = std::any_of(header.begin(), header.end(),
                                     [&](const HeaderLine& h) { return h.tag == tag; });
    if (!present) findings->push_back({0, std::string("no ") + tag + ": line"});
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

void SubmissionCheck::OnQso(const LogQso& q) {
  std::vector<Finding>& findings = qso_findings_;
  const auto with = [&q] { return "QSO with " + q.call; };
  if (q.exchange_sent.empty()) findings.push_back({q.line, with() + ": no exchange sent"});
  if (q.exchange_received.empty()) findings.push_back({q.line, with() + ": no exchange received"});
  if (const std::string outside = period_.Outside(q.time); !outside.empty()) {
    findings.push_back({q.line, with() + " at " + TimeText(q.time) + ": " + outside});
  }
  if (!LooksLikeCallSign(q.call)) findings.push_back({q.line, "'" + q.call + "' is not a call sign"});
  if (!q.own_call.empty() && !LooksLikeCallSign(q.own_call)) {
    findings.push_back({q.line, "own call '" + q.own_call + "' is not a call sign"});
  }
  if (std::string pfx = PrefixFinding(q, is_listed_); !pfx.empty()) {
    findings.push_back({q.line, std::move(pfx)});
  }
  key_.assign(q.call).append(1, '\0').append(q.band).append(1, '\0').append(q.mode);
  const auto [first, fresh] = first_line_.try_emplace(key_, q.line);
  if (!fresh) {
    const std::string band = q.band.empty() ? "no band" : q.band;
    findings.push_back({q.line, with() + " on " + band + ": duplicate of line " +
                                    std::to_string(first->second)});
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

std::vector<Finding> CheckSubmission(const Log& log, bool with_header, const ContestPeriod& period) {
  SubmissionCheck check(with_header, period);
  for (const HeaderLine& h : log.header) check.OnHeader(h);
  for (const LogQso& q : log.qsos) check.OnQso(q);
  return check.Findings();
}

}  // namespace replay
