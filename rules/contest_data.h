// The data the contest rules work on: the station's own country and UBA
// section, the QSO store, the bands seen and the bad-QSO journal.
//
// The rules are functions of this data and of their arguments; they know
// nothing of where it lives or who guards it.  The plug-in's boundary owns
// the one instance of the process (plugin/contest.h) and takes the lock
// around every call.
#pragma once

#include <string>
#include <vector>

#include "model/contest_constants.h"
#include "model/store.h"
#include "rules/journal.h"

namespace stats {

struct ContestData {
  std::string own_country;
  std::string on_section;  // the operator's own UBA section
  QsoStore store;
  std::vector<std::string> bands_seen;
  Journal journal;
};

}  // namespace stats
