// The failure log of the exports: an exception an export stopped, a
// journal line of a contest run that could not be written.
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/failure_capture.h"
#include "tests/support/test_support.h"

namespace stats {
namespace {

using testing::Qso;
using testing::Reset;

using FailureLogTest = testing::FailureLogCapture<testing::PluginTest>;

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

// The module's unload: nothing may escape it, and what it caught leaves its
// line.
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
