#include <cmath>
#include <limits>

#include "model/oledate.h"
#include "tests/support/test_support.h"

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

}  // namespace
}  // namespace stats
