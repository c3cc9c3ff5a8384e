// The lowest layer of the tests' support: a scratch folder as the current
// directory, a platform that records message boxes and can fail its Nth
// write, and whole-file helpers.  It needs nothing but the platform and
// GoogleTest, so that every layer's tests use it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace stats::testing {

std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& contents);
bool Exists(const std::filesystem::path& path);

// The native platform, with message boxes recorded instead of shown and
// writes that fail on request.
class TestPlatform : public Platform {
 public:
  struct Message {
    std::string caption;  // "(default)" for the system's default caption
    std::string text;
    unsigned style;
  };
  std::vector<Message> messages;
  // The Nth write (1, 2, ...) from now on fails, and every later one too
  // when sticky; 0 fails none.  A write is a write, sync or close of a
  // file, a settings key written, or a file renamed.
  int fail_write_at = 0;
  bool sticky = false;
  int writes = 0;
  // A full disk: the bytes that still fit, after which a write puts what
  // fits and fails ("No space left on device"); negative for no limit.
  long long disk_room = -1;
  // Settings files (as the plug-in names them) that exist but cannot be
  // read: a read gives nullopt with a reason, and a write is refused, as
  // the built-in platforms do with a file they may not read.
  std::vector<std::string> unreadable;

  using Platform::ReadProfileString;

  std::optional<std::string> ReadProfileString(const std::string& path,
                                               const std::string& section,
                                               const std::string& key,
                                               std::string* error) override;
  bool WriteProfileString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value,
                          std::string* error) override;
  std::vector<std::string> FindFiles(const std::string& pattern) override;
  std::unique_ptr<File> OpenFile(const std::string& path, FileMode mode,
                                 std::string* error) override;
  std::optional<std::string> ReadFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to, std::string* error) override;
  bool RemoveFile(const std::string& path) override;
  void ShowMessage(const char* caption, const std::string& text, unsigned style,
                   MessageOwner owner) override;
  void Sleep(unsigned milliseconds) override;

  // Counts one write and tells whether it is to fail.
  bool WriteFails();
};

// Each test runs in a fresh scratch folder as the current directory, with
// the test platform installed.
class ScratchTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path dir() const { return dir_; }
  std::string Settings() const;  // contents of Plugins/ZEVUVI.ini, "" if none
  void WriteSettings(const std::string& contents);

  TestPlatform platform_;

 private:
  std::filesystem::path dir_;
  std::filesystem::path old_cwd_;
  Platform* old_platform_ = nullptr;
};

}  // namespace stats::testing
