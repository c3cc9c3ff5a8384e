#include "reports.h"

#include <algorithm>
#include <map>

#include "host_rules.h"

namespace crosscheck {
namespace {

std::string Two(int n) { return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; }

std::string Hhmm(const Qso& q) { return Two(q.time.hour) + Two(q.time.minute); }

std::string Pad(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string PadLeft(const std::string& text, size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// The share of the claimed QSOs that did not stand, as "1.5%".
std::string ErrorRate(long claimed, long checked) {
  if (claimed <= 0) return "0.0%";
  const long tenths = ((claimed - checked) * 1000 + claimed / 2) / claimed;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

std::string Category(const StationLog& log) { return log.category.empty() ? "(no category)" : log.category; }

std::string Html(std::string_view text) {
  std::string out;
  for (const char c : replay::Printable(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string Csv(std::string_view text) {
  const std::string printable = replay::Printable(text);
  if (printable.find_first_of(",\"") == std::string::npos) return printable;
  std::string out = "\"";
  for (const char c : printable) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  return out + "\"";
}

std::string PartnerText(const std::vector<StationLog>& logs, const Finding& f) {
  if (f.partner_log < 0) return "-";
  const StationLog& p = logs[f.partner_log];
  const Qso& q = p.qsos[f.partner_qso];
  return p.name + ":" + std::to_string(q.line) + " " + Hhmm(q) + " " + q.call + " " + q.sent + " / " + q.received;
}

}  // namespace

std::string UbnFileName(const std::string& call) {
  std::string name = call;
  for (char& c : name) {
    if (c == '/' || c == '\\') c = '_';
  }
  return (name.empty() ? std::string("NOCALL") : name) + ".txt";
}

std::string UbnReport(const ContestDefinition& contest, const std::vector<StationLog>& logs,
                      const CheckResult& result, const Entrant& entrant) {
  const StationLog& log = logs[entrant.log];
  const LogCheck& check = result.logs[entrant.log];
  const EntrantScore& s = entrant.score;
  std::string t;
  t += "UBN report of " + log.call + " (" + log.name + "), " + contest.title + "\n";
  t += "Category: " + Category(log) + "\n";
  t += "Claimed score: " + (log.claimed_score.empty() ? std::string("-") : log.claimed_score) + "\n";
  t += "Raw score:     " + std::to_string(s.raw.value) + " (" + std::to_string(s.claimed_qsos) + " QSO lines, " +
       std::to_string(s.raw.points) + " points x " + std::to_string(s.raw.multipliers) + ")\n";
  t += "Checked score: " + std::to_string(s.checked.value) + " (" + std::to_string(s.checked_qsos) + " QSOs stand, " +
       std::to_string(s.checked.points) + " points x " + std::to_string(s.checked.multipliers) +
       (s.penalty_qsos > 0 ? ", less a penalty of " + std::to_string(s.penalty_qsos) + " QSOs" : "") + ")\n";
  t += "QSOs lost: " + std::to_string(s.claimed_qsos - s.checked_qsos) + " of " + std::to_string(s.claimed_qsos) +
       " (" + ErrorRate(s.claimed_qsos, s.checked_qsos) + ")\n";
  for (const ClockRun& run : check.clock) {
    t += "Clock: lines " + std::to_string(run.first_line) + " to " + std::to_string(run.last_line) + " are " +
         std::to_string(run.offset_minutes < 0 ? -run.offset_minutes : run.offset_minutes) + " min " +
         (run.offset_minutes < 0 ? "behind" : "ahead of") + " the partners' logs (" + std::to_string(run.support) +
         " QSOs agree); matched after correction\n";
  }
  t += "\nLines that lost credit:\n";
  long total = 0;
  for (const Deduction& d : s.deductions) {
    const Qso& q = log.qsos[d.qso];
    const Finding& f = check.findings[d.qso];
    t += "  line " + PadLeft(std::to_string(q.line), 5) + "  " + Hhmm(q) + "  " + Pad(q.band_text, 5) + " " +
         Pad(q.call, 12) + " " + Pad(std::string(VerdictName(f.verdict)), 23) + " -" + std::to_string(d.cost) + "\n";
    t += "              partner: " + PartnerText(logs, f) + "\n";
    if (!f.detail.empty()) t += "              " + replay::Printable(f.detail) + "\n";
    total += d.cost;
  }
  if (s.deductions.empty()) t += "  none\n";
  t += "Deductions: " + std::to_string(total) + " = raw " + std::to_string(s.raw.value) + " - checked " +
       std::to_string(s.checked.value) + "\n";
  t += "\nLines that stand with a remark:\n";
  bool any = false;
  std::vector<size_t> order(log.qsos.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return log.qsos[a].line < log.qsos[b].line; });
  for (const size_t i : order) {
    const Finding& f = check.findings[i];
    if (!f.counted || f.verdict == Verdict::kOk) continue;
    const Qso& q = log.qsos[i];
    any = true;
    t += "  line " + PadLeft(std::to_string(q.line), 5) + "  " + Hhmm(q) + "  " + Pad(q.band_text, 5) + " " +
         Pad(q.call, 12) + " " + std::string(VerdictName(f.verdict)) + "\n";
    t += "              partner: " + PartnerText(logs, f) + "\n";
    if (!f.detail.empty()) t += "              " + replay::Printable(f.detail) + "\n";
  }
  if (!any) t += "  none\n";
  return t;
}

Results ResultTables(const ContestDefinition& contest, const std::vector<StationLog>& logs,
                     const std::vector<Entrant>& entrants) {
  std::map<std::string, std::vector<const Entrant*>> categories;
  for (const Entrant& e : entrants) categories[Category(logs[e.log])].push_back(&e);
  Results r;
  r.csv = "category,place,call,qsos_claimed,qsos_checked,error_rate,claimed_score,raw_score,checked_score\n";
  r.text = contest.title + ": checked results\n";
  r.html = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + Html(contest.title) +
           ": checked results</title>\n<style>body{font-family:sans-serif}table{border-collapse:collapse;margin-bottom:1.5em}"
           "th,td{border:1px solid #999;padding:2px 8px}td.n{text-align:right}th{background:#eee}</style></head>\n<body>\n<h1>" +
           Html(contest.title) + ": checked results</h1>\n";
  for (auto& [category, list] : categories) {
    std::stable_sort(list.begin(), list.end(), [&](const Entrant* a, const Entrant* b) {
      if (a->score.checked.value != b->score.checked.value) return a->score.checked.value > b->score.checked.value;
      return logs[a->log].call < logs[b->log].call;
    });
    r.text += "\n" + category + "\n";
    r.text += "Place  Call          QSOs claimed  checked  errors   Claimed      Raw  Checked\n";
    r.html += "<h2>" + Html(category) + "</h2>\n<table>\n<tr><th>Place</th><th>Call</th><th>QSOs claimed</th><th>QSOs checked</th>"
              "<th>Error rate</th><th>Claimed score</th><th>Raw score</th><th>Checked score</th></tr>\n";
    int place = 0;
    long previous = 0;
    for (size_t k = 0; k < list.size(); ++k) {
      const Entrant& e = *list[k];
      const StationLog& log = logs[e.log];
      // Equal scores share a place.
      if (k == 0 || e.score.checked.value != previous) place = static_cast<int>(k) + 1;
      previous = e.score.checked.value;
      const std::string claimed = log.claimed_score.empty() ? "-" : replay::Printable(log.claimed_score);
      const std::string rate = ErrorRate(e.score.claimed_qsos, e.score.checked_qsos);
      r.text += PadLeft(std::to_string(place), 5) + "  " + Pad(log.call, 12) + " " +
                PadLeft(std::to_string(e.score.claimed_qsos), 13) + " " + PadLeft(std::to_string(e.score.checked_qsos), 8) +
                " " + PadLeft(rate, 7) + " " + PadLeft(claimed, 9) + " " + PadLeft(std::to_string(e.score.raw.value), 8) +
                " " + PadLeft(std::to_string(e.score.checked.value), 8) + "\n";
      r.csv += Csv(category) + "," + std::to_string(place) + "," + Csv(log.call) + "," +
               std::to_string(e.score.claimed_qsos) + "," + std::to_string(e.score.checked_qsos) + "," + rate + "," +
               Csv(log.claimed_score) + "," + std::to_string(e.score.raw.value) + "," +
               std::to_string(e.score.checked.value) + "\n";
      r.html += "<tr><td class=n>" + std::to_string(place) + "</td><td>" + Html(log.call) + "</td><td class=n>" +
                std::to_string(e.score.claimed_qsos) + "</td><td class=n>" + std::to_string(e.score.checked_qsos) +
                "</td><td class=n>" + rate + "</td><td class=n>" + Html(claimed) + "</td><td class=n>" +
                std::to_string(e.score.raw.value) + "</td><td class=n>" + std::to_string(e.score.checked.value) +
                "</td></tr>\n";
    }
    r.html += "</table>\n";
  }
  r.html += "</body></html>\n";
  return r;
}

}  // namespace crosscheck
