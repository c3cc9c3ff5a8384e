// The failure log: every failure that the plug-in handles leaves one line
// with what failed, on what, and the system's reason.
#include <filesystem>
#include <optional>
#include <stdexcept>
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

// Failures caught where nothing may escape - a thread's work - end quietly
// for the host but leave their line.
TEST_F(FailureLogTest, AThreadWhoseWorkThrowsLogsWhatItCaught) {
  auto standard = Os().StartThread([] { throw std::runtime_error("worker gave up"); });
  ASSERT_NE(standard, nullptr);
  EXPECT_TRUE(standard->Join(10000));
  auto other = Os().StartThread([] { throw 42; });
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(other->Join(10000));
  EXPECT_NE(LineWith({"Stats: StartThread exception: worker gave up"}), "");
  EXPECT_NE(LineWith({"Stats: StartThread exception: not a standard exception"}), "");
}

TEST_F(FailureLogTest, AModuleThreadWhoseWorkThrowsLogsWhatItCaught) {
  auto thread = StartModuleThread([]() -> int { throw std::runtime_error("window work failed"); });
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(thread->Join(10000));
  EXPECT_NE(LineWith({"window work failed"}), "");
}

}  // namespace
}  // namespace stats
