#include "model/oledate.h"

#include <cmath>


namespace stats {
namespace {

// Day count of 0100-01-01 and of the day after 9999-12-31.
constexpr double kFirstDay = -657434.0;
constexpr double kPastLastDay = 2958466.0;

// Days from 1970-01-01 to a proleptic Gregorian date, and back.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int* year, int* month, int* day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

// 1899-12-30 counted from 1970-01-01.
constexpr long long kOleEpoch = -25569;

void AppendNumber(std::string& out, int value, int width) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  if (value < 0) out += '-';
  for (int i = static_cast<int>(digits.size()); i < width; ++i) out += '0';
  out += digits;
}

}  // namespace

OleDate OleDate::FromCivil(int year, int month, int day, int hour, int minute, int second) {
  const long long days = DaysFromCivil(year, static_cast<unsigned>(month),
                                       static_cast<unsigned>(day)) - kOleEpoch;
  const double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // Before the epoch the fraction still counts forward from midnight, so the
  // day count of 1899-12-29 06:00 is -1.25.
  const double value = days < 0 ? static_cast<double>(days) - fraction
                                 : static_cast<double>(days) + fraction;
  return {value, Status::kValid};
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
  CivilFromDays(day + kOleEpoch, &out->year, &out->month, &out->day);
  if (out->year > 9999) return false;
  out->hour = static_cast<int>(seconds / 3600);
  out->minute = static_cast<int>(seconds / 60 % 60);
  out->second = static_cast<int>(seconds % 60);
  return true;
}

std::string FormatDate(const OleDate& date, std::string_view format) {
  if (date.status == OleDate::Status::kNull) return "";
  CivilTime t;
  if (!ToCivil(date, &t)) return "Invalid DateTime";
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
