// The prefix of a call sign by the usual WPX contest rules.
#pragma once

#include <string>
#include <string_view>

namespace replay {

// The WPX prefix of a call:
//  - the part up to and including the last digit (ON4ABC gives ON4);
//  - the portable designators /P, /M, /MM, /AM and /QRP are ignored;
//  - a single digit after a slash replaces the call's digit (K1ABC/2: K2);
//  - a prefix before or after a slash wins (PA/ON4ABC: PA0), with 0 added
//    when it has no digit;
//  - a call without a digit takes its first two letters and 0 (RAEM: RA0).
// Letters are taken in upper case; an empty call gives "".
std::string WpxPrefix(std::string_view call);

}  // namespace replay
