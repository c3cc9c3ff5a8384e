#include "host_rules.h"

#include <algorithm>
#include <array>

namespace replay {
namespace {

struct BandEdge {
  uint64_t low_khz;
  uint64_t high_khz;
  const char* name;
};

// The widest edges of the three IARU regions, so that a log from anywhere
// finds its band.
constexpr BandEdge kBandPlan[] = {
    {1800, 2000, "160m"},
    {3500, 4000, "80m"},
    {5060, 5450, "60m"},
    {7000, 7300, "40m"},
    {10100, 10150, "30m"},
    {14000, 14350, "20m"},
    {18068, 18168, "17m"},
    {21000, 21450, "15m"},
    {24890, 24990, "12m"},
    {28000, 29700, "10m"},
    {50000, 54000, "6m"},
    {70000, 71000, "4m"},
    {144000, 148000, "2m"},
    {219000, 225000, "1.25m"},
    {420000, 450000, "70cm"},
    {902000, 928000, "33cm"},
    {1240000, 1300000, "23cm"},
    {2300000, 2450000, "13cm"},
    {3300000, 3500000, "9cm"},
};

struct Designator {
  std::string_view text;  // its length known without counting: every QSO line looks here
  const char* band;
  uint64_t low_khz;
};

constexpr Designator kCabrilloDesignators[] = {
    {"50", "6m", 50000},        {"70", "4m", 70000},        {"144", "2m", 144000},
    {"222", "1.25m", 222000},   {"432", "70cm", 420000},    {"902", "33cm", 902000},
    {"1.2G", "23cm", 1240000},  {"2.3G", "13cm", 2300000},  {"3.4G", "9cm", 3300000},
    {"5.7G", "6cm", 5650000},   {"10G", "3cm", 10000000},   {"24G", "1.25cm", 24000000},
    {"47G", "6mm", 47000000},   {"75G", "4mm", 75500000},   {"122G", "2.5mm", 122250000},
    {"134G", "2mm", 134000000}, {"241G", "1mm", 241000000}, {"LIGHT", "light", 0},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// A non-negative decimal number scaled by 10^digits, rounded half up.
std::optional<uint32_t> ScaledDecimal(std::string_view text, int digits) {
  text = Trim(text);
  const size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  const std::string_view fraction =
      dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if (!whole.empty() && !AllDigits(whole)) return std::nullopt;
  if (!fraction.empty() && !AllDigits(fraction)) return std::nullopt;
  uint64_t value = 0;
  for (char c : whole) {
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > UINT32_MAX) return std::nullopt;
  }
  for (int i = 0; i < digits; ++i) {
    const size_t k = static_cast<size_t>(i);
    value = value * 10 + (k < fraction.size() ? static_cast<uint64_t>(fraction[k] - '0') : 0);
  }
  if (fraction.size() > static_cast<size_t>(digits) && fraction[static_cast<size_t>(digits)] >= '5')
    ++value;
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

}  // namespace

std::string Upper(std::string_view text) {
  std::string out;
  UpperInto(text, &out);
  return out;
}

void UpperInto(std::string_view text, std::string* out) {
  out->assign(text);
  for (char& c : *out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::string_view> NextLine(std::string_view text, size_t* pos) {
  if (*pos >= text.size()) return std::nullopt;
  const size_t start = *pos;
  const size_t end = text.find_first_of("\r\n", start);
  if (end == std::string_view::npos) {
    *pos = text.size();
    return text.substr(start);
  }
  *pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  return text.substr(start, end - start);
}

std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

std::string BandOfFrequency(uint64_t hz) {
  for (const BandEdge& band : kBandPlan) {
    if (hz >= band.low_khz * 1000 && hz <= band.high_khz * 1000) return band.name;
  }
  return "";
}

std::optional<BandDesignator> CabrilloBandDesignator(std::string_view text) {
  // Compared letter by letter, the text's letters taken as capitals: a
  // frequency column of every QSO line comes here.
  const std::string_view given = Trim(text);
  const auto same = [&](std::string_view designator) {
    if (designator.size() != given.size()) return false;
    for (size_t i = 0; i < given.size(); ++i) {
      char c = given[i];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != designator[i]) return false;
    }
    return true;
  };
  for (const Designator& d : kCabrilloDesignators) {
    if (!same(d.text)) continue;
    const uint64_t hz = d.low_khz * 1000;
    return BandDesignator{d.band, hz <= UINT32_MAX ? static_cast<uint32_t>(hz) : 0u};
  }
  return std::nullopt;
}

std::string NormalBand(std::string_view band) {
  std::string out(Trim(band));
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string AdifModeText(std::string_view mode, std::string_view submode) {
  const std::string m = Upper(Trim(mode));
  const std::string s = Upper(Trim(submode));
  if ((m == "PSK" && s == "PSK63") || (m == "PSK63" && s.empty())) return "BPSK63";
  return std::string(Trim(s.empty() ? mode : submode));
}

std::string CabrilloModeText(std::string_view mode) {
  const std::string m = Upper(Trim(mode));
  if (m == "PM" || m == "DG" || m == "PK") return "BPSK63";
  return std::string(Trim(mode));
}

std::string SerialText(std::string_view number) {
  const std::string_view n = Trim(number);
  if (!AllDigits(n) || n.size() >= 3) return std::string(n);
  return std::string(3 - n.size(), '0') + std::string(n);
}

std::optional<uint32_t> MegahertzToHz(std::string_view text) { return ScaledDecimal(text, 6); }

std::optional<uint32_t> KilohertzToHz(std::string_view text) { return ScaledDecimal(text, 3); }

}  // namespace replay
