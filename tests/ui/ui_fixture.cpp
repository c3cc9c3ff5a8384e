#include "tests/ui/ui_fixture.h"

#include <algorithm>

#include "model/oledate.h"
#include "model/settings.h"
#include "ui/lookup.h"

namespace stats::testing {

ui::ContestView TestContest::Read(const std::string& call, int band) {
  std::lock_guard lock(mutex_);
  ui::ContestView view = ViewOf(data_);
  for (size_t k = 0; k < view.info_rows.size(); ++k) {
    view.info_rows[k] = {AcceptedBands().At(k), "-", "-", "-", "-"};
  }
  ui::FillInfoRows(data_.store, call, view.info_rows);
  if (band >= 0 && band < kBandCount) {
    view.prefixes = data_.worked_prefixes[static_cast<size_t>(band)];
    view.sections = data_.worked_sections[static_cast<size_t>(band)];
  }
  return view;
}

ui::ContestView TestContest::OpenSetup() {
  std::lock_guard lock(mutex_);
  if (!data_.on_station) data_.on_section.clear();
  return ViewOf(data_);
}

void TestContest::ChooseSection(const std::string& section) {
  std::lock_guard lock(mutex_);
  data_.on_section = section;
}

ui::ContestView TestContest::ViewOf(const Data& data) {
  ui::ContestView view;
  view.russian = data.russian;
  view.contest_year = data.contest_year;
  view.on_station = data.on_station;
  return view;
}

void UiTest::SetUp() {
  ScratchTest::SetUp();
  SetUpWindows();
  old_link_ = ui::SetContestLink(&contest_);
}

void UiTest::TearDown() {
  TearDownWindows();
  ui::SetContestLink(old_link_);
  ScratchTest::TearDown();
}

WindowRef UiTest::StartRun(const NewRun& run) {
  // The test data of a run's start, as the boundary's lifecycle sets it
  // (plugin/lifecycle.cpp): the window texts are Russian for these
  // countries, a Belgian station gets its saved section, the store starts
  // empty.  Like the lifecycle, a run only ever sets the two flags.
  static const std::vector<std::string> russian_countries = {"UA", "UA2", "UA9", "CE9/KC4",
                                                             "UR", "UN",  "EU"};
  {
    auto data = contest_.Lock();
    data->contest_year = run.contest_year;
    data->store.Clear();
    if (std::find(russian_countries.begin(), russian_countries.end(), run.own_country) !=
        russian_countries.end()) {
      data->russian = true;
    }
    if (run.own_country == "ON") {
      data->on_station = true;
      data->on_section = settings::Read("ON_Section");
    }
  }
  ui::ResetInfoRows();
  // The lifecycle's "Start" key toggles from run to run: a run that starts
  // the window thread stores 1, and the next run only resets it to 0.  The
  // tests' settings files and their expectations follow it.
  if (settings::ReadInt("Start") != 0) {
    settings::Write("Start", "0");
  } else if (!ui::IsPreviousQsoWindowOpen()) {
    ui::StartWindowThread();
    settings::Write("Start", "1");
  }
  return AwaitSetup();
}

void UiTest::SetKey(const std::string& key, const std::string& value) {
  ASSERT_TRUE(settings::Write(key, value));
}

void UiTest::StoreQso(const std::string& call, const std::string& band, const std::string& mode,
                      int hour, int minute, const std::string& exchange) {
  CInfo qso;
  qso.call = call;
  qso.band = band;
  qso.mode = mode;
  qso.exchange_received = exchange;
  qso.time = OleDate::FromCivil(2017, 1, 6, hour, minute);
  contest_.Lock()->store.Append(qso);
}

}  // namespace stats::testing
