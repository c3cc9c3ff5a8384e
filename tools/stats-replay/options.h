// The command line of stats-replay.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "log.h"

namespace replay {

struct Options {
  std::string log_file;
  std::string plugin;  // empty: the Stats library beside the program
  std::string cty;  // empty: cty.dat beside the program, else the system's
  std::optional<std::string> own_call;
  std::optional<std::string> own_country;
  std::optional<QsoTime> start;
  std::optional<QsoTime> end;
  bool end_has_time = false;  // --end named a time of day, not only a date
  std::string dir;  // empty: the current folder
  bool html = false;
  bool cabrillo = false;
  bool list = false;
  bool check = false;
  bool check_all = false;  // the check lists every finding (implies check)
  bool strict = false;     // errors of the check give exit status 4 (implies check)
  bool in_place = false;   // the plug-in runs in the host's folder itself
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name; nullopt with *error set on
// bad usage.  Options take their value as the next argument or after "=".
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error);

// A contest date of --start or --end: YYYY-MM-DD or YYYYMMDD, optionally
// followed by a blank or "T" and HH:MM or HHMM.
std::optional<QsoTime> ParseContestDate(const std::string& text);

// The text of --help.
std::string UsageText();

}  // namespace replay
