#include "reports/cabrillo_writer.h"

#include <algorithm>

#include "platform/platform.h"

namespace stats {
namespace {

// The value, then blanks up to width.
void AppendPadRight(std::string* out, std::string_view value, size_t width) {
  out->append(value);
  if (value.size() < width) out->append(width - value.size(), ' ');
}

// Blanks up to width, then the value.
void AppendPadLeft(std::string* out, std::string_view value, size_t width) {
  if (value.size() < width) out->append(width - value.size(), ' ');
  out->append(value);
}

std::string Line(std::string_view tag, std::string_view value) {
  std::string out(tag);
  out.append(value);
  out.append("\r\n");
  return out;
}

// value with at least width digits (leading zeros); value is not negative.
void AppendNumber(std::string* out, int value, int width) {
  // The usual cases of a date: two digits, and a year of four.
  if (width <= 2 && value >= 10 && value < 100) {
    out->push_back(static_cast<char>('0' + value / 10));
    out->push_back(static_cast<char>('0' + value % 10));
    return;
  }
  if (width == 2 && value >= 0 && value < 10) {
    out->push_back('0');
    out->push_back(static_cast<char>('0' + value));
    return;
  }
  const size_t at = out->size();
  do {
    out->push_back(static_cast<char>('0' + value % 10));
    value /= 10;
    --width;
  } while (value > 0 || width > 0);
  std::reverse(out->begin() + static_cast<std::ptrdiff_t>(at), out->end());
}

// The QSO's date and time as FormatDate writes "%Y-%m-%d %H%M", without
// going through the format: "" for a null date, "Invalid DateTime" for one
// that is not valid.
void AppendQsoTime(std::string* out, const OleDate& time) {
  if (time.status == OleDate::Status::kNull) return;
  CivilTime t;
  if (!ToCivil(time, &t)) {
    out->append("Invalid DateTime");
    return;
  }
  AppendNumber(out, t.year, 1);
  out->push_back('-');
  AppendNumber(out, t.month, 2);
  out->push_back('-');
  AppendNumber(out, t.day, 2);
  out->push_back(' ');
  AppendNumber(out, t.hour, 2);
  AppendNumber(out, t.minute, 2);
}

}  // namespace

void AppendQsoLine(std::string* out, const CInfo& r, std::string_view mode,
                   std::string_view call_sent) {
  out->append("QSO: ");
  AppendPadLeft(out, std::to_string(r.frequency_khz), 5);
  out->push_back(' ');
  AppendPadLeft(out, mode, 2);
  out->push_back(' ');
  AppendQsoTime(out, r.time);
  out->push_back(' ');
  AppendPadRight(out, call_sent, 13);
  out->push_back(' ');
  AppendPadRight(out, r.rst_sent, 3);
  out->push_back(' ');
  AppendPadRight(out, r.exchange_sent, 6);
  out->push_back(' ');
  AppendPadRight(out, r.call, 13);
  out->push_back(' ');
  AppendPadRight(out, r.rst_received, 3);
  out->push_back(' ');
  out->append(r.exchange_received);
  out->append("\r\n");
}

std::string FormatQsoLine(const CInfo& r, std::string_view mode, std::string_view call_sent) {
  std::string line;
  AppendQsoLine(&line, r, mode, call_sent);
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

CabrilloLog BuildCabrilloLog(const CabrilloHeader& header, int claimed_score,
                             std::string_view host_version, const QsoStore& store) {
  CabrilloLog log;
  log.file_name = header.log_base_name + ".cbr";
  log.text = FormatCabrilloHeader(header, claimed_score, host_version);
  // A line is about 80 bytes: one allocation in the common case.
  log.text.reserve(log.text.size() + store.Count() * (84 + header.station_callsign.size()) + 16);
  log.piece_ends.reserve(store.Count() + 2);
  log.piece_ends.push_back(log.text.size());
  for (size_t i = 0; i < store.Count(); ++i) {
    AppendQsoLine(&log.text, store.At(i), kCabrilloMode, header.station_callsign);
    log.piece_ends.push_back(log.text.size());
  }
  log.text.append("END-OF-LOG:\r\n");
  log.piece_ends.push_back(log.text.size());
  return log;
}

std::string WriteCabrilloLog(const CabrilloLog& log) {
  // The earlier log is replaced only by a complete new one.
  std::string reason;
  std::vector<std::string_view> pieces;
  pieces.reserve(log.piece_ends.size());
  size_t start = 0;
  for (const size_t end : log.piece_ends) {
    pieces.push_back(std::string_view(log.text).substr(start, end - start));
    start = end;
  }
  if (ReplaceFile(log.file_name, pieces, &reason)) return "File produced: " + log.file_name;
  return "File not produced: " + log.file_name + " (" + reason + ")";
}

}  // namespace stats
