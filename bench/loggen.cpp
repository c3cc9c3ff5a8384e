#include "loggen.h"

#include "log.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace loggen {
namespace {

constexpr const char* kSections[] = {"AAA", "ACC", "ALT", "ARA", "BDX", "BTS", "CRD", "DNZ",
                                     "DRC", "EKO", "GBN", "GDV", "KTK", "LGE", "LIR", "LUS",
                                     "MCL", "MNS", "NOK", "ODE", "ORA", "OST", "RAC", "RAT",
                                     "RCA", "TLS", "TRA", "WLD", "WTO", "ZTM"};
struct Band {
  const char* name;
  uint32_t khz;
};
constexpr Band kBands[] = {{"160m", 1840},  {"80m", 3582},   {"40m", 7042},
                           {"20m", 14072}, {"15m", 21072}, {"10m", 28122}};
constexpr Band kOutsideBand = {"30m", 10142};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

std::string PrefixOf(const std::string& call) {
  std::string part;
  size_t start = 0;
  while (start <= call.size()) {
    const size_t slash = call.find('/', start);
    const std::string piece = call.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (piece.size() > part.size()) part = piece;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  const size_t last = part.find_last_of("0123456789");
  return last == std::string::npos ? part + "0" : part.substr(0, last + 1);
}

namespace {

std::string CountryOf(const std::string& call) {
  if (call.size() >= 2 && call.compare(0, 2, "ON") == 0) return "ON";
  return call.substr(0, IsDigit(call[1]) ? 1 : 2);
}

std::string Padded(long long value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), '0');
  return text;
}

}  // namespace

double Qso::OleDays() const {
  return replay::QsoTime{year, month, day, hour, minute, second}.OleDays();
}

std::vector<std::string> ReadCallList(const std::string& path) {
  std::vector<std::string> calls;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    bool ok = line.size() >= 3 && line.size() <= 12 &&
              line.find_first_of("0123456789") != std::string::npos;
    for (const char c : line) ok = ok && (IsDigit(c) || IsLetter(c) || c == '/');
    if (ok) calls.push_back(line);
  }
  return calls;
}

Generator::Generator(std::vector<std::string> shapes, uint32_t seed)
    : shapes_(std::move(shapes)), random_(seed) {}

std::string Generator::MadeUpCall() {
  static constexpr const char* kHeads[] = {"DL", "F", "G", "K", "W", "N", "JA", "UA", "I",
                                           "EA", "SP", "OK", "PA", "VE", "YO", "LZ", "HA", "S5"};
  std::string call = kHeads[random_() % std::size(kHeads)];
  call += static_cast<char>('0' + random_() % 10);
  const int letters = 1 + static_cast<int>(random_() % 3);
  for (int i = 0; i < letters; ++i) call += static_cast<char>('A' + random_() % 26);
  return call;
}

std::string Generator::FreshCall() {
  for (int attempt = 0;; ++attempt) {
    std::string call;
    if (!shapes_.empty()) {
      // A listed call's prefix with a suffix of as many letters, or one more
      // once the list's shapes grow crowded.
      call = shapes_[random_() % shapes_.size()];
      const size_t last = call.find_last_of("0123456789");
      if (last == std::string::npos || call.find('/') != std::string::npos) continue;
      const size_t suffix = std::max<size_t>(1, call.size() - last - 1) + (attempt > 3 ? 1 : 0);
      call.resize(last + 1);
      for (size_t i = 0; i < suffix; ++i) call += static_cast<char>('A' + random_() % 26);
    } else {
      call = MadeUpCall();
      if (attempt > 3) call += static_cast<char>('A' + random_() % 26);
    }
    if (call.compare(0, 2, "ON") == 0) continue;  // Belgian calls are made apart
    if (used_.insert(call).second) return call;
  }
}

Qso Generator::Next() {
  Qso qso;
  const unsigned roll = random_() % 1000;
  int band = static_cast<int>(random_() % std::size(kBands));
  if (roll < 50 && !worked_.empty()) {
    // A duplicate: a call worked before, on the same band.
    const auto& [call, worked_band] = worked_[random_() % worked_.size()];
    qso.call = call;
    band = worked_band;
  } else if (roll < 150) {
    // A Belgian station: ON, OO, OR, OT with a digit and two or three letters.
    static constexpr const char* kHeads[] = {"ON", "OO", "OR", "OT"};
    do {
      qso.call = std::string(kHeads[random_() % 4]) + static_cast<char>('0' + random_() % 10);
      const int letters = 2 + static_cast<int>(random_() % 2);
      for (int i = 0; i < letters; ++i) qso.call += static_cast<char>('A' + random_() % 26);
    } while (!used_.insert(qso.call).second && used_.size() < 2000000);
  } else {
    qso.call = FreshCall();
  }
  const bool belgian = qso.call[0] == 'O';
  if (roll >= 50) worked_.emplace_back(qso.call, band);
  const Band& b = roll >= 990 ? kOutsideBand : kBands[band];
  qso.band = b.name;
  qso.frequency_khz = b.khz + random_() % 8;
  // Two days from 2026-01-03 12:00, a QSO every few seconds on average.
  seconds_ += random_() % 3;
  const long long at = 12 * 3600 + seconds_ % (48 * 3600);
  qso.year = 2026;
  qso.month = 1;
  qso.day = 3 + static_cast<int>(at / 86400);
  qso.hour = static_cast<int>(at % 86400 / 3600);
  qso.minute = static_cast<int>(at % 3600 / 60);
  qso.second = static_cast<int>(at % 60);
  qso.exchange_sent = Padded(++serial_, 3);
  if (belgian) {
    // One in twenty sends a section that is not in the table: a bad QSO.
    qso.exchange_received = random_() % 20 == 0 ? "QRT" : kSections[random_() % std::size(kSections)];
  } else {
    qso.exchange_received = Padded(1 + random_() % 2000, 3);
  }
  qso.prefix = PrefixOf(qso.call);
  qso.country = CountryOf(qso.call);
  return qso;
}

void AppendAdifRecord(const Qso& q, const std::string& own_call, std::string* out) {
  const auto field = [out](const char* name, const std::string& value) {
    out->append("<").append(name).append(":").append(std::to_string(value.size())).append(">");
    out->append(value).append(" ");
  };
  field("CALL", q.call);
  field("QSO_DATE", Padded(q.year, 4) + Padded(q.month, 2) + Padded(q.day, 2));
  field("TIME_ON", Padded(q.hour, 2) + Padded(q.minute, 2) + Padded(q.second, 2));
  std::string band = q.band;
  for (char& c : band) c = c == 'm' ? 'M' : c;
  field("BAND", band);
  field("FREQ", std::to_string(q.frequency_khz / 1000) + "." + Padded(q.frequency_khz % 1000, 3));
  field("MODE", "PSK");
  field("SUBMODE", "PSK63");
  field("RST_SENT", "599");
  field("RST_RCVD", "599");
  field("STX_STRING", q.exchange_sent);
  field("SRX_STRING", q.exchange_received);
  field("STATION_CALLSIGN", own_call);
  out->append("<EOR>\n");
}

}  // namespace loggen
