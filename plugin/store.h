// The contest data shared by the exports, the rules, the reports and the
// windows: the QSO store with its record CInfo, the accepted-mode and
// accepted-band lists, and the small per-band lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plugin/oledate.h"

namespace stats {

// A text of a stored QSO in 16 bytes: up to 15 bytes are kept in the object
// itself (calls, prefixes, reports, serial numbers and sections all fit), a
// longer text in a block of its own.
class CompactText {
 public:
  CompactText() { Inline(std::string_view()); }
  CompactText(std::string_view text) { Set(text); }  // NOLINT: a text is a text
  CompactText(const char* text) { Set(text); }       // NOLINT
  CompactText(const std::string& text) { Set(text); }  // NOLINT
  CompactText(const CompactText& other) { Set(other.view()); }
  CompactText(CompactText&& other) noexcept;
  CompactText& operator=(const CompactText& other);
  CompactText& operator=(CompactText&& other) noexcept;
  CompactText& operator=(std::string_view text);
  CompactText& operator=(const char* text) { return *this = std::string_view(text); }
  CompactText& operator=(const std::string& text) { return *this = std::string_view(text); }
  ~CompactText() { Release(); }

  std::string_view view() const {
    return OnHeap() ? std::string_view(Heap().data, Heap().size)
                    : std::string_view(bytes_, static_cast<unsigned char>(bytes_[kInline]));
  }
  operator std::string_view() const { return view(); }  // NOLINT
  operator std::string() const { return std::string(view()); }  // NOLINT
  bool empty() const { return view().empty(); }
  size_t size() const { return view().size(); }

  friend bool operator==(const CompactText& a, const CompactText& b) { return a.view() == b.view(); }
  friend bool operator==(const CompactText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const CompactText& a, const char* b) { return a.view() == b; }
  friend bool operator==(const CompactText& a, const std::string& b) { return a.view() == b; }

 private:
  static constexpr size_t kInline = 15;      // bytes_[15] holds the length of an inline text
  static constexpr char kOnHeap = '\x7F';   // ... or this mark
  struct HeapText {
    char* data;
    uint32_t size;
  };
  bool OnHeap() const { return bytes_[kInline] == kOnHeap; }
  const HeapText& Heap() const { return *reinterpret_cast<const HeapText*>(bytes_); }
  HeapText& Heap() { return *reinterpret_cast<HeapText*>(bytes_); }
  void Inline(std::string_view text);
  void Set(std::string_view text);
  void Release();

  alignas(8) char bytes_[16];
};

// A text that takes few values over a whole log (a band, a mode, a country
// prefix): one copy of each value for the process, and a pointer to it.
class InternedText {
 public:
  InternedText() = default;
  InternedText(std::string_view text) : text_(Intern(text)) {}  // NOLINT
  InternedText(const char* text) : text_(Intern(text)) {}       // NOLINT
  InternedText(const std::string& text) : text_(Intern(text)) {}  // NOLINT
  InternedText& operator=(std::string_view text) {
    text_ = Intern(text);
    return *this;
  }
  InternedText& operator=(const char* text) { return *this = std::string_view(text); }
  InternedText& operator=(const std::string& text) { return *this = std::string_view(text); }

  std::string_view view() const { return text_ != nullptr ? std::string_view(*text_) : std::string_view(); }
  // The process's copy of the text; null for "".
  const std::string* pooled() const { return text_; }
  operator std::string_view() const { return view(); }  // NOLINT
  operator std::string() const { return std::string(view()); }  // NOLINT
  bool empty() const { return view().empty(); }
  size_t size() const { return view().size(); }

  friend bool operator==(const InternedText& a, const InternedText& b) { return a.view() == b.view(); }
  friend bool operator==(const InternedText& a, std::string_view b) { return a.view() == b; }
  friend bool operator==(const InternedText& a, const char* b) { return a.view() == b; }
  friend bool operator==(const InternedText& a, const std::string& b) { return a.view() == b; }

 private:
  // The process's copy of the text; null for "".
  static const std::string* Intern(std::string_view text);
  const std::string* text_ = nullptr;
};

std::ostream& operator<<(std::ostream& out, const CompactText& text);
std::ostream& operator<<(std::ostream& out, const InternedText& text);

// One QSO of the store.
struct CInfo {
  CompactText call;               // worked station's call sign
  InternedText country;           // worked station's country prefix
  CompactText prefix;             // prefix of the worked call, the multiplier key
  CompactText extra;              // carried with the QSO, never read
  InternedText band;              // band name as the host gave it
  InternedText mode;
  CompactText rst_received;
  CompactText rst_sent;
  CompactText exchange_received;  // serial number or UBA section
  CompactText exchange_sent;
  CompactText uba_section;        // section of a worked Belgian station, else ""
  int32_t frequency_khz = 0;
  int8_t not_counted = 0;         // 1: earns no point (dupe or bad section)
  int8_t bad = 0;                 // 1: bad QSO (bad section)
  int8_t dupe = 0;                // 1: repeats an earlier QSO on the band
  int8_t bad_section = 0;         // 1: a Belgian section not in the table
  OleDate time;                   // QSO date and time

  bool operator==(const CInfo&) const = default;
};

// The ordered store of accepted QSOs, in the order the host offered them,
// with indexes so that the per-QSO checks do not grow with the log: records
// by (call, band) and counts by (band, prefix), all compared exactly.  The
// indexes are open-addressing tables of fixed-size slots (a hash and a
// record's serial number, or a hash, a count and the key's place in one
// text of all keys): adding a QSO allocates nothing but, now and then, a
// larger table.
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
  // Index of the latest record with this call and band (the last of
  // IndexesOf), found without a list; nullopt when there is none.
  std::optional<size_t> LatestOf(std::string_view call, std::string_view band) const;
  // Starts reading the call index where the call's slots lie, so that a
  // look-up of the call a little later finds them in the cache.
  void Prefetch(std::string_view call) const {
    if (!call_slots_.empty()) __builtin_prefetch(&call_slots_[CallHash(call) & (call_slots_.size() - 1)]);
  }
  // The same for the prefix index, where the band's count of the prefix lies.
  void PrefetchPrefix(std::string_view band, std::string_view prefix) const {
    if (!prefix_slots_.empty()) __builtin_prefetch(&prefix_slots_[Hash(band, prefix) & (prefix_slots_.size() - 1)]);
  }
  // The number of records with this call and band (IndexesOf's size).
  size_t CountOf(std::string_view call, std::string_view band) const;
  bool HasCallOnBand(std::string_view call, std::string_view band) const;
  bool HasPrefixOnBand(std::string_view band, std::string_view prefix) const;

 private:
  struct Entry {
    uint64_t serial;
    CInfo info;
  };
  // (call, band) to the serials of its records; several slots share a key.
  // A slot of 16 bytes holds its key (a call of up to 10 bytes and the
  // band's number) and the record's serial less the store's first, so a
  // check finds its answer in one slot, and a table of 100 000 QSOs takes
  // 4 MB.
  struct alignas(16) CallSlot {
    uint32_t serial;    // less serial_base_; kEmptySlot: a free slot
    uint8_t band;       // the band's number in bands_; kSlotNoBand: read from the record
    uint8_t call_size;  // kLongCall: the call is longer; it is read from the record
    char call[10];
  };
  // (band, prefix) to the number of records; a key stays once added.
  struct alignas(32) PrefixSlot {
    uint32_t hash;
    uint32_t count;
    uint16_t band;
    uint8_t prefix_size;  // kFreeSlot: a free slot
    char prefix[21];
  };
  static constexpr uint32_t kEmptySlot = ~uint32_t{0};
  static constexpr uint8_t kLongCall = 0xFF;
  static constexpr uint8_t kSlotNoBand = 0xFF;
  static constexpr uint8_t kFreeSlot = 0xFF;
  static constexpr uint16_t kNoBand = 0xFFFF;

  static uint32_t Hash(std::string_view a, std::string_view b);
  // The call index places a record by its call alone, the band being told
  // apart in the slot: the slots of one call on every band lie together, so
  // that the windows' look-up of a call on all six bands reads one or two
  // cache lines where it read six.
  static uint32_t CallHash(std::string_view call) { return Hash(call, std::string_view()); }
  size_t IndexOfSerial(uint64_t serial) const;
  // The number of a band text of the store; kNoBand when no record has it.
  uint16_t BandNumber(std::string_view band) const;
  uint16_t AddBand(std::string_view band);
  // Calls visit(serial) for each record of the call and band, in slot
  // order, until it returns false.
  template <typename Visit>
  void ForEachOf(std::string_view call, std::string_view band, Visit visit) const;
  // The slot of a record; the record's call goes inline when it fits.
  CallSlot SlotOf(uint64_t serial, uint16_t band, std::string_view call) const;
  // The call of a slot, from the record when it is not inline.
  std::string_view SlotCall(const CallSlot& slot) const;
  void AddCallSlot(const CallSlot& slot);
  void RemoveCallSlot(uint64_t serial);
  // The count of a key; null when the key was never added.
  uint32_t* FindPrefix(std::string_view band, std::string_view prefix);
  const uint32_t* FindPrefix(std::string_view band, std::string_view prefix) const;
  void AddPrefix(std::string_view band, std::string_view prefix);

  // Serials increase along the store.  Blocks, not one array: a growing
  // store never moves its records.
  std::deque<Entry> records_;
  uint64_t next_serial_ = 0;
  uint64_t serial_base_ = 0;  // the serial of the store's first record since it was cleared
  std::vector<CallSlot> call_slots_;      // a power of two, at most half full
  size_t call_used_ = 0;
  std::vector<PrefixSlot> prefix_slots_;  // a power of two, at most half full
  size_t prefix_used_ = 0;
  // Keys whose prefix does not fit a slot: band, NUL, prefix.
  std::unordered_map<std::string, uint32_t> long_prefixes_;
  std::vector<std::string> bands_;        // the band texts of the records, by number
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
