// The entrants' logs, read in parallel with the readers of stats-replay:
// each QSO line kept with what the check needs, each unreadable log or line
// kept as a problem with its file and line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "contest.h"
#include "log.h"

namespace crosscheck {

struct Qso {
  int line = 0;  // 1-based line of the QSO in its file
  std::string call;
  replay::QsoTime time;  // as logged
  int64_t minute = 0;    // the logged time in minutes since 1899-12-30
  int band = -1;         // index into the contest's bands; -1: none of them
  int mode = -1;         // likewise for the modes
  std::string band_text;
  std::string mode_text;
  // The exchange columns after the call (and the RST when the contest has
  // none), upper case, one blank between columns.
  std::string sent;
  std::string received;
};

struct StationLog {
  std::string path;  // as found
  std::string name;  // the file's name: how outputs name the log
  std::filesystem::path file;  // the path made absolute when the log was read
  std::string call;  // CALLSIGN:, or the own call of the first QSO; upper case
  std::string category;        // Cabrillo CATEGORY: or CATEGORY-OPERATOR: ...
  std::string claimed_score;   // Cabrillo CLAIMED-SCORE:
  std::vector<Qso> qsos;
  std::vector<replay::ReadProblem> problems;  // lines reported and skipped
  std::string error;           // the log could not be read at all
  std::filesystem::file_time_type written{};  // tells the later of two logs of one call
};

// The files named: a folder stands for the regular files in it.  Sorted by
// path, so that the order given does not matter; a path that is neither a
// file nor a folder is returned in *missing.
std::vector<std::string> ListLogFiles(const std::vector<std::string>& arguments,
                                      std::vector<std::string>* missing);

// Splits the exchange of a QSO as the reader gave it into the contest's
// columns (see Qso::sent).
std::string ExchangeColumns(const ContestDefinition& contest, const std::string& rst,
                            const std::string& exchange);

// Reads one log.  Never throws for what a file holds.
StationLog ReadStationLog(const std::string& path, const ContestDefinition& contest);

// Reads every file on `threads` threads (at least 1), one log at a time per
// thread; the logs come back in the order of `paths`.  `read` (may be empty)
// is told each time a log is read, from the thread that read it.
std::vector<StationLog> ReadStationLogs(const std::vector<std::string>& paths,
                                        const ContestDefinition& contest, unsigned threads,
                                        const std::function<void()>& read = {});

}  // namespace crosscheck
