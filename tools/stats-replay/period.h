// The contest period given with --start and --end: which QSOs belong to the
// contest.
#pragma once

#include <optional>
#include <string>

#include "log.h"

namespace replay {

class ContestPeriod {
 public:
  ContestPeriod() = default;
  // start: the first moment of the contest.  end: its end, the moment the
  // contest is over when end_has_time, else the whole day of end belongs to
  // it.  Either may be missing.
  ContestPeriod(std::optional<QsoTime> start, std::optional<QsoTime> end, bool end_has_time)
      : start_(start), end_(end), end_has_time_(end_has_time) {}

  bool limited() const { return start_.has_value() || end_.has_value(); }

  // "" when the time lies in the period, else why not ("before the contest
  // start 2026-01-03 13:00", "after the contest end 2026-01-04 13:00").
  std::string Outside(const QsoTime& time) const;

  // The period as text: "2026-01-03 13:00 to 2026-01-04 13:00", a missing
  // side left open ("from ...", "until ...").
  std::string Text() const;

 private:
  std::optional<QsoTime> start_, end_;
  bool end_has_time_ = false;
};

// YYYY-MM-DD HH:MM.
std::string TimeText(const QsoTime& time);
// YYYY-MM-DD.
std::string DateText(const QsoTime& time);

}  // namespace replay
