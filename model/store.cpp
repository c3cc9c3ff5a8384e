#include "model/store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace stats {

// -- QsoStore ------------------------------------------------------------

uint32_t QsoStore::Hash(std::string_view a, std::string_view b) {
  // FNV-1a over both texts with a separator that no host text holds, then
  // mixed so that the low bits that pick a slot depend on every byte.
  uint64_t h = 14695981039346656037ull;
  for (const char c : a) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  h = (h ^ 0x100u) * 1099511628211ull;
  for (const char c : b) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return static_cast<uint32_t>(h);
}

size_t QsoStore::IndexOfSerial(uint64_t serial) const {
  // Without removals before it, a record stands at its serial's distance
  // from the first one.
  if (!records_.empty() && serial >= records_.front().serial) {
    const uint64_t guess = serial - records_.front().serial;
    if (guess < records_.size() && records_[guess].serial == serial) return static_cast<size_t>(guess);
  }
  auto it = std::lower_bound(records_.begin(), records_.end(), serial,
                             [](const Entry& e, uint64_t s) { return e.serial < s; });
  return static_cast<size_t>(it - records_.begin());
}

uint16_t QsoStore::BandNumber(std::string_view band) const {
  for (size_t k = 0; k < bands_.size(); ++k) {
    if (bands_[k] == band) return static_cast<uint16_t>(k);
  }
  return kNoBand;
}

uint16_t QsoStore::AddBand(std::string_view band) {
  const uint16_t known = BandNumber(band);
  if (known != kNoBand || bands_.size() >= kNoBand) return known;
  bands_.emplace_back(band);
  return static_cast<uint16_t>(bands_.size() - 1);
}

QsoStore::CallSlot QsoStore::SlotOf(uint64_t serial, uint16_t band, std::string_view call) const {
  // A store that took four thousand million QSOs since it was last cleared
  // cannot number its slots; the QSO is refused rather than misplaced.
  if (serial - serial_base_ >= kEmptySlot) throw std::length_error("QSO store: too many QSOs");
  CallSlot slot{static_cast<uint32_t>(serial - serial_base_),
                band < kSlotNoBand ? static_cast<uint8_t>(band) : kSlotNoBand, kLongCall, {}};
  if (call.size() <= sizeof slot.call) {
    if (!call.empty()) std::memcpy(slot.call, call.data(), call.size());
    slot.call_size = static_cast<uint8_t>(call.size());
  }
  return slot;
}

std::string_view QsoStore::SlotCall(const CallSlot& slot) const {
  if (slot.call_size != kLongCall) return std::string_view(slot.call, slot.call_size);
  return records_[IndexOfSerial(serial_base_ + slot.serial)].info.call.view();
}

template <typename Visit>
void QsoStore::ForEachOf(std::string_view call, std::string_view band, Visit visit) const {
  if (call_slots_.empty()) return;
  const uint16_t number = BandNumber(band);
  if (number == kNoBand && bands_.size() < kNoBand) return;  // no record has the band
  const bool inline_call = call.size() <= sizeof CallSlot::call;
  const size_t mask = call_slots_.size() - 1;
  for (size_t i = CallHash(call) & mask;; i = (i + 1) & mask) {
    const CallSlot& slot = call_slots_[i];
    if (slot.serial == kEmptySlot) return;
    bool same;
    if (slot.call_size != kLongCall && slot.band != kSlotNoBand) {
      same = inline_call && slot.band == number && slot.call_size == call.size() &&
             (call.empty() || std::memcmp(slot.call, call.data(), call.size()) == 0);
    } else {
      const CInfo& info = records_[IndexOfSerial(serial_base_ + slot.serial)].info;
      same = info.call == call && info.band == band;
    }
    if (same && !visit(serial_base_ + slot.serial)) return;
  }
}

void QsoStore::AddCallSlot(const CallSlot& added) {
  if ((call_used_ + 1) * 2 > call_slots_.size()) {
    std::vector<CallSlot> old = std::move(call_slots_);
    call_slots_.assign(std::max<size_t>(64, old.size() * 2), CallSlot{kEmptySlot, 0, 0, {}});
    call_used_ = 0;
    for (const CallSlot& slot : old) {
      if (slot.serial != kEmptySlot) AddCallSlot(slot);
    }
  }
  const size_t mask = call_slots_.size() - 1;
  size_t i = CallHash(SlotCall(added)) & mask;
  while (call_slots_[i].serial != kEmptySlot) i = (i + 1) & mask;
  call_slots_[i] = added;
  ++call_used_;
}

void QsoStore::RemoveCallSlot(uint64_t serial) {
  const size_t mask = call_slots_.size() - 1;
  const uint32_t number = static_cast<uint32_t>(serial - serial_base_);
  size_t i = CallHash(records_[IndexOfSerial(serial)].info.call) & mask;
  while (call_slots_[i].serial != number) {
    if (call_slots_[i].serial == kEmptySlot) return;
    i = (i + 1) & mask;
  }
  // Linear probing without tombstones: the slots after the freed one move
  // back when the free slot lies between their home and where they stand.
  for (size_t j = (i + 1) & mask;; j = (j + 1) & mask) {
    if (call_slots_[j].serial == kEmptySlot) break;
    const size_t home = CallHash(SlotCall(call_slots_[j])) & mask;
    const bool between = i <= j ? (home <= i || home > j) : (home <= i && home > j);
    if (between) {
      call_slots_[i] = call_slots_[j];
      i = j;
    }
  }
  call_slots_[i] = CallSlot{kEmptySlot, 0, 0, {}};
  --call_used_;
}

const uint32_t* QsoStore::FindPrefix(std::string_view band, std::string_view prefix) const {
  const uint16_t number = BandNumber(band);
  if (number == kNoBand || prefix.size() > sizeof(PrefixSlot::prefix)) {
    std::string key(band);
    key.append(1, '\0').append(prefix);
    const auto it = long_prefixes_.find(key);
    return it == long_prefixes_.end() ? nullptr : &it->second;
  }
  if (prefix_slots_.empty()) return nullptr;
  const uint32_t hash = Hash(band, prefix);
  const size_t mask = prefix_slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const PrefixSlot& slot = prefix_slots_[i];
    if (slot.prefix_size == kFreeSlot) return nullptr;
    if (slot.hash == hash && slot.band == number &&
        std::string_view(slot.prefix, slot.prefix_size) == prefix) {
      return &slot.count;
    }
  }
}

uint32_t* QsoStore::FindPrefix(std::string_view band, std::string_view prefix) {
  return const_cast<uint32_t*>(std::as_const(*this).FindPrefix(band, prefix));
}

void QsoStore::AddPrefix(std::string_view band, std::string_view prefix) {
  if (uint32_t* count = FindPrefix(band, prefix)) {
    ++*count;
    return;
  }
  const uint16_t number = BandNumber(band);
  if (number == kNoBand || prefix.size() > sizeof(PrefixSlot::prefix)) {
    std::string key(band);
    key.append(1, '\0').append(prefix);
    long_prefixes_.emplace(std::move(key), 1);
    return;
  }
  if ((prefix_used_ + 1) * 2 > prefix_slots_.size()) {
    std::vector<PrefixSlot> old = std::move(prefix_slots_);
    prefix_slots_.assign(std::max<size_t>(64, old.size() * 2), PrefixSlot{0, 0, 0, kFreeSlot, {}});
    const size_t mask = prefix_slots_.size() - 1;
    for (const PrefixSlot& slot : old) {
      if (slot.prefix_size == kFreeSlot) continue;
      size_t i = slot.hash & mask;
      while (prefix_slots_[i].prefix_size != kFreeSlot) i = (i + 1) & mask;
      prefix_slots_[i] = slot;
    }
  }
  const uint32_t hash = Hash(band, prefix);
  const size_t mask = prefix_slots_.size() - 1;
  size_t i = hash & mask;
  while (prefix_slots_[i].prefix_size != kFreeSlot) i = (i + 1) & mask;
  PrefixSlot& slot = prefix_slots_[i];
  slot = PrefixSlot{hash, 1, number, static_cast<uint8_t>(prefix.size()), {}};
  if (!prefix.empty()) std::memcpy(slot.prefix, prefix.data(), prefix.size());
  ++prefix_used_;
}

void QsoStore::Append(CInfo record) {
  const uint64_t serial = next_serial_;
  const CallSlot slot = SlotOf(serial, AddBand(record.band), record.call);
  // The record goes in first: a long call's slot is placed by the record's call.
  records_.push_back(Entry{serial, std::move(record)});
  ++next_serial_;
  try {
    AddCallSlot(slot);
  } catch (...) {
    records_.pop_back();
    throw;
  }
  const CInfo& stored = records_.back().info;
  AddPrefix(stored.band, stored.prefix);
}

std::optional<QsoStore::Removed> QsoStore::FindAndRemove(std::string_view call, std::string_view band,
                                              const OleDate& time) {
  // The first record in store order: the lowest serial that matches.
  size_t found = records_.size();
  ForEachOf(call, band, [&](uint64_t serial) {
    const size_t index = IndexOfSerial(serial);
    if (index < found && SameTime(records_[index].info.time, time)) found = index;
    return true;
  });
  if (found == records_.size()) return std::nullopt;
  const CInfo& info = records_[found].info;
  const uint64_t serial = records_[found].serial;
  if (uint32_t* count = FindPrefix(info.band, info.prefix)) --*count;
  RemoveCallSlot(serial);
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(found));
  return Removed{found, serial};
}

void QsoStore::Clear() {
  serial_base_ = next_serial_;
  records_.clear();
  records_.shrink_to_fit();
  call_slots_.clear();
  call_slots_.shrink_to_fit();
  call_used_ = 0;
  prefix_slots_.clear();
  prefix_slots_.shrink_to_fit();
  prefix_used_ = 0;
  long_prefixes_.clear();
  bands_.clear();
}

std::vector<size_t> QsoStore::IndexesOf(std::string_view call, std::string_view band) const {
  std::vector<size_t> indexes;
  ForEachOf(call, band, [&](uint64_t serial) {
    indexes.push_back(IndexOfSerial(serial));
    return true;
  });
  std::sort(indexes.begin(), indexes.end());
  return indexes;
}

std::optional<size_t> QsoStore::LatestOf(std::string_view call, std::string_view band) const {
  // Serials increase along the store: the largest is the latest record.
  std::optional<uint64_t> latest;
  ForEachOf(call, band, [&](uint64_t serial) {
    if (!latest || serial > *latest) latest = serial;
    return true;
  });
  if (!latest) return std::nullopt;
  return IndexOfSerial(*latest);
}

size_t QsoStore::CountOf(std::string_view call, std::string_view band) const {
  size_t count = 0;
  ForEachOf(call, band, [&](uint64_t) {
    ++count;
    return true;
  });
  return count;
}

bool QsoStore::HasCallOnBand(std::string_view call, std::string_view band) const {
  bool found = false;
  ForEachOf(call, band, [&](uint64_t) {
    found = true;
    return false;
  });
  return found;
}

bool QsoStore::HasPrefixOnBand(std::string_view band, std::string_view prefix) const {
  const uint32_t* count = FindPrefix(band, prefix);
  return count != nullptr && *count > 0;
}

}  // namespace stats
