#include "ui/ui_state.h"

#include "platform/override.h"
#include "ui/contest_link.h"
#include "ui/operator_windows.h"

namespace stats::ui {

UiState& Ui() {
  // Never destroyed: a window thread may still run while the process tears
  // down its static objects.
  static UiState* state = new UiState;
  return *state;
}

namespace {

// Before the boundary installs its link: a contest without data.
class EmptyContest : public ContestLink {
 public:
  ContestView Read(const std::string& /*call*/, int /*band*/) override { return {}; }
  ContestView OpenSetup() override { return {}; }
  void ChooseSection(const std::string& /*section*/) override {}
};

// Never destroyed, like the state.
ContestLink& EmptyLink() {
  static EmptyContest* empty = new EmptyContest;
  return *empty;
}

constinit Override<ContestLink, EmptyLink> g_link;

}  // namespace

ContestLink* SetContestLink(ContestLink* link) { return g_link.Set(link); }

ContestLink& Link() { return g_link.Get(); }

std::array<InfoRow, kBandCount> ShownInfoRows() {
  UiState& ui = Ui();
  std::lock_guard lock(ui.mutex);
  return ui.info_rows;
}

void ResetInfoRows() {
  UiState& ui = Ui();
  std::lock_guard lock(ui.mutex);
  for (size_t k = 0; k < ui.info_rows.size(); ++k) {
    ui.info_rows[k] = {AcceptedBands().At(k), "-", "-", "-", "-"};
  }
}

}  // namespace stats::ui
