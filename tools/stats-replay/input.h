// Reading the files that stats-replay and the plug-in it drives open.  Only
// regular files are read: a FIFO would block for ever, a device such as
// /dev/zero would never end, and a folder has no contents to read.
#pragma once

#include <filesystem>
#include <string>

namespace replay {

// What the path is when it exists but is no regular file ("a folder",
// "a FIFO", "a device", "a socket", "not a regular file"); "" for a regular
// file (also behind a symbolic link) or a path that does not exist.
std::string NotRegularFile(const std::filesystem::path& path);

// Reads a whole regular file; false with *error set to the system's reason,
// or to what the path is when it is no regular file.
bool ReadRegularFile(const std::filesystem::path& path, std::string* contents, std::string* error);

}  // namespace replay
