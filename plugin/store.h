// The contest data shared by the exports, the rules, the reports and the
// windows: the QSO store with its record CInfo, the accepted-mode and
// accepted-band lists, and the small per-band lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plugin/oledate.h"

namespace stats {

// One QSO of the store.
struct CInfo {
  std::string call;               // worked station's call sign
  std::string country;            // worked station's country prefix
  std::string prefix;             // prefix of the worked call, the multiplier key
  std::string extra;              // carried with the QSO, never read
  std::string band;               // band name as the host gave it
  std::string mode;
  std::string rst_received;
  std::string rst_sent;
  std::string exchange_received;  // serial number or UBA section
  std::string exchange_sent;
  std::string uba_section;        // section of a worked Belgian station, else ""
  int32_t frequency_khz = 0;
  int32_t not_counted = 0;        // 1: earns no point (dupe or bad section)
  int32_t bad = 0;                // 1: bad QSO (bad section)
  int32_t dupe = 0;               // 1: repeats an earlier QSO on the band
  int32_t bad_section = 0;        // 1: a Belgian section not in the table
  OleDate time;                   // QSO date and time

  bool operator==(const CInfo&) const = default;
};

// The ordered store of accepted QSOs, in the order the host offered them,
// with indexes so that the per-QSO checks do not grow with the log: records
// by (call, band) and counts by (band, prefix), all compared exactly.
class QsoStore {
 public:
  size_t Count() const { return records_.size(); }
  const CInfo& At(size_t index) const { return records_[index].info; }
  CInfo& At(size_t index) { return records_[index].info; }

  // Every record gets a serial number that no other record of the process
  // gets; serials increase along the store.
  uint64_t NextSerial() const { return next_serial_; }
  uint64_t SerialAt(size_t index) const { return records_[index].serial; }

  void Append(CInfo record);

  struct Removed {
    size_t index;     // where the record stood
    uint64_t serial;  // its serial number
  };
  // Removes the first record with this call, band and time (SameTime);
  // nullopt when none matches.
  std::optional<Removed> FindAndRemove(std::string_view call, std::string_view band,
                                       const OleDate& time);
  void Clear();

  // Indexes of the records with this call and band, in store order.
  std::vector<size_t> IndexesOf(std::string_view call, std::string_view band) const;
  bool HasCallOnBand(std::string_view call, std::string_view band) const;
  bool HasPrefixOnBand(std::string_view band, std::string_view prefix) const;

 private:
  struct Entry {
    uint64_t serial;
    CInfo info;
  };
  static std::string Key(std::string_view a, std::string_view b);
  size_t IndexOfSerial(uint64_t serial) const;

  std::vector<Entry> records_;  // serials increase along the vector
  uint64_t next_serial_ = 0;
  std::unordered_map<std::string, std::vector<uint64_t>> by_call_band_;
  std::unordered_map<std::string, size_t> prefix_count_;
};

// A constant list of accepted texts (modes or bands).
class CContestRules {
 public:
  explicit CContestRules(std::vector<std::string> entries) : entries_(std::move(entries)) {}
  // True if some entry equals the text without regard to the case of the
  // letters A to Z (other bytes, such as those of multibyte characters, must
  // be equal).
  bool Contains(std::string_view text) const;
  size_t Size() const { return entries_.size(); }
  const std::string& At(size_t index) const { return entries_[index]; }

 private:
  std::vector<std::string> entries_;
};

// Compares two texts ignoring the case of the letters A to Z only.
bool EqualsNoCase(std::string_view a, std::string_view b);

const CContestRules& AcceptedModes();  // "BPSK63"
const CContestRules& AcceptedBands();  // "160m" ... "10m"; band index k is entry k

inline constexpr int kBandCount = 6;

// Band index 0 to 5 of a band text equal to an accepted band exactly; -1 for
// any other text.
int BandIndex(std::string_view band);

// One info row: band name, mode, time, exchange received, and a fifth column
// that is never shown.
using InfoRow = std::array<std::string, 5>;
using BandLists = std::array<std::vector<std::string>, kBandCount>;

// Appends text unless an equal entry (exact compare) is already present.
void AddIfAbsent(std::vector<std::string>& list, std::string_view text);

}  // namespace stats
