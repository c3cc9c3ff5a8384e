#include "workfiles.h"

#include <algorithm>

#include "host_rules.h"
#include "model/file_name.h"
#include "rules/journal_name.h"

namespace replay {

std::string CabrilloFileName(const std::string& own_call) {
  std::string base = own_call;
  std::replace(base.begin(), base.end(), '/', '_');
  std::replace(base.begin(), base.end(), '\\', '_');
  base = stats::file_names::MapUnsafe(Trim(base));
  if (base.empty()) return "QORT.cbr";
  if (stats::file_names::IsDeviceName(base)) base += '_';
  return base + ".cbr";
}

std::string JournalFileName(const QsoTime& end) {
  return stats::JournalFileName(stats::JournalDay(end.day, end.month, end.year));
}

std::vector<WorkFile> PluginFiles(const std::string& own_call, const std::optional<QsoTime>& end,
                                  bool cabrillo) {
  std::vector<WorkFile> files = {{"the settings file", "Plugins/ZEVUVI.ini", false},
                                 {"the host's settings file", "Zelk2.ini", false}};
  if (end) files.push_back({"the bad-QSO journal", JournalFileName(*end), true});
  if (cabrillo) files.push_back({"the Cabrillo log", CabrilloFileName(own_call), true});
  return files;
}

}  // namespace replay
