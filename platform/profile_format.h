// The text format of a settings profile file, as the Windows profile
// functions read and write it: "[section]" lines, "key=value" lines, CR LF
// line ends; section and key names match without regard to case; a value
// loses surrounding blanks and one pair of surrounding quotes.  Used by
// platforms that have no profile functions of their own, and by tests.
#pragma once

#include <optional>
#include <string>

namespace stats::profile {

std::optional<std::string> Lookup(const std::string& contents, const std::string& section,
                                  const std::string& key);

// The contents with key set to value: replaced in place, or appended at the
// end of its section, or in a new section at the end.  Every other line
// stays as it was.
std::string Assign(const std::string& contents, const std::string& section,
                   const std::string& key, const std::string& value);

}  // namespace stats::profile
