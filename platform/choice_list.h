// The choice lists of a dialog's drop-down boxes and the rule by which a box
// picks its entry.  Plain data, shared by every platform, so the rule is
// tested where there is no window system.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace stats {

// Control id -> list entries in list order.
using ChoiceLists = std::map<int, std::vector<std::string>>;

// Reads the lists as the module's resources keep them: one line per box,
// its control id then its entries, separated by "|" ("1013|SINGLE-OP|...").
// Lines that do not start with a number are skipped.
ChoiceLists ParseChoiceLists(std::string_view text);

// The index of the first entry that begins with text, ignoring the case of
// the letters A to Z; -1 when none does or the text is empty, and the box
// then shows the text itself.
int FirstEntryBeginningWith(const std::vector<std::string>& entries, std::string_view text);

}  // namespace stats
