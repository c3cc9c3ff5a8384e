#include "reports/cabrillo_writer.h"

#include <algorithm>
#include <cstring>

#include "model/file_name.h"
#include "platform/platform.h"

namespace stats {
namespace {

std::string Line(std::string_view tag, std::string_view value) {
  std::string out(tag);
  out.append(value);
  out.append("\r\n");
  return out;
}

// Writes a line's fields into room sized for them beforehand.
class LineWriter {
 public:
  explicit LineWriter(char* at) : at_(at) {}
  static size_t PaddedSize(std::string_view value, size_t width) {
    return std::max(value.size(), width);
  }
  void Text(std::string_view value) {
    if (!value.empty()) std::memcpy(at_, value.data(), value.size());
    at_ += value.size();
  }
  void Blanks(size_t count) {
    std::memset(at_, ' ', count);
    at_ += count;
  }
  // The value, then blanks up to width.
  void PadRight(std::string_view value, size_t width) {
    Text(value);
    if (value.size() < width) Blanks(width - value.size());
  }
  // Blanks up to width, then the value.
  void PadLeft(std::string_view value, size_t width) {
    if (value.size() < width) Blanks(width - value.size());
    Text(value);
  }
  void Char(char c) { *at_++ = c; }
  // The characters of a number written in decimal, a minus sign included.
  static size_t DecimalSize(int32_t value) {
    size_t size = value < 0 ? 2 : 1;
    for (int64_t rest = value < 0 ? -int64_t{value} : value; rest >= 10; rest /= 10) ++size;
    return size;
  }
  // The number in its DecimalSize(value) characters.
  void Decimal(int32_t value, size_t size) {
    int64_t rest = value;
    if (rest < 0) {
      *at_ = '-';
      rest = -rest;
    }
    const size_t first = value < 0 ? 1 : 0;
    for (size_t i = size; i-- > first; rest /= 10) {
      at_[i] = static_cast<char>('0' + rest % 10);
    }
    at_ += size;
  }
  void Time(const QsoTimeText& time) { at_ = time.WriteTo(at_); }

 private:
  char* at_;
};

}  // namespace

void AppendQsoLine(std::string* out, const CInfo& r, std::string_view mode,
                   std::string_view call_sent) {
  const size_t frequency = LineWriter::DecimalSize(r.frequency_khz);
  const QsoTimeText time(r.time);
  const std::string_view rst_sent = r.rst_sent, exchange_sent = r.exchange_sent, call = r.call,
                         rst_received = r.rst_received, exchange_received = r.exchange_received;
  const size_t size = 5 + std::max<size_t>(frequency, 5) + 1 +
                      LineWriter::PaddedSize(mode, 2) + 1 + time.size() + 1 +
                      LineWriter::PaddedSize(call_sent, 13) + 1 +
                      LineWriter::PaddedSize(rst_sent, 3) + 1 +
                      LineWriter::PaddedSize(exchange_sent, 6) + 1 +
                      LineWriter::PaddedSize(call, 13) + 1 +
                      LineWriter::PaddedSize(rst_received, 3) + 1 + exchange_received.size() + 2;
  const size_t at = out->size();
  out->resize(at + size);
  LineWriter line(out->data() + at);
  line.Text("QSO: ");
  if (frequency < 5) line.Blanks(5 - frequency);
  line.Decimal(r.frequency_khz, frequency);
  line.Char(' ');
  line.PadLeft(mode, 2);
  line.Char(' ');
  line.Time(time);
  line.Char(' ');
  line.PadRight(call_sent, 13);
  line.Char(' ');
  line.PadRight(rst_sent, 3);
  line.Char(' ');
  line.PadRight(exchange_sent, 6);
  line.Char(' ');
  line.PadRight(call, 13);
  line.Char(' ');
  line.PadRight(rst_received, 3);
  line.Char(' ');
  line.Text(exchange_received);
  line.Text("\r\n");
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
  for (size_t i = 0; i < store.Count(); ++i) {
    AppendQsoLine(&log.text, store.At(i), kCabrilloMode, header.station_callsign);
  }
  log.text.append("END-OF-LOG:\r\n");
  return log;
}

std::string WriteCabrilloLog(const CabrilloLog& log) {
  // The name must name one file of the host's folder and nothing else.
  std::string reason = file_names::Problem(log.file_name);
  if (!reason.empty()) return "File not produced: " + log.file_name + " (" + reason + ")";
  // The earlier log is replaced only by a complete new one.
  if (ReplaceFile(log.file_name, {log.text}, &reason)) return "File produced: " + log.file_name;
  return "File not produced: " + log.file_name + " (" + reason + ")";
}

}  // namespace stats
