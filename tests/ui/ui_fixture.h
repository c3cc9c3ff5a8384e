// The fixture of the operator-window tests: the scratch folder and test
// platform, the headless window system, a fake host that runs, and a
// contest of the test's own behind the windows' link.  The window thread
// starts and stops as the boundary has it start and stop.
#pragma once

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "model/contest_constants.h"
#include "model/qso.h"
#include "model/store.h"
#include "tests/support/scratch.h"
#include "tests/support/windows_support.h"
#include "ui/contest_link.h"

namespace stats::testing {

// The contest behind the windows' link: the data that the boundary's link
// reads from the contest state, kept here by the test, and the same three
// steps over it, each under the contest's own lock.
class TestContest : public ui::ContestLink {
 public:
  struct Data {
    QsoStore store;
    // The worked lists of the last result, per contest band.
    std::array<std::vector<std::string>, kBandCount> worked_prefixes{};
    std::array<std::vector<std::string>, kBandCount> worked_sections{};
    bool russian = false;
    std::string contest_year;
    bool on_station = false;
    std::string on_section;  // the operator's own section
  };

  // The data, held under the lock for as long as the handle lives.
  class Locked {
   public:
    Locked(std::mutex& mutex, Data& data) : lock_(mutex), data_(&data) {}
    Data* operator->() const { return data_; }

   private:
    std::unique_lock<std::mutex> lock_;
    Data* data_;
  };
  Locked Lock() { return Locked(mutex_, data_); }

  ui::ContestView Read(const std::string& call, int band) override;
  ui::ContestView OpenSetup() override;
  void ChooseSection(const std::string& section) override;

 private:
  static ui::ContestView ViewOf(const Data& data);

  std::mutex mutex_;
  Data data_;
};

// A contest run's start: what the windows get of ResetStats0's arguments.
struct NewRun {
  std::string own_country = "DL";
  std::string contest_year = "2017";  // of a contest that starts on 6 January 2017
};

class UiTest : public ScratchTest, protected WindowsHarness {
 protected:
  // The setup window's reference, not GoogleTest's misspelt SetUp.
  using WindowsHarness::Setup;

  void SetUp() override;
  void TearDown() override;

  // Starts a contest run as the boundary starts it, and waits until its
  // setup window is open and its first refresh handled.
  WindowRef StartRun(const NewRun& run = NewRun());

  // Writes one key of the settings file.
  void SetKey(const std::string& key, const std::string& value);

  // Appends a QSO to the store directly (no journal, no checks).
  void StoreQso(const std::string& call, const std::string& band, const std::string& mode,
                int hour, int minute, const std::string& exchange);

  TestContest contest_;

 private:
  ui::ContestLink* old_link_ = nullptr;
};

}  // namespace stats::testing
