#include "rules/intake.h"
#include "tests/support/test_support.h"

namespace stats {
namespace {

using testing::Check;
using testing::PluginTest;
using testing::Qso;
using testing::Reset;

class CallCheck : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Reset().Call();
  }
};

TEST_F(CallCheck, EmptyStore) {
  EXPECT_EQ(Check().Call(), kCallNewPrefix);
  Check no_country;
  no_country.country = "";
  EXPECT_EQ(no_country.Call(), kCallKnownPrefix);
}

TEST_F(CallCheck, TheTwoBandArguments) {
  Check c;
  c.band = "20m";
  c.band2 = "20M";
  EXPECT_EQ(c.Call(), kCallNewPrefix);  // equal without regard to case
  c.band2 = "40m";
  EXPECT_EQ(c.Call(), kCallBandsDiffer);
  c.band = nullptr;  // a null band passes over the test, and counts as empty
  EXPECT_EQ(c.Call(), kCallNewPrefix);
  c.band = "20m";
  c.band2 = nullptr;
  EXPECT_EQ(c.Call(), kCallNewPrefix);
}

TEST_F(CallCheck, DuplicatePrefixAndNewMultiplier) {
  Qso().Add();  // DL1AB, DL1, 20m
  Check c;
  EXPECT_EQ(c.Call(), kCallDupe);
  c.country = "";
  EXPECT_EQ(c.Call(), kCallKnownPrefix);  // the country test comes first
  c = Check();
  c.band = "40m";
  EXPECT_EQ(c.Call(), kCallNewPrefix);  // worked on another band only
  c = Check();
  c.call = "DL1ZZ";
  EXPECT_EQ(c.Call(), kCallKnownPrefix);
  c.call = "dl1ab";
  c.prefix = "dl1";
  EXPECT_EQ(c.Call(), kCallNewPrefix);  // exact compares
  c = Check();
  c.call = "DL1AB/P";
  c.prefix = "DL1";
  EXPECT_EQ(c.Call(), kCallKnownPrefix);
}

TEST_F(CallCheck, EveryStoredQsoCountsAlsoUncountedOnes) {
  Qso bad;
  bad.call = "ON4BB";
  bad.prefix = "ON4";
  bad.country = "ON";
  bad.exchange_received = "12";  // stored with a bad section
  bad.Add();
  Check c;
  c.call = "ON4CC";
  c.prefix = "ON4";
  c.country = "ON";
  EXPECT_EQ(c.Call(), kCallKnownPrefix);
  c.call = "ON4BB";
  EXPECT_EQ(c.Call(), kCallDupe);
  // A rejected QSO is not in the store.
  Qso rejected;
  rejected.call = "F5XX";
  rejected.prefix = "F5";
  rejected.mode = "RTTY";
  rejected.Add();
  c = Check();
  c.call = "F5XX";
  c.prefix = "F5";
  EXPECT_EQ(c.Call(), kCallNewPrefix);
  // A removal forgets the prefix once its last QSO is gone.
  Qso().Add();
  Qso().Add();
  Qso().Remove();
  c = Check();
  EXPECT_EQ(c.Call(), kCallDupe);  // the second DL1AB is still stored
  Qso().Remove();
  EXPECT_EQ(c.Call(), kCallNewPrefix);
}

}  // namespace
}  // namespace stats
