// The parts of a call sign as it is logged: the station's home call and what
// the slashes around it add (a location designator, a new call area, a
// maritime or aeronautical mobile mark).  Both the WPX prefix and the
// country of a call are worked out from these parts.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace replay {

struct CallParts {
  std::string home;        // the station's own call: DD4YR in 9A/DD4YR
  std::string designator;  // a location designator (9A, PA, KH6, MM); empty when none
  char area = 0;           // a single digit after the call (K1ABC/2); 0 when none
  bool maritime = false;   // /MM or /AM after the call: in no country
};

// Whether a part after the call (in capitals) marks how or under which
// licence class the station operates, not where: /P, /M, /MM, /AM, /QRP,
// /QRPP and any single letter.
bool IsOperatingMark(std::string_view part);

// Whether a text is listed as a prefix of some entity of the country file.
using PrefixTest = std::function<bool(std::string_view)>;

// Splits a call (taken in upper case, blanks around ignored):
//  - the longest part is the home call.  Of two equally long parts the
//    designator is the one listed as a prefix when only one is, else the one
//    shaped like a prefix (no letter after its last digit), else the first
//    (a designator before the call is the licensing convention);
//  - after the call, /P, /M, /MM, /AM, /QRP, /QRPP and any single letter
//    (licence classes such as /A, /E, /J; /B, /C, /X, /Z...) mark no
//    location; a single digit is a new call area; any other part is a
//    location only when it has the shape of a designator with a digit (W8,
//    KH6, 6Y: at most four characters, no letter after the last digit) or
//    is listed whole as a prefix (PA, VP2V), and never /LH (lighthouse):
//    /LGT, /SAT, /Y2K, /STS50 leave the home call to decide;
//  - before the call every part is a location designator: M/DJ1AA is
//    England and MM/W6PNG Scotland, not mobile and maritime mobile;
//  - of several designators the first counts.
// is_listed may be empty; then only the shape decides (and a part after the
// call without a digit is no location).
CallParts SplitCall(std::string_view call, const PrefixTest& is_listed = {});

}  // namespace replay
