#include "plugin/notices.h"
#include "model/settings.h"
#include "tests/plugin/reports_test_support.h"

namespace stats {
namespace {

using testing::PluginTest;
using testing::Reset;

using SettingsFile = PluginTest;

// With the header form confirmed as loaded, as on a system without windows.
using SettingsThroughTheForm = testing::ReportsTest;

TEST_F(SettingsThroughTheForm, AnOwnCallWithLineEndsWritesNoExtraKey) {
  Reset run;
  run.cabrillo = 1;
  run.own_call = "ON4ZZZ\r\nON_Section=XYZ";
  run.Call();
  EXPECT_EQ(settings::Read("ON_Section", "none"), "none");
  EXPECT_EQ(Settings().find("\r\nON_Section"), std::string::npos);
  EXPECT_EQ(settings::Read("Operators"), "ON4ZZZON_Section=XYZ");
}

TEST_F(SettingsFile, AFailedWriteIsToldOncePerRunWithTheFileAndTheReason) {
  platform_.fail_write_at = platform_.writes + 1;
  platform_.sticky = true;
  EXPECT_FALSE(settings::Write("Start", "0"));
  EXPECT_FALSE(settings::Write("Name", "Jo"));
  EXPECT_EQ(notices::TakePending(),
            "File not written: Plugins\\ZEVUVI.ini (injected write failure)");
  EXPECT_FALSE(settings::Write("Name", "Jo"));
  EXPECT_EQ(notices::TakePending(), "");
  notices::NewRun();
  EXPECT_FALSE(settings::Write("Name", "Jo"));
  EXPECT_NE(notices::TakePending(), "");
}

TEST_F(SettingsThroughTheForm, AnUnreadableFileKeepsEveryKeyOfEarlierRuns) {
  namespace fs = std::filesystem;
  fs::create_directories(dir() / "Plugins");
  std::error_code made;
  fs::create_symlink("ZEVUVI.ini", dir() / "Plugins" / "ZEVUVI.ini", made);
  if (made) GTEST_SKIP() << "no symbolic link here: " << made.message();
  notices::NewRun();
  Reset run;
  run.cabrillo = 1;
  run.Call();
  EXPECT_TRUE(fs::is_symlink(dir() / "Plugins" / "ZEVUVI.ini"));
  // Said once, as a file that could not be read (the refused writes are
  // not told again), and no log is made from the defaults.
  ASSERT_EQ(platform_.messages.size(), 1u);
  const std::string& notice = platform_.messages[0].text;
  EXPECT_EQ(notice.rfind("File not read: Plugins\\ZEVUVI.ini (", 0), 0u) << notice;
  EXPECT_EQ(notice.find("File not written"), std::string::npos) << notice;
  EXPECT_TRUE(form_.shown.empty());
  testing::Result();
  EXPECT_EQ(platform_.messages.size(), 1u);
  EXPECT_FALSE(testing::Exists(dir() / "ON4XX.cbr"));
}

}  // namespace
}  // namespace stats
