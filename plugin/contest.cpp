#include "plugin/contest.h"

#include "model/settings.h"
#include "plugin/notices.h"
#include "ui/contest_link.h"
#include "ui/lookup.h"

namespace stats {
namespace {

// The operator windows' way into the contest state: every call is one step
// under the contest lock, and the windows get copies.
class WindowLink : public ui::ContestLink {
 public:
  ui::ContestView Read(const std::string& call, int band) override {
    std::lock_guard lock(ContestLock());
    ui::ContestView view = ViewOf(Contest());
    for (size_t k = 0; k < view.info_rows.size(); ++k) {
      view.info_rows[k] = {AcceptedBands().At(k), "-", "-", "-", "-"};
    }
    ui::FillInfoRows(Contest().store, call, view.info_rows);
    if (band >= 0 && band < kBandCount) {
      view.prefixes = Contest().worked_prefixes[static_cast<size_t>(band)];
      view.sections = Contest().worked_sections[static_cast<size_t>(band)];
    }
    return view;
  }

  ui::ContestView OpenSetup() override {
    std::lock_guard lock(ContestLock());
    ContestState& state = Contest();
    if (!state.on_station) state.on_section.clear();
    return ViewOf(state);
  }

  void ChooseSection(const std::string& section) override {
    std::lock_guard lock(ContestLock());
    Contest().on_section = section;
  }

 private:
  static ui::ContestView ViewOf(const ContestState& state) {
    ui::ContestView view;
    view.russian = state.russian;
    view.contest_year = state.contest_year;
    view.on_station = state.on_station;
    return view;
  }
};

// The link and the settings' failure sink are installed as the module's
// static objects are built, before any export or window thread can run.
[[maybe_unused]] const bool g_linked = [] {
  static WindowLink* link = new WindowLink;
  ui::SetContestLink(link);
  settings::SetFailureSink(&notices::FileNotWritten);
  settings::SetReadFailureSink(&notices::FileNotRead);
  return true;
}();

}  // namespace

ContestState::ContestState() { journal.SetFailureSink(&notices::FileNotWritten); }

// Both live until the process ends: the window thread and the module's
// unload may still reach them while other static objects are torn down.
ContestState& Contest() {
  static ContestState* state = new ContestState;
  return *state;
}

std::mutex& ContestLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

}  // namespace stats
