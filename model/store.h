// The QSO store shared by the exports, the rules, the reports and the
// windows: the accepted QSOs in the order the host offered them, with their
// indexes by call and band and by band and prefix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/oledate.h"
#include "model/qso.h"

namespace stats {

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

}  // namespace stats
