#include "tests/support/test_support.h"

#include <mutex>
#include <random>

#include "host/automation.h"
#include "platform/headless/headless_gui.h"
#include "plugin/contest.h"
#include "plugin/notices.h"
#include "tests/support/windows_support.h"

namespace stats::testing {
namespace fs = std::filesystem;

void PluginTest::SetUp() {
  static std::mt19937_64 random{std::random_device{}()};
  old_cwd_ = fs::current_path();
  dir_ = fs::temp_directory_path() / ("stats-test-" + std::to_string(random()));
  fs::create_directories(dir_);
  fs::current_path(dir_);
  old_platform_ = SetPlatform(&platform_);
  // A run that starts the window thread gets windows without a screen and
  // finds no host; TearDown closes them again.
  SetGui(&headless::Headless());
  host::SetHost(&host::NoHost());
  notices::NewRun();
  std::lock_guard lock(ContestLock());
  Contest() = ContestState();
}

void PluginTest::TearDown() {
  // A run that started the window thread leaves it running: it ends here,
  // however long a busy machine takes to open its setup window.
  EXPECT_TRUE(CloseWindowsUntilTheThreadEnds()) << "the window thread did not end";
  host::SetHost(nullptr);
  SetGui(nullptr);
  {
    std::lock_guard lock(ContestLock());
    Contest() = ContestState();
  }
  SetPlatform(old_platform_ == &NativePlatform() ? nullptr : old_platform_);
  fs::current_path(old_cwd_);
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string PluginTest::Settings() const {
  const fs::path p = dir_ / "Plugins" / "ZEVUVI.ini";
  return Exists(p) ? ReadText(p) : std::string();
}

void PluginTest::WriteSettings(const std::string& contents) {
  WriteText(dir_ / "Plugins" / "ZEVUVI.ini", contents);
}

int Reset::Call() const {
  host_args::ResetFields f;
  f.host_folder = host_folder.c_str();
  f.cabrillo = cabrillo;
  f.own_call = own_call.c_str();
  f.start = &start;
  f.end = &end;
  f.own_country = own_country.c_str();
  return host_args::CallReset(&ResetStats0, f);
}

int Qso::Add() const { return host_args::CallQso(&AddData0, Fields()); }

int Qso::Remove() const { return host_args::CallQso(&RemoveData0, Fields()); }

int Check::Call() const {
  host_args::CheckFields f;
  f.call = call.c_str();
  f.mode = mode.c_str();
  f.prefix = prefix.c_str();
  f.country = country.c_str();
  f.band = band;
  f.band2 = band2;
  return host_args::CallCheck(&CheckCallFunc0, f);
}

std::string Result() {
  int out = 0;
  const char* text = GetResult0(&out);
  EXPECT_EQ(out, -1);
  return text != nullptr ? text : "";
}

}  // namespace stats::testing
