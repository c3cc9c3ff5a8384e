// The result summary of the scoring example, as the plug-in returns it and
// as the reports format it: ON4XX's run from 2017-01-06 to 2017-01-07 with
// no QSO, and with the worked example (on 20m ON4 (BXE), DL1, ON4 (LGE) and
// a repeat of the first; on 40m DL1).
#pragma once

#include <vector>

#include "tests/support/host_data.h"

namespace stats::testing {

// The worked example's QSOs, in the order the host offers them.
inline std::vector<QsoData> WorkedExampleQsos() {
  QsoData on4;
  on4.call = "ON4AAA";
  on4.prefix = "ON4";
  on4.country = "ON";
  on4.exchange_received = "BXE";
  QsoData dl;
  QsoData lge = on4;
  lge.call = "ON4BBB";
  lge.exchange_received = "LGE";
  lge.time = Date(2017, 1, 6, 13, 20);
  QsoData dupe = on4;
  dupe.time = Date(2017, 1, 6, 13, 30);
  QsoData forty = dl;
  forty.band = "40m";
  forty.frequency_hz = 7040000;
  return {on4, dl, lge, dupe, forty};
}

inline constexpr const char* kEmptyResultText =
    "\tVA-ZIZ-AVO 06.01-07.01.2017 \r\n"
    "\t     Contestant: ON4XX\r\n"
    "Band\tQSOs\tPoints\tNew Prefix  UBA Sec\r\n"
    "Total\t 0\t 0\t    0\t       0\r\n"
    "Dupe\t 0\r\n"
    "Bad QSO\t 0\r\n"
    "Score = 0 * (0 + 0)  = 0 \r\n";

inline constexpr const char* kWorkedExampleText =
    "\tVA-ZIZ-AVO 06.01-07.01.2017 \r\n"
    "\t     Contestant: ON4XX\r\n"
    "Band\tQSOs\tPoints\tNew Prefix  UBA Sec\r\n"
    "40m\t 1\t 1\t    1\t       0\r\n"
    "20m\t 3\t 3\t    2\t       2\r\n"
    "Total\t 4\t 4\t    3\t       2\r\n"
    "Dupe\t 1\r\n"
    "Bad QSO\t 0\r\n"
    "Score = 4 * (3 + 2)  = 20 \r\n";

inline constexpr const char* kWorkedExampleHtml =
    "<html><head><style>table{ width:100%; }table, th, td{ border: 1px solid black; "
    "border-collapse: collapse; }th, td{ padding: 1px; text-align: middle; }th,td{ "
    "background-color: #fffac6; color: black; }</style></head><body>"
    "<center><b>   VA-ZIZ-AVO  06.01-07.01.2017</b></center>"
    "<center>Contestant:  <b>ON4XX</center></b><table>"
    "<tr><th><center>Band</center></th><th><center>QSOs</center></th>"
    "<th><center>Points</center></th><th><center>New Prefix</center></th>"
    "<th><center>UBA Sec</center></th></tr>"
    "<tr><th><center>40m</center></th><td><center>1</center></td><td><center>1</center></td>"
    "<td><center>1</center></td><td><center>0</center></td></tr>"
    "<tr><th><center>20m</center></th><td><center>3</center></td><td><center>3</center></td>"
    "<td><center>2</center></td><td><center>2</center></td></tr>"
    "<tr><th><center>Total</center></th><td><center>4</center></td><td><center>4</center></td>"
    "<td><center>3</center></td><td><center>2</center></td></tr>"
    "<tr><th><center>Dupe</center></th><td><center>1</center></td><td colspan=5> </td></tr>"
    "<tr><th><center>Bad QSO</center></th><td><center>0</center></td><td colspan=5> </td></tr>"
    "<tr><th>Score:</th><td colspan=6><center>4 * (3 + 2) = 20</center></td></tr>"
    "</table></body></html>";

}  // namespace stats::testing
