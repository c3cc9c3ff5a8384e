// The command line of stats-crosscheck.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace crosscheck {

inline constexpr int kExitOk = 0;
inline constexpr int kExitInput = 1;   // no log could be read, or the contest definition is bad
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutput = 3;  // an output file could not be written

struct Options {
  std::vector<std::string> logs;  // files and folders
  std::string out;
  std::string contest = "uba-psk63-prefix";  // a built-in name or a file
  int window_minutes = 0;                    // 0: the contest's
  int64_t first_day = 0;                     // 0: found from the logs
  unsigned threads = 0;                      // 0: the machine's cores
  std::string plugin;                        // empty: the Stats library beside the program
  std::string work;                          // the plug-in's folder; empty: a scratch folder of its own
  std::string cty = "/usr/share/hamradio-files/cty.dat";
  bool timings = false;                      // the time of each step on standard error
  bool help = false;
  bool version = false;
};

// Parses the arguments after the program name; nullopt with *error set on
// bad usage.  Options take their value as the next argument or after "=".
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error);

std::string UsageText();

}  // namespace crosscheck
