#include "tests/support/test_support.h"

#include <chrono>
#include <mutex>

#include "host/automation.h"
#include "platform/headless/headless_gui.h"
#include "plugin/contest.h"
#include "plugin/notices.h"
#include "tests/support/windows_support.h"

namespace stats::testing {

void PluginTest::SetUp() {
  ScratchTest::SetUp();
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
  ScratchTest::TearDown();
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
