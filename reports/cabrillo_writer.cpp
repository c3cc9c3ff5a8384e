#include "reports/cabrillo_writer.h"

#include "platform/platform.h"

namespace stats {
namespace {

// The value, then blanks up to width.
std::string PadRight(std::string_view value, size_t width) {
  std::string out(value);
  if (out.size() < width) out.append(width - out.size(), ' ');
  return out;
}

// Blanks up to width, then the value.
std::string PadLeft(std::string_view value, size_t width) {
  std::string out;
  if (value.size() < width) out.assign(width - value.size(), ' ');
  out.append(value);
  return out;
}

std::string Line(std::string_view tag, std::string_view value) {
  std::string out(tag);
  out.append(value);
  out.append("\r\n");
  return out;
}

}  // namespace

std::string FormatQsoLine(const CInfo& r, std::string_view mode, std::string_view call_sent) {
  std::string line = "QSO: ";
  line += PadLeft(std::to_string(r.frequency_khz), 5) + " ";
  line += PadLeft(mode, 2) + " ";
  line += FormatDate(r.time, "%Y-%m-%d %H%M") + " ";
  line += PadRight(call_sent, 13) + " ";
  line += PadRight(r.rst_sent, 3) + " ";
  line += PadRight(r.exchange_sent, 6) + " ";
  line += PadRight(r.call, 13) + " ";
  line += PadRight(r.rst_received, 3) + " ";
  line += r.exchange_received;
  line += "\r\n";
  return line;
}

std::string FormatCabrilloHeader(const CabrilloHeader& h, int claimed_score,
                                 std::string_view host_version) {
  std::string out = "START-OF-LOG: 3.0\r\n";
  out += Line("ARRL-SECTION: ", h.location);
  out += Line("CALLSIGN: ", h.station_callsign);
  out += Line("CONTEST: ", kCabrilloContest);
  out += Line("CATEGORY-OPERATOR: ", h.category_operator);
  out += Line("CATEGORY-ASSISTED: ", h.category_assisted);
  out += Line("CATEGORY-BAND: ", h.category_band);
  out += Line("CATEGORY-MODE: ", h.category_mode);
  out += Line("CATEGORY-POWER: ", h.category_power);
  out += "CATEGORY-STATION: FIXED \r\n";
  out += Line("CATEGORY-TRANSMITTER: ", h.category_transmitter);
  out += Line("CATEGORY-OVERLAY: ", h.category_overlay);
  out += Line("CLAIMED-SCORE: ", std::to_string(claimed_score));
  out += Line("CLUB: ", h.club);
  out += Line("LOCATION: ", h.location);
  out += Line("CREATED-BY: Zelk ", host_version);
  out += Line("NAME: ", h.name);
  out += Line("ADDRESS: ", h.address);
  out += Line("ADDRESS-CITY: ", h.address_city);
  out += Line("ADDRESS-STATE: ", h.address_state);
  out += Line("ADDRESS-POSTALCODE: ", h.address_postalcode);
  out += Line("ADDRESS-COUNTRY: ", h.address_country);
  out += Line("OPERATORS: ", h.operators);
  out += Line("EMAIL: ", h.email);
  out += Line("SOAPBOX: ", h.soapbox);
  return out;
}

std::string CabrilloLog::Text() const {
  std::string text;
  for (const std::string& piece : pieces) text += piece;
  return text;
}

CabrilloLog BuildCabrilloLog(const CabrilloHeader& header, int claimed_score,
                             std::string_view host_version, const QsoStore& store) {
  CabrilloLog log;
  log.file_name = header.log_base_name + ".cbr";
  log.pieces.reserve(store.Count() + 2);
  log.pieces.push_back(FormatCabrilloHeader(header, claimed_score, host_version));
  for (size_t i = 0; i < store.Count(); ++i) {
    log.pieces.push_back(FormatQsoLine(store.At(i), kCabrilloMode, header.station_callsign));
  }
  log.pieces.push_back("END-OF-LOG:\r\n");
  return log;
}

std::string WriteCabrilloLog(const CabrilloLog& log) {
  // The earlier log is replaced only by a complete new one.
  std::string reason;
  if (ReplaceFile(log.file_name, log.pieces, &reason)) return "File produced: " + log.file_name;
  return "File not produced: " + log.file_name + " (" + reason + ")";
}

}  // namespace stats
