// The contest state: the process-wide data of the plug-in, alive from load
// to unload, and the one lock that guards it.
//
// Only the boundary reaches it: the exports, the contest run's lifecycle and
// the window thread's link (plugin/contest.cpp).  They take ContestLock()
// while they touch any of it and hand the rules and reports the data they
// need.  Nobody holds the lock while showing a modal window or waiting for
// the other thread.
#pragma once

#include <mutex>
#include <string>

#include "reports/cabrillo_header.h"
#include "rules/contest_data.h"

namespace stats {

// The rules' data (own country and section, store, bands seen, journal)
// and what the run and the reports keep besides.
struct ContestState : ContestData {
  // The journal's failed writes are told to the operator (plugin/notices.h).
  ContestState();

  // Set by ResetStats0.
  std::string host_folder;
  std::string own_call;
  std::string start_date_text;   // contest start, "%d.%m"
  std::string end_date_text;     // contest end, "%d.%m.%Y"
  std::string contest_year;      // contest start, "%Y"
  std::string host_version;      // from the host's settings file, else "Zelk"
  std::string journal_file_name;
  int cabrillo_requested = 0;
  bool russian = false;          // window texts in Russian
  bool on_station = false;       // the operator is a Belgian station
  int start_value = 0;           // the last value read from key "Start"
  // Set by setVersion.
  bool html_result = false;

  // The worked lists as of the last result, per contest band; a band
  // without a row in that result keeps its list.
  BandLists worked_prefixes;
  BandLists worked_sections;
  int claimed_score = 0;

  // Reports.
  CabrilloHeader cabrillo;
  std::string result_text;  // what GetResult0 returned last
};

// The one contest state of the process, and its lock.
ContestState& Contest();
std::mutex& ContestLock();

}  // namespace stats
