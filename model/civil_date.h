// Calendar dates as day counts, and back: the proleptic Gregorian calendar,
// and the day count of an OLE automation date (days since 1899-12-30, the
// fraction being the time of day).  Header only and constexpr, so that the
// tools that build the host's dates use the same count without linking the
// model.
#pragma once

namespace stats::civil {

// Days from 1970-01-01 to a date (month 1 to 12, day 1 to 31).
constexpr long long DaysFromCivil(long long year, int month, int day) {
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Date {
  int year, month, day;
};

// The date of a day count from 1970-01-01.
constexpr Date CivilFromDays(long long z) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0)), m, d};
}

// 1899-12-30, day 0 of the OLE count, counted from 1970-01-01.
inline constexpr long long kOleEpoch = -25569;

// The OLE day count of a date and time of day.  Before the epoch the count
// is negative while the fraction still counts forward from midnight: the
// day count of 1899-12-29 06:00 is -1.25, and -0.5 is 1899-12-30 12:00.
constexpr double OleDays(long long year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0) {
  const long long days = DaysFromCivil(year, month, day) - kOleEpoch;
  const double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  return days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
}

}  // namespace stats::civil
