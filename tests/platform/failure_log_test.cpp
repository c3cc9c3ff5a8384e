// The failure log: every failure that the plug-in handles leaves one line
// with what failed, on what, and the system's reason.
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/failure_log.h"
#include "tests/support/test_support.h"

namespace stats {
namespace {

using testing::PluginTest;
using testing::Qso;
using testing::Reset;

// Captures the log's lines for the length of a test.
class FailureLogTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    failure_log::SetCapture([this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    });
  }
  void TearDown() override {
    failure_log::SetCapture(nullptr);
    PluginTest::TearDown();
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // The one captured line that contains all the pieces, or "" when there is
  // none or more than one.
  std::string LineWith(std::initializer_list<std::string> pieces) {
    std::string found;
    int count = 0;
    for (const std::string& line : Lines()) {
      bool all = true;
      for (const std::string& piece : pieces) all = all && line.find(piece) != std::string::npos;
      if (all) {
        found = line;
        ++count;
      }
    }
    return count == 1 ? found : std::string();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

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

// A platform whose file search throws, as a broken system call might.
class ThrowingPlatform : public testing::TestPlatform {
 public:
  std::vector<std::string> FindFiles(const std::string&) override {
    throw std::runtime_error("search failed");
  }
};

TEST_F(FailureLogTest, AnExportLogsTheExceptionItStopped) {
  ThrowingPlatform throwing;
  Platform* previous = SetPlatform(&throwing);
  EXPECT_EQ(Reset().Call(), 1);  // the host still gets its answer
  SetPlatform(previous);
  EXPECT_NE(LineWith({"ResetStats0", "search failed"}), "");
}

TEST_F(FailureLogTest, AJournalLineThatCouldNotBeWrittenIsLogged) {
  ASSERT_EQ(Reset().Call(), 1);
  platform_.fail_write_at = 1;
  platform_.sticky = true;
  Qso rejected;
  rejected.call = "DL9ZZ";
  rejected.mode = "RTTY";
  EXPECT_EQ(rejected.Add(), 0);
  platform_.fail_write_at = 0;
  EXPECT_NE(LineWith({"journal line not written", "BadQSO_", "DL9ZZ", "WRONG MODE"}), "");
}

// Failures caught where nothing may escape - a thread's work, the module's
// unload - end quietly for the host but leave their line.
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

// A platform whose sleep throws: the module's unload waits in steps.
class ThrowingSleep : public testing::TestPlatform {
 public:
  void Sleep(unsigned) override { throw std::runtime_error("no sleep"); }
};

TEST_F(FailureLogTest, AnUnloadThatFailsLogsWhatItCaught) {
  ThrowingSleep throwing;
  Platform* previous = SetPlatform(&throwing);
  OnModuleUnload(false);  // returns: nothing escapes the unload
  SetPlatform(previous);
  EXPECT_NE(LineWith({"Stats: OnModuleUnload exception: no sleep"}), "");
  // At process exit the unload does nothing, and so logs nothing.
  const size_t before = Lines().size();
  SetPlatform(&throwing);
  OnModuleUnload(true);
  SetPlatform(previous);
  EXPECT_EQ(Lines().size(), before);
}

}  // namespace
}  // namespace stats
