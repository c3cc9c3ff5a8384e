// The start of a contest run (ResetStats0) and what the other exports hand on
// to, in the project's own types.
#pragma once

#include <optional>
#include <string>

#include "plugin/oledate.h"

namespace stats {

struct RunStart {
  std::string host_folder;  // ends with a path separator; "*.ini" is appended
  int cabrillo = 0;         // nonzero: a Cabrillo log is wanted
  std::string own_call;
  OleDate start;
  OleDate end;
  std::string own_country;
};

// Starts a contest run.  Takes the contest-state lock itself, and lets go of
// it while the header form is open and while the window thread is started.
void StartContestRun(const RunStart& run);

// The host version text from the host's settings file: the rest of the first
// line that contains "Zelk=", from its sixth character on; nullopt when the
// file has no such line.
std::optional<std::string> HostVersionFromIni(const std::string& contents);

inline constexpr const char* kSetName = "VA-ZIZ-AVO";
inline constexpr const char* kDefaultHostVersion = "Zelk";

}  // namespace stats
