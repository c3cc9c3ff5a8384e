#include "official.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "host_rules.h"
#include "input.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& line, char by) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, by)) fields.push_back(field);
  if (!line.empty() && line.back() == by) fields.emplace_back();
  return fields;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (const std::optional<std::string_view> line = replay::NextLine(text, &pos)) lines.emplace_back(*line);
  return lines;
}

// The sponsor's reasons in this program's words.
std::string VerdictOf(std::string reason) {
  reason = std::string(replay::Trim(reason));
  static const std::map<std::string, std::string> kWords = {
      {"Receive error", "busted-exchange"}, {"Partner error", "partner-busted-exchange"},
      {"NotInLog", "not-in-log"},           {"BadCallsign", "busted-call"},
      {"Partner bad callsign", "partner-busted-call"}, {"Duplicate", "dupe"},
      {"Time not in tournament range", "out-of-period"}, {"NoLog", "no-log"}};
  const auto it = kWords.find(reason);
  return it == kWords.end() ? "?" + reason : it->second;
}

std::string Figure(long part, long whole) {
  if (whole == 0) return "-";
  const long thousandths = (part * 1000 + whole / 2) / whole;
  std::string t = std::to_string(thousandths % 1000);
  return std::to_string(thousandths / 1000) + "." + std::string(3 - t.size(), '0') + t;
}

}  // namespace

bool CompareWithSponsor(const std::string& official_tsv, const std::string& verdicts_tsv,
                        const std::string& logs_folder, std::string* report, std::string* error) {
  // Each log's call and the line of each QSO number.
  std::map<std::string, std::vector<int>> lines_of;  // call -> line of QSO n at [n - 1]
  std::map<std::string, std::string> name_of;        // call -> file name
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(logs_folder, ec), end; !ec && it != end; it.increment(ec)) files.push_back(it->path());
  if (ec) {
    *error = "cannot read " + logs_folder + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    std::string text;
    if (!replay::ReadRegularFile(file, &text, error)) return false;
    std::string call;
    std::vector<int> qsos;
    int number = 0;
    for (const std::string& line : Lines(text)) {
      ++number;
      const std::string upper = replay::Upper(line);
      if (upper.rfind("CALLSIGN:", 0) == 0) call = std::string(replay::Trim(upper.substr(9)));
      if (upper.rfind("QSO:", 0) == 0) qsos.push_back(number);
    }
    lines_of[call] = qsos;
    name_of[call] = file.filename().string();
  }
  // The verdicts by log and line.
  struct Ours {
    std::string verdict, detail, partner_log;
    bool counted = true;
  };
  std::map<std::pair<std::string, int>, Ours> ours;
  const std::vector<std::string> verdict_lines = Lines(verdicts_tsv);
  for (size_t i = 1; i < verdict_lines.size(); ++i) {
    const std::vector<std::string> f = Split(verdict_lines[i], '\t');
    if (f.size() != 10) {
      *error = "verdicts.tsv:" + std::to_string(i + 1) + ": not a line of 10 columns";
      return false;
    }
    ours[{f[0], std::atoi(f[1].c_str())}] = {f[5], f[9], f[7], f[6] == "1"};
  }
  // Lines recovered after a clock offset: left aside.
  std::set<std::pair<std::string, int>> aside;
  for (const auto& [key, o] : ours) {
    if (o.verdict == "time-offset") aside.insert(key);
  }
  std::map<std::pair<std::string, int>, std::string> sponsor;  // reasons
  const std::vector<std::string> official_lines = Lines(official_tsv);
  for (size_t i = 1; i < official_lines.size(); ++i) {
    const std::vector<std::string> f = Split(official_lines[i], '\t');
    const auto log = f.size() >= 7 ? lines_of.find(f[0]) : lines_of.end();
    const int n = f.size() >= 7 ? std::atoi(f[1].c_str()) : 0;
    if (log == lines_of.end() || n < 1 || n > static_cast<int>(log->second.size())) {
      *error = "official_verdicts.tsv:" + std::to_string(i + 1) + ": no such log or QSO";
      return false;
    }
    sponsor[{name_of[f[0]], log->second[n - 1]}] = f[6];
  }
  long both = 0, same = 0, sponsor_only = 0, ours_only = 0, sponsor_flagged = 0, ours_flagged = 0, set_aside = 0;
  std::string differences;
  for (const auto& [key, o] : ours) {
    const auto s = sponsor.find(key);
    const bool flagged_by_sponsor = s != sponsor.end();
    if (aside.count(key) != 0) {
      set_aside += flagged_by_sponsor;
      continue;
    }
    const bool flagged_by_us = !o.counted;
    sponsor_flagged += flagged_by_sponsor;
    ours_flagged += flagged_by_us;
    std::string kind;
    if (flagged_by_sponsor && flagged_by_us) {
      ++both;
      bool agree = false;
      for (const std::string& reason : Split(s->second, ';')) agree = agree || VerdictOf(reason) == o.verdict;
      if (agree) {
        ++same;
        continue;
      }
      kind = "reason ";
    } else if (flagged_by_sponsor) {
      ++sponsor_only;
      kind = "sponsor";
    } else if (flagged_by_us) {
      ++ours_only;
      kind = "ours   ";
    } else {
      continue;
    }
    differences += kind + "  " + key.first + ":" + std::to_string(key.second) + "  sponsor: " +
                   (flagged_by_sponsor ? s->second : std::string("-")) + "  ours: " + o.verdict +
                   (o.detail.empty() ? "" : " (" + o.detail + ")") + "\n";
  }
  std::string& r = *report;
  r = "QSOs the sponsor flagged, those matched here after a clock offset left aside (" + std::to_string(set_aside) +
      "): " + std::to_string(sponsor_flagged) + "\n";
  r += "QSOs this program removed, likewise: " + std::to_string(ours_flagged) + "\n";
  r += "flagged by both: " + std::to_string(both) + "; recall " + Figure(both, sponsor_flagged) + ", precision " +
       Figure(both, ours_flagged) + "\n";
  r += "the sponsor's reason is the verdict: " + std::to_string(same) + " of " + std::to_string(both) + " (" +
       Figure(same, both) + ")\n";
  r += "\nDifferences (reason: both flag, for another reason; sponsor: only the sponsor flags; ours: only this program):\n";
  r += differences;
  return true;
}

}  // namespace sim
