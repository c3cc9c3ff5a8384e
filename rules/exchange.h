// The UBA section table and the exchange rules of the contest: a Belgian
// station sends its section (or a three-digit number), every other station a
// three- or four-digit serial number.
#pragma once

#include <array>
#include <string_view>

namespace stats {

inline constexpr std::array<std::string_view, 91> kUbaSections = {
    "AAA", "ACC", "ALT", "ARA", "ARC", "AST", "ATH", "ATO", "BDX", "BFA", "BLW", "BRC", "BSE",
    "BTS", "BXE", "CDZ", "CLR", "CPN", "CRD", "DNZ", "DRC", "DST", "EKO", "ERA", "ESM", "GBN",
    "GBX", "GDV", "GNT", "GRC", "GTM", "HAC", "HCC", "HOB", "HRT", "IPR", "KSD", "KTK", "LGE",
    "LIR", "LLV", "LUS", "LVN", "MCL", "MLB", "MNS", "MTT", "MWV", "NBT", "NLB", "NMR", "NNV",
    "NOK", "NOL", "ODE", "ONZ", "ORA", "OSA", "OSB", "OST", "RAC", "RAF", "RAM", "RAT", "RBO",
    "RCA", "RCB", "RCN", "REM", "RST", "RSX", "SBS", "SNW", "THN", "TLS", "TOR", "TRA", "TRC",
    "TRK", "TWS", "UBA", "VHF", "WLD", "WRA", "WRC", "WTN", "WTO", "XXX", "ZLB", "ZLZ", "ZTM"};

// True if text is one of the 91 section codes (exact, case-sensitive).
bool IsUbaSection(std::string_view text);

// Whether a received exchange is acceptable from a station of this country.
bool IsValidExchange(std::string_view exchange, std::string_view country);

}  // namespace stats
