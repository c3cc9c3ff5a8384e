#include "rules/intake.h"
#include "tests/rules/rules_fixture.h"

namespace stats {
namespace {

using Check = testing::CheckData;
using Qso = testing::QsoData;
using CallCheck = testing::RulesTest;

TEST_F(CallCheck, EmptyStore) {
  EXPECT_EQ(Status(Check()), kCallNewPrefix);
  Check no_country;
  no_country.country = "";
  EXPECT_EQ(Status(no_country), kCallKnownPrefix);
}

TEST_F(CallCheck, TheTwoBandArguments) {
  Check c;
  c.band = "20m";
  c.band2 = "20M";
  EXPECT_EQ(Status(c), kCallNewPrefix);  // equal without regard to case
  c.band2 = "40m";
  EXPECT_EQ(Status(c), kCallBandsDiffer);
  c.band = nullptr;  // a null band passes over the test, and counts as empty
  EXPECT_EQ(Status(c), kCallNewPrefix);
  c.band = "20m";
  c.band2 = nullptr;
  EXPECT_EQ(Status(c), kCallNewPrefix);
}

TEST_F(CallCheck, DuplicatePrefixAndNewMultiplier) {
  Add(Qso());  // DL1AB, DL1, 20m
  Check c;
  EXPECT_EQ(Status(c), kCallDupe);
  c.country = "";
  EXPECT_EQ(Status(c), kCallKnownPrefix);  // the country test comes first
  c = Check();
  c.band = "40m";
  EXPECT_EQ(Status(c), kCallNewPrefix);  // worked on another band only
  c = Check();
  c.call = "DL1ZZ";
  EXPECT_EQ(Status(c), kCallKnownPrefix);
  c.call = "dl1ab";
  c.prefix = "dl1";
  EXPECT_EQ(Status(c), kCallNewPrefix);  // exact compares
  c = Check();
  c.call = "DL1AB/P";
  c.prefix = "DL1";
  EXPECT_EQ(Status(c), kCallKnownPrefix);
}

TEST_F(CallCheck, EveryStoredQsoCountsAlsoUncountedOnes) {
  Qso bad;
  bad.call = "ON4BB";
  bad.prefix = "ON4";
  bad.country = "ON";
  bad.exchange_received = "12";  // stored with a bad section
  Add(bad);
  Check c;
  c.call = "ON4CC";
  c.prefix = "ON4";
  c.country = "ON";
  EXPECT_EQ(Status(c), kCallKnownPrefix);
  c.call = "ON4BB";
  EXPECT_EQ(Status(c), kCallDupe);
  // A rejected QSO is not in the store.
  Qso rejected;
  rejected.call = "F5XX";
  rejected.prefix = "F5";
  rejected.mode = "RTTY";
  Add(rejected);
  c = Check();
  c.call = "F5XX";
  c.prefix = "F5";
  EXPECT_EQ(Status(c), kCallNewPrefix);
  // A removal forgets the prefix once its last QSO is gone.
  Add(Qso());
  Add(Qso());
  Remove(Qso());
  c = Check();
  EXPECT_EQ(Status(c), kCallDupe);  // the second DL1AB is still stored
  Remove(Qso());
  EXPECT_EQ(Status(c), kCallNewPrefix);
}

}  // namespace
}  // namespace stats
