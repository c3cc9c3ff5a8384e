// The files the plug-in opens in its working folder, named as it names
// them, so that stats-replay can look at them before and after a run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "log.h"

namespace replay {

// The Cabrillo log: the own call with '/' and '\' made '_', blanks around
// removed, "QORT" when nothing is left, and ".cbr".
std::string CabrilloFileName(const std::string& own_call);

// The bad-QSO journal of a contest that ends on the given day.
std::string JournalFileName(const QsoTime& end);

struct WorkFile {
  std::string role;  // "the settings file"
  std::string name;  // relative to the working folder
  bool output;       // written by the plug-in, not read
};

// The files the plug-in opens: its settings file and the host's, the
// journal when the end is known, the Cabrillo log when one is asked for.
std::vector<WorkFile> PluginFiles(const std::string& own_call, const std::optional<QsoTime>& end,
                                  bool cabrillo);

}  // namespace replay
