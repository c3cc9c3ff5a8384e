#include "reports/cabrillo_writer.h"

#include <charconv>

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

void AppendDigits(char* at, int value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    at[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
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
  // Years run from 100 to 9999: three or four digits.
  const int year_digits = t.year >= 1000 ? 4 : 3;
  char text[16];
  AppendDigits(text, t.year, year_digits);
  char* p = text + year_digits;
  *p++ = '-';
  AppendDigits(p, t.month, 2);
  p += 2;
  *p++ = '-';
  AppendDigits(p, t.day, 2);
  p += 2;
  *p++ = ' ';
  AppendDigits(p, t.hour, 2);
  AppendDigits(p + 2, t.minute, 2);
  p += 4;
  out->append(text, static_cast<size_t>(p - text));
}

}  // namespace

void AppendQsoLine(std::string* out, const CInfo& r, std::string_view mode,
                   std::string_view call_sent) {
  char frequency[16];
  const auto [end, ec] = std::to_chars(frequency, frequency + sizeof frequency, r.frequency_khz);
  (void)ec;  // an int32 always fits
  out->append("QSO: ");
  AppendPadLeft(out, std::string_view(frequency, static_cast<size_t>(end - frequency)), 5);
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
  if (ReplaceFileWithViews(log.file_name, pieces, &reason)) return "File produced: " + log.file_name;
  return "File not produced: " + log.file_name + " (" + reason + ")";
}

}  // namespace stats
