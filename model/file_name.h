// The names of the files the plug-in writes beside the host (the bad-QSO
// journal, the Cabrillo log) are made from texts the host hands over.  Such
// a name must stay one plain file name in the host's folder on every
// system: the rules here are Windows', the strictest of the two, and apply
// on every build alike, so that a name never differs between them.
//
// Header-only: stats-replay, which links none of the plug-in's code, names
// the same files.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace stats::file_names {

// A byte that a Windows file name cannot hold: a control byte (0x00 to
// 0x1F, and DEL), a path separator, a drive's colon or a wildcard or quote
// of the command shell.
constexpr bool IsUnsafe(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u < 0x20 || u == 0x7F) return true;
  for (const char bad : std::string_view("\\/:*?\"<>|")) {
    if (c == bad) return true;
  }
  return false;
}

// The names Windows gives its devices, in any letter case and with any
// extension: "CON.cbr" opens the console, not a file.
inline bool IsDeviceName(std::string_view name) {
  const std::string_view stem = name.substr(0, name.find('.'));
  if (stem.size() != 3 && stem.size() != 4) return false;
  std::string upper(stem);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  static constexpr std::array<std::string_view, 4> kThree = {"CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kThree) {
    if (upper == device) return true;
  }
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
         upper[3] >= '1' && upper[3] <= '9';
}

// The text with every unsafe byte made '_'; other bytes (the host's code
// page included) stay.
inline std::string MapUnsafe(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (IsUnsafe(c)) c = '_';
  }
  return out;
}

// Why name is not one plain file name of the host's folder, or "" when it
// is one: empty, "." or "..", an unsafe byte (so no folder, drive or
// absolute path), a device's name, or a blank or dot at the end, which
// Windows drops, so that the file written would be another one.
inline std::string Problem(std::string_view name) {
  if (name.empty()) return "the file name is empty";
  if (name == "." || name == "..") return "the file name names a folder";
  for (const char c : name) {
    if (IsUnsafe(c)) return "the file name holds a character that a file name cannot hold";
  }
  if (IsDeviceName(name)) return "the file name is a device's name";
  if (name.back() == ' ' || name.back() == '.') return "the file name ends with a blank or dot";
  return "";
}

}  // namespace stats::file_names
