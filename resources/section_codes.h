// The UBA section codes of the section window's grid, in control id order:
// code k belongs to check box IDC_SECTION_FIRST + k.  The first 85 (without
// the last, "ARA") are also the choices of the setup window's section combo
// box.
#pragma once

#include <array>
#include <string_view>

namespace stats {

inline constexpr std::array<std::string_view, 86> kGridSections = {
    "AAA", "ACC", "ALT", "ARC", "AST", "ATH", "ATO", "BDX", "BFA",  //
    "BLW", "BRC", "BSE", "BTS", "BXE", "CDZ", "CLR", "CPN", "CRD",  //
    "DNZ", "DRC", "DST", "EKO", "ERA", "GBN", "GBX", "GDV", "GNT",  //
    "GTM", "HAC", "HCC", "HOB", "HRT", "IPR", "KSD", "KTK", "LGE",  //
    "LIR", "LLV", "LUS", "LVN", "MCL", "MLB", "MNS", "MTT", "MWV",  //
    "NBT", "NLB", "NMR", "NNV", "NOK", "NOL", "ODE", "ONZ", "ORA",  //
    "OSA", "OSB", "OST", "RAC", "RAF", "RAM", "RAT", "RBO", "RCA",  //
    "RCB", "RCN", "REM", "RST", "RSX", "SNW", "THN", "TLS", "TRA",  //
    "TRC", "TWS", "UBA", "VHF", "WLD", "WRA", "WRC", "WTN", "WTO",  //
    "XXX", "ZLB", "ZLZ", "ZTM", "ARA"};

// How many of them the setup window's combo box offers.
inline constexpr size_t kComboSections = 85;

}  // namespace stats
