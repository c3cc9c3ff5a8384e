// The failure log: every failure that the plug-in handles leaves one line
// with what failed, on what, and the system's reason.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure_log.h"
#include "tests/support/failure_capture.h"
#include "tests/support/scratch.h"

namespace stats {
namespace {

using FailureLogTest = testing::FailureLogCapture<testing::ScratchTest>;

TEST_F(FailureLogTest, ALineNamesTheCallTheSubjectAndTheReason) {
  failure_log::Record("OpenThing", "C:\\some file.txt", "Access is denied");
  failure_log::Record("Other", "", "");
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "Stats: OpenThing C:\\some file.txt: Access is denied",
                         "Stats: Other: unknown error"}));
  // Host text is never a format: percent signs stay as they are.
  failure_log::Record("%s%n", "%d", "%x");
  EXPECT_EQ(Lines().back(), "Stats: %s%n %d: %x");
}

TEST_F(FailureLogTest, TheNativePlatformLogsEveryRefusedFileCall) {
  Platform& os = NativePlatform();
  std::string error;
  EXPECT_EQ(os.OpenFile("no folder\\x.txt", FileMode::kTruncate, &error), nullptr);
  ASSERT_NE(error, "");
  EXPECT_NE(LineWith({"no folder\\x.txt", error}), "");

  error.clear();
  EXPECT_FALSE(os.RenameFile("none.txt", "other.txt", &error));
  EXPECT_NE(LineWith({"none.txt", "other.txt", error}), "");

  // A folder where the settings file should be: the write is refused.
  std::filesystem::create_directories(dir() / "Plugins" / "ZEVUVI.ini");
  error.clear();
  EXPECT_FALSE(os.WriteProfileString("Plugins\\ZEVUVI.ini", "Settings", "Name", "Jo", &error));
  EXPECT_NE(LineWith({"ZEVUVI.ini", "Name", error}), "");

  // A missing file is an answer, not a failure: no line.
  const size_t before = Lines().size();
  EXPECT_EQ(os.ReadFile("none.txt"), std::nullopt);
  EXPECT_EQ(os.ReadProfileString("none.ini", "Settings", "Name"), std::nullopt);
  EXPECT_EQ(Lines().size(), before);
}

}  // namespace
}  // namespace stats
