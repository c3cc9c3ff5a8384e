#include "check.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "host_rules.h"

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

template <typename Qso>
void SubmissionCheck::Check(const Qso& q) {
  std::vector<Finding>& findings = qso_findings_;
  const auto with = [&q] { return "QSO with " + std::string(q.call); };
  if (q.exchange_sent.empty()) findings.push_back({q.line, with() + ": no exchange sent"});
  if (q.exchange_received.empty()) findings.push_back({q.line, with() + ": no exchange received"});
  if (const std::string outside = period_.Outside(q.time); !outside.empty()) {
    findings.push_back({q.line, with() + " at " + TimeText(q.time) + ": " + outside});
  }
  if (!LooksLikeCallSign(q.call)) {
    findings.push_back({q.line, "'" + std::string(q.call) + "' is not a call sign"});
  }
  if (!q.own_call.empty() && !LooksLikeCallSign(q.own_call)) {
    findings.push_back({q.line, "own call '" + std::string(q.own_call) + "' is not a call sign"});
  }
  // The key: the call, a NUL and the number of the band and mode, seven
  // bits a byte (no text of a QSO holds a NUL, so the parts cannot run
  // together).  A key seen before is only looked up.
  if (last_band_mode_ == UINT32_MAX || q.band != last_band_ || q.mode != last_mode_) {
    key_.assign(q.band).append(1, '\0').append(q.mode);
    last_band_mode_ = *band_modes_.Insert(key_, static_cast<uint32_t>(band_modes_.size())).first;
    last_band_.assign(q.band);
    last_mode_.assign(q.mode);
  }
  const uint32_t band_mode = last_band_mode_;
  key_.assign(q.call).append(1, '\0');
  for (uint32_t n = band_mode;; n >>= 7) {
    key_.push_back(static_cast<char>((n & 0x7F) | (n >= 0x80 ? 0x80 : 0)));
    if (n < 0x80) break;
  }
  SettleDuplicate();
  first_line_.Prefetch(key_);
  pending_ = true;
  pending_key_.swap(key_);
  pending_call_.assign(q.call);
  pending_band_.assign(q.band);
  pending_line_ = q.line;
  pending_end_ = findings.size();
}

void SubmissionCheck::OnQso(const LogQso& qso) { Check(qso); }
void SubmissionCheck::OnQso(const PackedQso& qso) { Check(qso); }

void SubmissionCheck::SettleDuplicate() {
  if (!pending_) return;
  pending_ = false;
  const auto [first, fresh] = first_line_.Insert(pending_key_, pending_line_);
  if (!fresh) {
    // After the QSO's other findings, before the next QSO's.
    const auto at = qso_findings_.begin() + static_cast<std::ptrdiff_t>(pending_end_);
    const std::string band = pending_band_.empty() ? "no band" : pending_band_;
    qso_findings_.insert(at, {pending_line_, "QSO with " + pending_call_ + " on " + band +
                                                 ": duplicate of line " + std::to_string(*first)});
  }
}

std::vector<Finding> SubmissionCheck::Findings() {
  SettleDuplicate();
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
