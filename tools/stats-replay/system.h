// The few things stats-replay asks of the operating system that the C++
// library does not offer: loading a shared library and finding a name in
// it, the program's own path, the system's places for the country file, a
// private folder of its own, which file stands at a path, and a standard
// output that writes bytes as they are.  system_posix.cpp and
// system_win32.cpp implement them; the build picks one.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace replay::sys {

// Loads a library; null with *error set on failure.
void* OpenLibrary(const std::filesystem::path& path, std::string* error);
// The address of an exported name, or null.
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);

// The path of the running program; empty when the system cannot tell.
std::filesystem::path ProgramPath();

// Where the system keeps a country file (cty.dat) of its own, in the order
// to look: Debian's hamradio-files package on Linux, none on Windows.
std::vector<std::filesystem::path> SystemCountryFiles();

// Makes a new, empty folder that only this user can enter, under the
// system's folder for temporary files, named with `stem`; empty with
// *error set on failure.
std::filesystem::path MakePrivateFolder(const std::string& stem, std::string* error);

// The file standing at a path, told apart from any other that stands there
// before or after it: its device and file number (POSIX), its volume and
// file index (Windows).  A file replaced through a rename has a new one.
struct FileId {
  uint64_t volume = 0;
  uint64_t file = 0;
  bool operator==(const FileId&) const = default;
};
// Nullopt when the system cannot tell (no such file).
std::optional<FileId> IdentifyFile(const std::filesystem::path& path);

// Standard output and standard error write bytes unchanged (no line-end
// translation), so that the result text comes out as the plug-in made it.
void UseBinaryOutput();

// The system's text for an error code: errno's on POSIX, GetLastError's on
// Windows; "system error N" when it has none.
std::string SystemMessage(unsigned long code);

}  // namespace replay::sys
