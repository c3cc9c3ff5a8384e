// Shared test fixtures: a scratch folder as the current directory, a
// platform that records message boxes and can fail its Nth write, and
// builders for the host's long argument lists.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin/abi.h"
#include "plugin/exports.h"
#include "plugin/host_args.h"
#include "model/oledate.h"

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

  std::optional<std::string> ReadProfileString(const std::string& path,
                                               const std::string& section,
                                               const std::string& key) override;
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

// Each test runs in a fresh scratch folder as the current directory, with a
// fresh contest state and the test platform installed.
class PluginTest : public ::testing::Test {
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

// An OLE date of a calendar day and time.
OleDateTime Date(int year, int month, int day, int hour = 0, int minute = 0);
OleDateTime NullDate();
OleDateTime InvalidDate();

// ResetStats0 with the arguments it reads, the others filled with blanks.
struct Reset {
  std::string host_folder;  // "" = the current directory
  int cabrillo = 0;
  std::string own_call = "ON4XX";
  OleDateTime start = Date(2017, 1, 6);
  OleDateTime end = Date(2017, 1, 7);
  std::string own_country = "DL";
  int Call() const;
};

// AddData0 / RemoveData0 with the arguments they read.
struct Qso {
  std::string own_call = "DL1OWN";
  std::string call = "DL1AB";
  OleDateTime time = Date(2017, 1, 6, 13, 12);
  unsigned frequency_hz = 14070000;
  std::string mode = "BPSK63";
  std::string rst_sent = "599";
  std::string rst_received = "599";
  std::string exchange_sent = "001";
  std::string exchange_received = "001";
  std::string prefix = "DL1";
  std::string country = "DL";
  std::string extra;
  std::string band = "20m";
  int Add() const;
  int Remove() const;
  host_args::QsoFields Fields() const;  // pointers into this record
};

// CheckCallFunc0 with the arguments it reads; null bands when not given.
struct Check {
  std::string call = "DL1AB";
  std::string mode = "BPSK63";
  std::string prefix = "DL1";
  std::string country = "DL";
  const char* band = "20m";
  const char* band2 = nullptr;
  int Call() const;
};

// GetResult0, with a check that it stores -1.
std::string Result();

}  // namespace stats::testing
