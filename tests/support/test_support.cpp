#include "tests/support/test_support.h"

#include <chrono>
#include <mutex>

#include "host/automation.h"
#include "platform/headless/headless_gui.h"
#include "plugin/contest.h"
#include "plugin/notices.h"
#include "ui/operator_windows.h"

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
  // The close-all routine waits a bounded time for a window thread that is
  // still opening its setup window, and a busy machine can outlast it: the
  // windows are closed again until the thread has ended.  The limit only
  // keeps a thread that never ends from hanging the tests.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  bool ended = false;
  while (!ended && std::chrono::steady_clock::now() < give_up) {
    ui::CloseAll(false);
    ended = ui::JoinWindowThread(100);
  }
  EXPECT_TRUE(ended) << "the window thread did not end";
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
