#include "model/oledate.h"

#include <cmath>

#include "model/civil_date.h"

namespace stats {
namespace {

// Day count of 0100-01-01 and of the day after 9999-12-31.
constexpr double kFirstDay = -657434.0;
constexpr double kPastLastDay = 2958466.0;

void AppendNumber(std::string& out, int value, int width) {
  const int count = date_digits::Count(value, width);
  const size_t at = out.size();
  out.resize(at + static_cast<size_t>(count));
  date_digits::Write(out.data() + at, value, count);
}

}  // namespace

OleDate OleDate::FromCivil(int year, int month, int day, int hour, int minute, int second) {
  return {civil::OleDays(year, month, day, hour, minute, second), Status::kValid};
}

bool ToCivil(const OleDate& date, CivilTime* out) {
  if (date.status != OleDate::Status::kValid) return false;
  const double v = date.days;
  if (!std::isfinite(v) || v < kFirstDay || v >= kPastLastDay) return false;
  // The integer part is the day; the fraction, taken as a positive amount,
  // is the time of that day.  Rounding to the second comes first, so 0.55
  // days is 13:12:00 and not 13:11:59.
  double whole = std::trunc(v);
  long long seconds = std::llround(std::fabs(v - whole) * 86400.0);
  long long day = static_cast<long long>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    day += 1;
  }
  const civil::Date date_of_day = civil::CivilFromDays(day + civil::kOleEpoch);
  out->year = date_of_day.year;
  out->month = date_of_day.month;
  out->day = date_of_day.day;
  if (out->year > 9999) return false;
  out->hour = static_cast<int>(seconds / 3600);
  out->minute = static_cast<int>(seconds / 60 % 60);
  out->second = static_cast<int>(seconds % 60);
  return true;
}

std::string FormatDate(const OleDate& date, std::string_view format) {
  if (date.status == OleDate::Status::kNull) return "";
  CivilTime t;
  if (!ToCivil(date, &t)) return std::string(kInvalidDateText);
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%' || i + 1 == format.size()) {
      out += c;
      continue;
    }
    switch (format[++i]) {
      case 'd': AppendNumber(out, t.day, 2); break;
      case 'm': AppendNumber(out, t.month, 2); break;
      case 'Y': AppendNumber(out, t.year, 1); break;
      case 'y': AppendNumber(out, t.year % 100, 2); break;
      case 'H': AppendNumber(out, t.hour, 2); break;
      case 'M': AppendNumber(out, t.minute, 2); break;
      case 'S': AppendNumber(out, t.second, 2); break;
      case '%': out += '%'; break;
      default:
        out += '%';
        out += format[i];
        break;
    }
  }
  return out;
}

bool SameTime(const OleDate& a, const OleDate& b) {
  using S = OleDate::Status;
  if (a.status == S::kNull && b.status == S::kNull) return true;
  return a.status == S::kValid && b.status == S::kValid && a.days == b.days;
}

}  // namespace stats
