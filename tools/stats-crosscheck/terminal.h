// The few things stats-crosscheck asks of the operating system beyond what
// stats-replay's system layer offers: whether standard error is a terminal,
// for the progress lines, and a private folder for the plug-in's files in
// memory where the system keeps one.  terminal_posix.cpp and
// terminal_win32.cpp implement them; the build picks one.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace crosscheck::sys {

bool IsTerminal(std::FILE* stream);

// Makes a new, empty folder that only this user can enter, named with
// `stem`: under the system's folder in memory where there is one (/dev/shm
// on Linux), else under the folder for temporary files.  Empty with *error
// set on failure.
std::filesystem::path MakeScratchFolder(const std::string& stem, std::string* error);

}  // namespace crosscheck::sys
