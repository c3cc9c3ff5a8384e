// QSO and contest dates as the host hands them over: an OLE automation date,
// that is a day count since 1899-12-30 whose fraction is the time of day,
// with a status telling whether it holds a date at all.
#pragma once

#include <string>
#include <string_view>

namespace stats {

struct OleDate {
  enum class Status { kValid = 0, kInvalid = 1, kNull = 2 };
  double days = 0.0;
  Status status = Status::kValid;

  static OleDate Null() { return {0.0, Status::kNull}; }
  static OleDate Invalid() { return {0.0, Status::kInvalid}; }
  // The day count of a calendar date and time (no range check).
  static OleDate FromCivil(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0);

  bool operator==(const OleDate&) const = default;
};

// The calendar fields of a date, after rounding to the nearest second.
struct CivilTime {
  int year, month, day, hour, minute, second;
};

// Whether a date is valid and within the years 100 to 9999; fills *out.
bool ToCivil(const OleDate& date, CivilTime* out);

// Formats a date with the strftime directives %d %m %Y %y %H %M %S %%.
// A null date gives "", an invalid one (also NaN, infinite or out of range)
// gives "Invalid DateTime".
std::string FormatDate(const OleDate& date, std::string_view format);

// Two dates are the same QSO time when both are valid with the same day
// count, or both are null; an invalid date equals nothing.
bool SameTime(const OleDate& a, const OleDate& b);

}  // namespace stats
