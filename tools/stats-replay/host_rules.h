// What the host works out for a QSO before it calls the plug-in: the band
// name from the frequency, the mode text, serial numbers as the host prints
// them.  Pure functions over texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace replay {

// The band name ("160m" ... "10m", 60m and the WARC bands, "6m", "4m",
// "2m", "1.25m", "70cm", "33cm", "23cm", "13cm", "9cm") of a frequency by
// the amateur band plan; "" outside every band.
std::string BandOfFrequency(uint64_t hz);

// A band designator of a Cabrillo frequency column above 30 MHz ("50",
// "144", "222", "432", "902", "1.2G", "2.3G", "3.4G", "5.7G", "10G", "24G",
// "47G", "75G", "122G", "134G", "241G", "LIGHT"): the band name, and the
// band's lowest frequency in Hz when it fits 32 bits (0 when not).
struct BandDesignator {
  std::string band;
  uint32_t hz = 0;
};
std::optional<BandDesignator> CabrilloBandDesignator(std::string_view text);

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
// The same into a string that keeps its room from one use to the next.
void UpperInto(std::string_view text, std::string* out);
std::string_view Trim(std::string_view text);

// The line of text that starts at *pos, without its end, and moves *pos
// past the end: CR LF, LF or a lone CR each end a line.  nullopt when *pos
// is at the end of the text.
std::optional<std::string_view> NextLine(std::string_view text, size_t* pos);

// The text with control bytes (below 0x20, and 0x7F) written as \xHH, so
// that a message shows what a file holds without reaching the terminal as
// control codes.
std::string Printable(std::string_view text);

}  // namespace replay
