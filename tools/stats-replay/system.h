// The few things stats-replay asks of the operating system that the C++
// library does not offer: loading a shared library and finding a name in
// it, the program's own path, and a standard output that writes bytes as
// they are.  system_posix.cpp and system_win32.cpp implement them; the
// build picks one.
#pragma once

#include <filesystem>
#include <string>

namespace replay::sys {

// Loads a library; null with *error set on failure.
void* OpenLibrary(const std::filesystem::path& path, std::string* error);
// The address of an exported name, or null.
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);

// The path of the running program; empty when the system cannot tell.
std::filesystem::path ProgramPath();

// Standard output and standard error write bytes unchanged (no line-end
// translation), so that the result text comes out as the plug-in made it.
void UseBinaryOutput();

}  // namespace replay::sys
