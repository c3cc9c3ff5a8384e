// The one thing stats-crosscheck asks of the operating system beyond what
// stats-replay's system layer offers: whether standard error is a terminal,
// for the progress lines.  terminal_posix.cpp and terminal_win32.cpp
// implement it; the build picks one.
#pragma once

#include <cstdio>

namespace crosscheck::sys {

bool IsTerminal(std::FILE* stream);

}  // namespace crosscheck::sys
