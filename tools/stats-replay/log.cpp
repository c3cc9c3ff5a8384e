#include "log.h"

#include <algorithm>

#include "host_rules.h"
#include "model/civil_date.h"

namespace replay {
namespace {

bool Digits(std::string_view text, size_t pos, size_t count, int* value) {
  if (pos + count > text.size()) return false;
  int v = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  *value = v;
  return true;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         Upper(text.substr(text.size() - suffix.size())) == Upper(suffix);
}

}  // namespace

double QsoTime::OleDays() const {
  return stats::civil::OleDays(year, month, day, hour, minute, second);
}

std::optional<QsoTime> ParseDate(std::string_view text) {
  QsoTime t;
  bool ok;
  if (text.size() == 8) {
    ok = Digits(text, 0, 4, &t.year) && Digits(text, 4, 2, &t.month) && Digits(text, 6, 2, &t.day);
  } else if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    ok = Digits(text, 0, 4, &t.year) && Digits(text, 5, 2, &t.month) && Digits(text, 8, 2, &t.day);
  } else {
    ok = false;
  }
  if (!ok || t.year < 1900 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month)) {
    return std::nullopt;
  }
  return t;
}

bool ParseTimeOfDay(std::string_view text, QsoTime* time) {
  int h, m, s = 0;
  if (text.size() != 4 && text.size() != 6) return false;
  if (!Digits(text, 0, 2, &h) || !Digits(text, 2, 2, &m)) return false;
  if (text.size() == 6 && !Digits(text, 4, 2, &s)) return false;
  if (h > 23 || m > 59 || s > 59) return false;
  time->hour = h;
  time->minute = m;
  time->second = s;
  return true;
}

LogFormat DetectFormat(std::string_view file_name, ByteSource& source) {
  // The first line that is not blank starts at the first byte that is no
  // blank or line end; its first 13 bytes up to a line end decide.
  static constexpr std::string_view kStart = "START-OF-LOG:";
  ReadWindow window(source);
  std::string head;  // of the first line that is not blank
  bool first = true;
  bool decided = false;
  while (!decided && window.More()) {
    std::string_view bytes = window.View();
    // A UTF-8 byte-order mark is not part of the first line.
    if (first) {
      window.Fill(3);
      bytes = window.View();
      if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
      first = false;
    }
    for (const char c : bytes) {
      const bool line_end = c == '\r' || c == '\n';
      if (head.empty() && (line_end || c == ' ' || c == '\t')) continue;
      if (line_end || head.size() == kStart.size()) {
        decided = true;
        break;
      }
      head.push_back(c);
    }
    window.Skip(window.View().size());
  }
  if (Upper(head) == kStart) return LogFormat::kCabrillo;
  if (EndsWithNoCase(file_name, ".cbr") || EndsWithNoCase(file_name, ".log")) {
    return LogFormat::kCabrillo;
  }
  return LogFormat::kAdif;
}

LogFormat DetectFormat(std::string_view file_name, std::string_view contents) {
  TextSource source(contents);
  return DetectFormat(file_name, source);
}

}  // namespace replay
