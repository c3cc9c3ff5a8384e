// Made-up contest logs of any size for the benchmarks: calls of the shapes
// of a list of active contest calls, the six contest bands, about 5%
// duplicates, about 10% Belgian stations sending UBA sections (a few of
// them unknown: bad QSOs), a few QSOs on a band outside the contest, and
// serial numbers from everyone else.  The same seed gives the same log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace loggen {

struct Qso {
  std::string call;
  std::string band;  // "20m"
  uint32_t frequency_khz = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::string exchange_sent;      // the own serial number
  std::string exchange_received;  // a serial number or a UBA section
  std::string prefix;             // the call's prefix (letters and digits up to its last digit)
  std::string country;            // a country prefix ("ON" for Belgium)
  double OleDays() const;
};

// The calls of a call list (one a line, '#' starts a comment); empty when
// the file cannot be read.
std::vector<std::string> ReadCallList(const std::string& path);

class Generator {
 public:
  // shapes: calls whose shapes the log's calls take (a fresh call keeps a
  // shape's prefix and replaces its suffix letters); when empty, shapes are
  // made up.
  Generator(std::vector<std::string> shapes, uint32_t seed);
  Qso Next();
  // A call never handed out by Next(), of the same shapes.
  std::string FreshCall();

 private:
  std::string MadeUpCall();
  std::vector<std::string> shapes_;
  std::mt19937 random_;
  std::unordered_set<std::string> used_;
  std::vector<std::pair<std::string, int>> worked_;  // call and band index, for duplicates
  long long serial_ = 0;
  long long seconds_ = 0;  // since the start of the contest
};

// Letters and digits up to the last digit of the call's longest part.
std::string PrefixOf(const std::string& call);

// One ADIF record with its line end, as a logger exports it.
void AppendAdifRecord(const Qso& qso, const std::string& own_call, std::string* out);

}  // namespace loggen
