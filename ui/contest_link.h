// How the operator windows reach the contest: through one link that the
// plug-in's boundary installs.  The windows never touch the contest state or
// its lock; each call below is one step under the boundary's lock, and what
// comes back is the windows' own copy.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/contest_constants.h"
#include "model/store.h"
#include "ui/info_row.h"

namespace stats::ui {

// What the windows show of the contest at one moment.
struct ContestView {
  bool russian = false;      // window texts in Russian
  std::string contest_year;  // "%Y" of the contest start
  bool on_station = false;   // the operator is a Belgian station
  // The previous-QSO rows of the call asked for (lookup.h, FillInfoRows).
  std::array<InfoRow, kBandCount> info_rows{};
  // The worked lists of the band asked for; empty for band -1.
  std::vector<std::string> prefixes;
  std::vector<std::string> sections;
};

class ContestLink {
 public:
  virtual ~ContestLink() = default;
  // The one snapshot: texts, the rows of call and the worked lists of band
  // (an index of the contest bands, or -1).
  virtual ContestView Read(const std::string& call, int band) = 0;
  // The setup window opens: the snapshot, and in the same step the
  // operator's section is emptied unless the station is Belgian, so that a
  // newer run's section is never emptied by a window that saw an older mode.
  virtual ContestView OpenSetup() = 0;
  // The operator chose a section in the setup window.
  virtual void ChooseSection(const std::string& section) = 0;
};

// Installs the link (the boundary does, as the module loads); null removes it.
// Returns the link that was in use (platform/override.h).
ContestLink* SetContestLink(ContestLink* link);
// The link installed; a link to an empty contest when there is none.
ContestLink& Link();

}  // namespace stats::ui
