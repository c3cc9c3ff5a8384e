#include "period.h"


namespace replay {
namespace {

std::string TwoDigits(int n) { return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10); }

}  // namespace

std::string DateText(const QsoTime& t) {
  return std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" + TwoDigits(t.day);
}

std::string TimeText(const QsoTime& t) {
  return DateText(t) + " " + TwoDigits(t.hour) + ":" + TwoDigits(t.minute);
}

std::string ContestPeriod::Outside(const QsoTime& time) const {
  if (start_ && time < *start_) return "before the contest start " + TimeText(*start_);
  if (end_) {
    const bool after = end_has_time_ ? !(time < *end_) : end_->Midnight() < time.Midnight();
    if (after) {
      return "after the contest end " + (end_has_time_ ? TimeText(*end_) : DateText(*end_));
    }
  }
  return "";
}

std::string ContestPeriod::Text() const {
  const std::string end = end_ ? (end_has_time_ ? TimeText(*end_) : DateText(*end_)) : "";
  if (start_ && end_) return TimeText(*start_) + " to " + end;
  if (start_) return "from " + TimeText(*start_);
  if (end_) return "until " + end;
  return "";
}

}  // namespace replay
