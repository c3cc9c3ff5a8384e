// A sponsor's published verdicts (official_verdicts.tsv of the LZ Open
// 2017: log, QSO number, frequency, mode, time, worked call, reasons,
// partner, and a third tool's code) compared with verdicts.tsv.
#pragma once

#include <string>

namespace sim {

// logs_folder: the logs both checked, which give each QSO number its line.
// The comparison leaves aside the lines this program matched after a
// clock offset that the sponsor removed (it names them), then counts the
// QSOs both flagged, those only one flagged, and whether the sponsor's
// reason is the verdict, and lists every difference.
bool CompareWithSponsor(const std::string& official_tsv, const std::string& verdicts_tsv,
                        const std::string& logs_folder, std::string* report, std::string* error);

}  // namespace sim
