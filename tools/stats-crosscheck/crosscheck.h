// stats-crosscheck's run: reads the contest definition and every log,
// checks them against one another and writes the outputs.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace crosscheck {

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace crosscheck
