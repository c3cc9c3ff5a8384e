// The contest state: the process-wide data of the plug-in, alive from load
// to unload, and the one lock that guards it.
//
// The host's thread changes the state through the exports; the window thread
// reads it for the live lookup.  Both take ContestLock() while they touch
// any of it.  Nobody holds the lock while showing a modal window or waiting
// for the other thread.
#pragma once

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/store.h"
#include "reports/cabrillo_header.h"
#include "rules/journal.h"

namespace stats {

struct ContestState {
  // Set by ResetStats0.
  std::string host_folder;
  std::string own_call;
  std::string own_country;
  std::string start_date_text;   // contest start, "%d.%m"
  std::string end_date_text;     // contest end, "%d.%m.%Y"
  std::string contest_year;      // contest start, "%Y"
  std::string host_version;      // from the host's settings file, else "Zelk"
  std::string journal_file_name;
  std::string on_section;        // the operator's own UBA section
  int cabrillo_requested = 0;
  bool russian = false;          // window texts in Russian
  bool on_station = false;       // the operator is a Belgian station
  int start_value = 0;           // the last value read from key "Start"
  // Set by setVersion.
  bool html_result = false;

  // The lists.
  QsoStore store;
  std::vector<std::string> bands_seen;
  std::array<InfoRow, kBandCount> info_rows{};
  BandLists worked_prefixes;
  BandLists worked_sections;

  Journal journal;
  int claimed_score = 0;

  // Reports.
  CabrilloHeader cabrillo;
  std::string result_text;  // what GetResult0 returned last
};

// The one contest state of the process, and its lock.
ContestState& Contest();
std::mutex& ContestLock();

// Row k becomes [band name k, "-", "-", "-", "-"].
void ResetInfoRows(ContestState& state);

}  // namespace stats
