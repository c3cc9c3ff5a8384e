#include "model/settings.h"
#include "platform/profile_format.h"
#include "tests/support/scratch.h"

namespace stats {
namespace {

TEST(ProfileFormat, LooksUpWithoutRegardToCase) {
  const std::string ini = "[Other]\r\nStart=9\r\n[settings]\r\n  START = 1 \r\nName=\"Jo\"\r\n";
  EXPECT_EQ(profile::Lookup(ini, "Settings", "Start"), "1");
  EXPECT_EQ(profile::Lookup(ini, "Settings", "Name"), "Jo");
  EXPECT_EQ(profile::Lookup(ini, "Settings", "Missing"), std::nullopt);
  EXPECT_EQ(profile::Lookup(ini, "None", "Start"), std::nullopt);
  EXPECT_EQ(profile::Lookup("[Settings]\nKey=\n", "Settings", "Key"), "");
}

TEST(ProfileFormat, WritesInPlaceAndKeepsEveryOtherLine) {
  const std::string ini = "; note\r\n[Settings]\r\nA=1\r\nstart=0\r\nB=2\r\n\r\n[Other]\r\nX=1\r\n";
  EXPECT_EQ(profile::Assign(ini, "Settings", "Start", "1"),
            "; note\r\n[Settings]\r\nA=1\r\nStart=1\r\nB=2\r\n\r\n[Other]\r\nX=1\r\n");
  EXPECT_EQ(profile::Assign(ini, "Settings", "C", "3"),
            "; note\r\n[Settings]\r\nA=1\r\nstart=0\r\nB=2\r\nC=3\r\n\r\n[Other]\r\nX=1\r\n");
  EXPECT_EQ(profile::Assign("", "Settings", "Start", "1"), "[Settings]\r\nStart=1\r\n");
  EXPECT_EQ(profile::Assign("[Other]\r\nX=1\r\n", "Settings", "K", "v"),
            "[Other]\r\nX=1\r\n[Settings]\r\nK=v\r\n");
}

TEST(Atoi, ConvertsAsTheCLibraryDoes) {
  EXPECT_EQ(settings::ToInt(""), 0);
  EXPECT_EQ(settings::ToInt("abc"), 0);
  EXPECT_EQ(settings::ToInt(" 12x"), 12);
  EXPECT_EQ(settings::ToInt("-7"), -7);
  EXPECT_EQ(settings::ToInt("+3"), 3);
  EXPECT_EQ(settings::ToInt("99999999999999999999"), 2147483647);
  EXPECT_EQ(settings::ToInt("-99999999999999999999"), -2147483647 - 1);
}

using SettingsFile = testing::ScratchTest;

TEST_F(SettingsFile, RoundTripsThroughTheFileInTheCurrentFolder) {
  EXPECT_EQ(settings::Read("Start", "none"), "none");
  ASSERT_TRUE(settings::Write("Start", "1"));
  ASSERT_TRUE(settings::Write("Name", "Jo"));
  ASSERT_TRUE(settings::Write("Start", "0"));
  EXPECT_EQ(Settings(), "[Settings]\r\nStart=0\r\nName=Jo\r\n");
  EXPECT_EQ(settings::ReadInt("start"), 0);
  // Values of any length come back whole.
  const std::string soapbox(500, 'x');
  ASSERT_TRUE(settings::Write("SoapBox", soapbox));
  EXPECT_EQ(settings::Read("SoapBox"), soapbox);
}

TEST_F(SettingsFile, AFailedWriteKeepsTheStoredValue) {
  ASSERT_TRUE(settings::Write("Start", "1"));
  platform_.fail_write_at = platform_.writes + 1;
  EXPECT_FALSE(settings::Write("Start", "0"));
  EXPECT_EQ(settings::Read("Start"), "1");
}

TEST_F(SettingsFile, ALineEndInAValueNeverStartsANewKey) {
  ASSERT_TRUE(settings::Write("Operators", "ON4ZZZ\r\nON_Section=XYZ\n[Other]\rX=1"));
  EXPECT_EQ(settings::Read("ON_Section", "none"), "none");
  EXPECT_EQ(settings::Read("Operators"), "ON4ZZZON_Section=XYZ[Other]X=1");
  EXPECT_EQ(Settings(), "[Settings]\r\nOperators=ON4ZZZON_Section=XYZ[Other]X=1\r\n");
}

// A settings file that is there but cannot be read is not a missing one:
// the fallback comes back, and so does the reason, to the sink and the
// caller; a missing file or key is no failure.
TEST_F(SettingsFile, AnUnreadableFileGivesTheFallbackAndItsReason) {
  static std::vector<std::string> told;
  told.clear();
  const auto old = settings::SetReadFailureSink(
      [](const std::string& file, const std::string& reason) { told.push_back(file + ": " + reason); });
  std::string error;
  EXPECT_EQ(settings::Read("Name", "none", &error), "none");
  EXPECT_EQ(error, "");
  WriteSettings("[Settings]\r\nName=Jo\r\n");
  platform_.unreadable = {settings::kFile};
  EXPECT_EQ(settings::Read("Name", "none", &error), "none");
  EXPECT_EQ(error, "injected read failure");
  EXPECT_FALSE(settings::Write("Name", "Al"));
  EXPECT_EQ(Settings(), "[Settings]\r\nName=Jo\r\n");
  platform_.unreadable.clear();
  error.clear();
  EXPECT_EQ(settings::Read("Name", "none", &error), "Jo");
  EXPECT_EQ(error, "");
  settings::SetReadFailureSink(old);
  EXPECT_EQ(told, std::vector<std::string>{"Plugins\\ZEVUVI.ini: injected read failure"});
}

}  // namespace
}  // namespace stats
