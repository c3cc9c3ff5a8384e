// The Cabrillo 3.0 log: the header lines from the header record and the
// claimed score, one "QSO: " line per stored record, and "END-OF-LOG:".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/contest_constants.h"
#include "model/store.h"
#include "reports/cabrillo_header.h"

namespace stats {

// The mode column of every QSO line.
inline constexpr const char* kCabrilloMode = "PM";

// One QSO line with its "\r\n": frequency, mode, date and time, the call
// sent (the station callsign), the RST and exchange sent, the call, RST and
// exchange received.  Widths are minimum widths; a longer value shifts the
// columns after it.  AppendQsoLine writes it at the end of out.
void AppendQsoLine(std::string* out, const CInfo& record, std::string_view mode,
                   std::string_view call_sent);
std::string FormatQsoLine(const CInfo& record, std::string_view mode,
                          std::string_view call_sent);

// Header lines 1 to 25, each with its "\r\n".
std::string FormatCabrilloHeader(const CabrilloHeader& header, int claimed_score,
                                 std::string_view host_version);

// A log ready to be written: the file name and its whole text.
struct CabrilloLog {
  std::string file_name;
  std::string text;
};

// The log of the station in the header: its header lines with the claimed
// score and the host's version, one QSO line per stored record in store
// order, and the closing line.  The lines are formatted straight into the
// one text; nothing is kept once the log is written.
CabrilloLog BuildCabrilloLog(const CabrilloHeader& header, int claimed_score,
                             std::string_view host_version, const QsoStore& store);

// Writes the log through a temporary file that replaces the earlier log
// only once it is complete and on the disk, and returns the notice for the
// operator: "File produced: <name>", or, when the file could not be created
// or written, "File not produced: <name> (<the system's reason>)"; the
// earlier log is then left as it was.
std::string WriteCabrilloLog(const CabrilloLog& log);

}  // namespace stats
