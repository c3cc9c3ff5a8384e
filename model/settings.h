// The plug-in's settings file, "Plugins\ZEVUVI.ini" relative to the host's
// folder (the current directory), section "Settings", read and written key
// by key.
#pragma once

#include <string>

namespace stats::settings {

inline constexpr const char* kFile = "Plugins\\ZEVUVI.ini";
inline constexpr const char* kSection = "Settings";

// The stored value, whole; fallback when the key or the file is missing.
// A file that is there but cannot be read also gives the fallback: its
// failure goes to the read-failure sink, and into *error when error is not
// null (left alone when the read did not fail).
std::string Read(const std::string& key, const std::string& fallback = "",
                 std::string* error = nullptr);
// The stored value converted as atoi does (no digits give 0).
int ReadInt(const std::string& key);
// Told the file name and the system's reason of every failed write.
using FailureSink = void (*)(const std::string& file, const std::string& reason);
// Installs the sink of failed writes (null: none) for the process; returns
// the one it replaces.
FailureSink SetFailureSink(FailureSink sink);
// The same for reads of a settings file that exists but cannot be read.
FailureSink SetReadFailureSink(FailureSink sink);

// Writes one key; false when the system refused (the stored value stays,
// and the failure goes to the failure sink).  A line
// end in the value would start a new key in the file: line ends are
// removed, so a value of several lines is stored with the "<CR>" and "<LF>"
// marks by its owner beforehand.
bool Write(const std::string& key, const std::string& value);
// The value with every carriage return and line feed removed.
std::string OneLine(const std::string& value);
bool WriteInt(const std::string& key, int value);

// atoi without its undefined behaviour: optional blanks, an optional sign,
// then decimal digits; saturates instead of overflowing.
int ToInt(const std::string& text);

}  // namespace stats::settings
