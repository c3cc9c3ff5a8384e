// The Cabrillo 2 and 3 reader (.cbr, .log): the header lines and the QSO:
// lines
//
//   QSO: freq mode date time call-sent [rst] exch... call-rcvd [rst] exch... [t]
//
// with the frequency in kHz or a band designator ("50", "144", "1.2G").  The
// columns after the time are the sent half and the received half; a last
// odd column of 0 or 1 is the transmitter number.  The halves are read by
// column count: an even count splits evenly, and five columns are this
// contest's call, RST and exchange sent followed by the call and RST
// received, the received exchange missing (the host hands such a QSO on
// with an empty exchange).  Both halves have one layout: the call, the RST
// when a half has three columns or more and the column after the call is
// shaped like one in both halves (not so in Field Day, Sweepstakes or NAQP
// exchanges), and the exchange (several columns joined by one blank).
// X-QSO: lines are left out, as the log's author asked.  Lines end in LF,
// CR LF or a lone CR.
#include <cstring>
#include <vector>

#include "host_rules.h"
#include "log.h"

namespace replay {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

void Columns(std::string_view line, std::vector<std::string_view>* out) {
  std::vector<std::string_view>& columns = *out;
  columns.clear();
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    const size_t start = pos;
    while (pos < line.size() && !IsBlank(line[pos])) ++pos;
    if (pos > start) columns.push_back(line.substr(start, pos - start));
  }
}

// Whether a column is shaped like a signal report: two characters (59, 57),
// or three whose tone is 9 (599, 579, 5NN); readability 1 to 5, strength
// 1 to 9 or N.  A serial such as 123 is none.
bool RstShaped(std::string_view column) {
  if (column.size() < 2 || column.size() > 3 || column[0] < '1' || column[0] > '5') return false;
  const auto figure = [](char c) { return (c >= '1' && c <= '9') || c == 'N' || c == 'n'; };
  if (!figure(column[1])) return false;
  return column.size() == 2 || column[2] == '9' || column[2] == 'N' || column[2] == 'n';
}

// Reads `count` columns from `from` in the layout of a half of `width`
// columns (count <= width: the missing columns are the last ones) into the
// QSO's texts: the call, the RST when with_rst ("599" when the half has
// none) and the exchange.
void ReadHalf(const std::vector<std::string_view>& columns, size_t from, size_t count,
              bool with_rst, std::string* call, std::string* rst, std::string* exchange) {
  UpperInto(columns[from], call);
  size_t next = from + 1;
  if (with_rst && next < from + count) {
    rst->assign(columns[next++]);
  } else {
    rst->assign("599");
  }
  exchange->clear();
  for (; next < from + count; ++next) {
    if (!exchange->empty()) exchange->push_back(' ');
    exchange->append(columns[next]);
  }
}

// The frequency column: a band designator ("50", "144", "1.2G"), or kHz.
bool ReadFrequency(std::string_view text, LogQso* qso) {
  if (const std::optional<BandDesignator> designator = CabrilloBandDesignator(text)) {
    qso->frequency_hz = designator->hz;
    qso->band = designator->band;
    return true;
  }
  std::optional<uint32_t> hz = KilohertzToHz(text);
  if (!hz) return false;
  if (*hz < 1000u * 1000u) {  // below 1000 kHz: a designator in MHz
    const std::optional<uint32_t> mhz = MegahertzToHz(text);
    if (!mhz) return false;
    hz = mhz;
  }
  qso->frequency_hz = *hz;
  qso->band = BandOfFrequency(*hz);
  return true;
}

bool ReadQsoLine(const std::vector<std::string_view>& c, LogQso* qso, std::string* reason) {
  if (c.size() < 8) {
    *reason = "a QSO: line needs at least 8 columns, this one has " + std::to_string(c.size());
    return false;
  }
  if (!ReadFrequency(c[0], qso)) {
    *reason = "frequency '" + std::string(c[0]) + "' is neither a number of kHz nor a band";
    return false;
  }
  qso->mode = CabrilloModeText(c[1]);
  const std::optional<QsoTime> day = ParseDate(c[2]);
  if (!day || c[2].size() != 10) {
    *reason = "date '" + std::string(c[2]) + "' is not a date (YYYY-MM-DD)";
    return false;
  }
  qso->time = *day;
  if (c[3].size() != 4 || !ParseTimeOfDay(c[3], &qso->time)) {
    *reason = "time '" + std::string(c[3]) + "' is not a time (HHMM)";
    return false;
  }
  size_t rest = c.size() - 4;
  if (rest % 2 == 1 && (c.back() == "0" || c.back() == "1")) --rest;  // the transmitter number
  // Five columns are this contest's call, RST and exchange sent, and the
  // call and RST received: the received exchange is missing.  Any other odd
  // count cannot be split.
  if (rest % 2 == 1 && rest != 5) {
    *reason = "the exchange columns cannot be split into a sent and a received half";
    return false;
  }
  const size_t width = (rest + 1) / 2;
  // A half of three columns or more has an RST after the call when that
  // column is shaped like one, in both halves: Field Day, Sweepstakes and
  // NAQP exchanges (2A EPA, 1 A 67 VA, JOHN PA) have none, and their first
  // column is part of the exchange.
  const size_t received = 4 + width;
  const bool with_rst = width >= 3 && RstShaped(c[5]) &&
                        (rest - width < 2 || RstShaped(c[received + 1]));
  ReadHalf(c, 4, width, with_rst, &qso->own_call, &qso->rst_sent, &qso->exchange_sent);
  ReadHalf(c, received, rest - width, with_rst, &qso->call, &qso->rst_received,
           &qso->exchange_received);
  qso->prefix.clear();
  return true;
}

// The lines of a source one by one, each without its end: CR LF, LF or a
// lone CR each end a line, as NextLine splits a text.
class LineReader {
 public:
  explicit LineReader(ByteSource& source) : window_(source) {}

  // The next line, valid until the next call; false at the end.
  bool Next(std::string_view* line) {
    window_.Skip(skip_);
    skip_ = 0;
    size_t searched = 0;
    while (true) {
      const std::string_view text = window_.View();
      // The first CR or LF: the LF first, then a CR before it.
      const char* const begin = text.data();
      const void* lf = std::memchr(begin + searched, '\n', text.size() - searched);
      size_t end = lf != nullptr ? static_cast<size_t>(static_cast<const char*>(lf) - begin)
                                 : text.size();
      if (const void* cr = std::memchr(begin + searched, '\r', end - searched)) {
        end = static_cast<size_t>(static_cast<const char*>(cr) - begin);
      }
      if (end < text.size()) {
        size_t after = end + 1;
        if (text[end] == '\r') {
          // Is it CR LF?  The LF may not be read yet.
          if (end + 1 >= text.size()) window_.Fill(end + 2);
          const std::string_view more = window_.View();
          if (end + 1 < more.size() && more[end + 1] == '\n') after = end + 2;
        }
        *line = window_.View().substr(0, end);
        skip_ = after;
        return true;
      }
      searched = text.size();
      if (!window_.More()) break;
    }
    const std::string_view rest = window_.View();
    if (rest.empty()) return false;
    *line = rest;
    skip_ = rest.size();
    return true;
  }

 private:
  ReadWindow window_;
  size_t skip_ = 0;  // the line handed out last, with its end
};

}  // namespace

std::string StreamCabrillo(ByteSource& source, LogReceiver& receiver) {
  std::string header_call;
  std::string first_qso_call;
  bool any_qso = false;
  LineReader lines(source);
  std::string_view line;
  int line_number = 0;
  std::vector<std::string_view> columns;
  std::string tag;
  LogQso qso;
  HeaderLine header;
  std::string reason;
  while (lines.Next(&line)) {
    ++line_number;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    UpperInto(Trim(line.substr(0, colon)), &tag);
    if (tag == "QSO") {
      // Every field is set anew by a line that is read; the texts keep their
      // room from line to line.
      qso.number = line_number;
      qso.line = line_number;
      reason.clear();
      if (line.find('\0') != std::string_view::npos) {
        // The host hands texts on as C strings: a NUL would cut them.
        receiver.OnProblem({line_number, "the line holds a NUL byte"});
        continue;
      }
      Columns(line.substr(colon + 1), &columns);
      if (ReadQsoLine(columns, &qso, &reason)) {
        if (!any_qso) first_qso_call = qso.own_call;
        any_qso = true;
        receiver.OnQso(qso);
      } else {
        receiver.OnProblem({line_number, reason});
      }
    } else if (tag != "X-QSO" && !tag.empty()) {
      header.line = line_number;
      header.tag = tag;
      header.value.assign(Trim(line.substr(colon + 1)));
      if (tag == "CALLSIGN") header_call = Upper(header.value);
      receiver.OnHeader(header);
    }
  }
  return header_call.empty() ? first_qso_call : header_call;
}

}  // namespace replay
