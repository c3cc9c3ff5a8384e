// stats-replay: scores a log through the Stats plug-in as the logging host
// would.  See docs/stats-replay.md.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "replay.h"
#include "system.h"

int main(int argc, char** argv) {
  replay::sys::UseBinaryOutput();
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return replay::Run(args, stdout, stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "stats-replay: %s\n", e.what());
    return replay::kExitInput;
  }
}
