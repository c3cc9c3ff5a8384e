// The prefix of a call sign by the WPX contest rules.
#pragma once

#include <string>
#include <string_view>

#include "callsign.h"

namespace replay {

// The WPX prefix of a call, its parts found as SplitCall finds them:
//  - a home call's prefix is the part up to and including its last digit
//    (ON4ABC gives ON4); a call without a digit takes its first two letters
//    and 0 (RAEM: RA0); a call whose only digit leads it is read as such a
//    designator is, below: its first two characters (4UNR: 4U, 6YA: 6Y);
//  - a single digit after a slash replaces the call's last digit (K1ABC/2:
//    K2);
//  - a location designator becomes the prefix: without a digit it gets a 0
//    after its letters (PA/ON4ABC: PA0, M/DJ1AA: M0); with one it is read as
//    a call's prefix is (KH6, VP2V: VP2), except that a designator whose
//    only digit leads it stays whole (9A/DD4YR: 9A, VE4GV/6Y: 6Y), since a
//    lone digit is no prefix and a 0 is added only where the designator has
//    no digit at all;
//  - marks that are no location (/P, /M, /MM, /AM, /QRP, licence classes
//    such as /A, /E, /J) do not count.
// is_listed (may be empty) settles which of two equally long parts is the
// designator.  An empty call gives "".
std::string WpxPrefix(std::string_view call, const PrefixTest& is_listed = {});

}  // namespace replay
