// What the host works out for a QSO before it calls the plug-in: the band
// name from the frequency, the mode text, serial numbers as the host prints
// them.  Pure functions over texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace replay {

// The band name ("160m" ... "10m", the WARC bands, "6m", "2m", "70cm") of a
// frequency by the amateur band plan; "" outside every band.
std::string BandOfFrequency(uint64_t hz);

// A band as logs write it ("20M", " 20m") in the host's spelling ("20m").
std::string NormalBand(std::string_view band);

// The mode text of an ADIF MODE and SUBMODE: PSK with SUBMODE PSK63, or the
// older MODE PSK63, is "BPSK63"; any other mode stands as logged (the
// SUBMODE when there is one).
std::string AdifModeText(std::string_view mode, std::string_view submode);

// The mode text of a Cabrillo mode column: the data modes PM, DG and PK are
// "BPSK63"; any other mode stands as logged.
std::string CabrilloModeText(std::string_view mode);

// A serial number given as a number, with at least three digits ("7" gives
// "007"); a text that is not all digits stands as it is.
std::string SerialText(std::string_view number);

// A decimal number of MHz ("14.0705") in Hz; nullopt unless it is a
// non-negative decimal that fits 32 bits of Hz.
std::optional<uint32_t> MegahertzToHz(std::string_view text);
// A decimal number of kHz ("14070", "14070.5") in Hz, likewise.
std::optional<uint32_t> KilohertzToHz(std::string_view text);

// Text helpers shared by the readers.
std::string Upper(std::string_view text);
std::string_view Trim(std::string_view text);

}  // namespace replay
