// The replay itself: reads the log, plays the host's calls into the plug-in
// and prints what comes back.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace replay {

inline constexpr int kExitOk = 0;
inline constexpr int kExitInput = 1;  // the log, the country file or the plug-in could not be read
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutput = 3;  // the bad-QSO journal or the Cabrillo log could not be written
inline constexpr int kExitCheck = 4;   // --strict: the check found errors

// Runs the program on its arguments (without the program name), writing the
// list and the result to out and problems to err.  Returns the exit status.
int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace replay
