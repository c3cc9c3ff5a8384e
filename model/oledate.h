// QSO and contest dates as the host hands them over: an OLE automation date,
// that is a day count since 1899-12-30 whose fraction is the time of day,
// with a status telling whether it holds a date at all.
#pragma once

#include <cstddef>
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

// What FormatDate writes of a date that is not valid.
inline constexpr std::string_view kInvalidDateText = "Invalid DateTime";

// The numbers of a date's text, written the one way FormatDate and
// QsoTimeText write them: decimal, zero-filled to a width.
namespace date_digits {

// The digits of value (0 or more), at least width of them.
constexpr int Count(int value, int width) {
  int count = 1;
  for (int rest = value; rest >= 10; rest /= 10) ++count;
  return count < width ? width : count;
}

// Writes value in count digits at `at`; returns the end.
inline char* Write(char* at, int value, int count) {
  for (int i = count - 1; i >= 0; --i, value /= 10) at[i] = static_cast<char>('0' + value % 10);
  return at + count;
}

}  // namespace date_digits

// A QSO's date and time as FormatDate(time, kQsoTimeFormat) gives it,
// sized first and then written in place, for texts that are built in one
// piece: "YYYY-MM-DD HHMM" (the year without leading zeros), "" for a null
// date, "Invalid DateTime" for one that is not valid.
inline constexpr std::string_view kQsoTimeFormat = "%Y-%m-%d %H%M";

class QsoTimeText {
 public:
  explicit QsoTimeText(const OleDate& time) {
    if (time.status == OleDate::Status::kNull) return;
    if (!ToCivil(time, &time_)) {
      text_ = kInvalidDateText;
      return;
    }
    year_digits_ = date_digits::Count(time_.year, 1);
    size_ = static_cast<size_t>(year_digits_) + 11;  // "-MM-DD HHMM"
  }
  size_t size() const { return size_ != 0 ? size_ : text_.size(); }
  // Writes size() characters at `at`; returns the end.
  char* WriteTo(char* at) const {
    if (size_ == 0) {
      for (const char c : text_) *at++ = c;
      return at;
    }
    at = date_digits::Write(at, time_.year, year_digits_);
    *at++ = '-';
    at = date_digits::Write(at, time_.month, 2);
    *at++ = '-';
    at = date_digits::Write(at, time_.day, 2);
    *at++ = ' ';
    at = date_digits::Write(at, time_.hour, 2);
    return date_digits::Write(at, time_.minute, 2);
  }

 private:
  std::string_view text_;
  CivilTime time_{};
  int year_digits_ = 0;
  size_t size_ = 0;
};

// Two dates are the same QSO time when both are valid with the same day
// count, or both are null; an invalid date equals nothing.
bool SameTime(const OleDate& a, const OleDate& b);

}  // namespace stats
