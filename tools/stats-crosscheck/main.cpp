// stats-crosscheck: checks every log of a contest against every other.  See
// docs/stats-crosscheck.md.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli.h"
#include "crosscheck.h"
#include "workers.h"

int main(int argc, char** argv) {
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // A scoring process of a check (workers.h).
    if (args.size() == 1 && args[0] == crosscheck::kScoreWorkerOption) {
      return crosscheck::RunScoreWorker(stdin, stdout, stderr);
    }
    return crosscheck::Run(args, stdout, stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "stats-crosscheck: %s\n", e.what());
    return crosscheck::kExitInput;
  }
}
