#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "model/oledate.h"
#include "model/civil_date.h"
#include "plugin/host_args.h"

#include <gtest/gtest.h>

namespace stats {
namespace {

TEST(Dates, FormatsTheDirectivesOfTheContest) {
  const OleDate d = OleDate::FromCivil(2017, 1, 6, 13, 12);
  EXPECT_EQ(FormatDate(d, "%d.%m"), "06.01");
  EXPECT_EQ(FormatDate(d, "%Y"), "2017");
  EXPECT_EQ(FormatDate(d, "%d.%m.%Y"), "06.01.2017");
  EXPECT_EQ(FormatDate(d, "%d_%m_%Y"), "06_01_2017");
  EXPECT_EQ(FormatDate(d, "%Y-%m-%d %H%M"), "2017-01-06 1312");
  EXPECT_EQ(FormatDate(d, "%H:%M"), "13:12");
  EXPECT_EQ(FormatDate(d, "100%%"), "100%");
}

TEST(Dates, RoundsToTheSecondBeforeSplitting) {
  // 13:12 is 0.55 days, which is not exact in binary.
  EXPECT_EQ(FormatDate({42741.55, OleDate::Status::kValid}, "%H%M"), "1312");
  EXPECT_EQ(FormatDate({0.55, OleDate::Status::kValid}, "%Y-%m-%d %H%M"), "1899-12-30 1312");
  // Just before midnight rounds into the next day.
  EXPECT_EQ(FormatDate({42741.0 - 1e-9, OleDate::Status::kValid}, "%d.%m.%Y %H%M"),
            "06.01.2017 0000");
}

TEST(Dates, DaysBeforeTheEpochCountTheirTimeForward) {
  EXPECT_EQ(FormatDate({-1.25, OleDate::Status::kValid}, "%Y-%m-%d %H:%M"), "1899-12-29 06:00");
  EXPECT_EQ(FormatDate({-0.5, OleDate::Status::kValid}, "%Y-%m-%d %H:%M"), "1899-12-30 12:00");
  EXPECT_EQ(FormatDate(OleDate::FromCivil(1899, 12, 29, 6, 0), "%Y-%m-%d %H:%M"),
            "1899-12-29 06:00");
}

TEST(Dates, NullAndInvalidDates) {
  EXPECT_EQ(FormatDate(OleDate::Null(), "%d.%m"), "");
  EXPECT_EQ(FormatDate(OleDate::Invalid(), "%d.%m"), "Invalid DateTime");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double v : {nan, inf, -inf, -657435.0, 2958466.0, 1e300}) {
    EXPECT_EQ(FormatDate({v, OleDate::Status::kValid}, "%Y"), "Invalid DateTime") << v;
  }
  EXPECT_EQ(FormatDate(OleDate::FromCivil(100, 1, 1), "%Y-%m-%d"), "100-01-01");
  EXPECT_EQ(FormatDate(OleDate::FromCivil(9999, 12, 31, 23, 59), "%Y-%m-%d %H%M"),
            "9999-12-31 2359");
  // The host's unknown status values count as invalid, a null pointer as null.
  const OleDateTime odd{42741.5, 7};
  EXPECT_EQ(host_args::ParseDate(&odd).status, OleDate::Status::kInvalid);
  EXPECT_EQ(host_args::ParseDate(nullptr).status, OleDate::Status::kNull);
}

TEST(Dates, SameTimeNeedsTwoValidEqualDatesOrTwoNulls) {
  const OleDate a = OleDate::FromCivil(2017, 1, 6, 13, 12);
  EXPECT_TRUE(SameTime(a, a));
  EXPECT_FALSE(SameTime(a, OleDate::FromCivil(2017, 1, 6, 13, 13)));
  EXPECT_TRUE(SameTime(OleDate::Null(), OleDate::Null()));
  EXPECT_FALSE(SameTime(OleDate::Invalid(), OleDate::Invalid()));
  EXPECT_FALSE(SameTime(a, OleDate::Null()));
}

// Around 1899-12-30, day 0 of the OLE count: before it the count is
// negative while the time still runs forward from midnight, so every day
// and time before the epoch comes back as it went in, and the day count
// of the header that the tools use is the model's.
TEST(Dates, DaysBeforeAndAroundTheEpochKeepTheirTimeOfDay) {
  EXPECT_EQ(OleDate::FromCivil(1899, 12, 30, 6, 0).days, 0.25);
  EXPECT_EQ(OleDate::FromCivil(1899, 12, 29, 6, 0).days, -1.25);
  EXPECT_EQ(OleDate::FromCivil(1899, 12, 28, 18, 0).days, -2.75);
  EXPECT_EQ(OleDate::FromCivil(1899, 12, 29).days, -1.0);
  EXPECT_EQ(OleDate::FromCivil(1900, 1, 1, 12, 0).days, 2.5);
  EXPECT_EQ(OleDate::FromCivil(1800, 3, 1, 18, 0).days, -36463.75);
  for (int day = -40; day <= 40; ++day) {
    const civil::Date date = civil::CivilFromDays(civil::kOleEpoch + day);
    for (int hour : {0, 6, 12, 23}) {
      SCOPED_TRACE(std::to_string(date.year) + "-" + std::to_string(date.month) + "-" +
                   std::to_string(date.day) + " " + std::to_string(hour));
      const OleDate d = OleDate::FromCivil(date.year, date.month, date.day, hour, 30);
      EXPECT_EQ(d.days, civil::OleDays(date.year, date.month, date.day, hour, 30));
      CivilTime t;
      ASSERT_TRUE(ToCivil(d, &t));
      EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute}),
                (std::vector<int>{date.year, date.month, date.day, hour, 30}));
      EXPECT_EQ(std::trunc(d.days), static_cast<double>(day));
    }
  }
}

}  // namespace
}  // namespace stats
