#include "plugin/store.h"

#include <algorithm>

namespace stats {

std::string QsoStore::Key(std::string_view a, std::string_view b) {
  std::string key;
  key.reserve(a.size() + b.size() + 1);
  key.append(a);
  key.push_back('\0');  // no host text holds a NUL, so keys cannot collide
  key.append(b);
  return key;
}

size_t QsoStore::IndexOfSerial(uint64_t serial) const {
  auto it = std::lower_bound(records_.begin(), records_.end(), serial,
                             [](const Entry& e, uint64_t s) { return e.serial < s; });
  return static_cast<size_t>(it - records_.begin());
}

void QsoStore::Append(CInfo record) {
  const uint64_t serial = next_serial_++;
  by_call_band_[Key(record.call, record.band)].push_back(serial);
  ++prefix_count_[Key(record.band, record.prefix)];
  records_.push_back(Entry{serial, std::move(record)});
}

std::optional<QsoStore::Removed> QsoStore::FindAndRemove(std::string_view call, std::string_view band,
                                              const OleDate& time) {
  auto found = by_call_band_.find(Key(call, band));
  if (found == by_call_band_.end()) return std::nullopt;
  std::vector<uint64_t>& serials = found->second;
  for (auto s = serials.begin(); s != serials.end(); ++s) {
    const size_t index = IndexOfSerial(*s);
    const CInfo& info = records_[index].info;
    if (!SameTime(info.time, time)) continue;
    auto count = prefix_count_.find(Key(info.band, info.prefix));
    if (--count->second == 0) prefix_count_.erase(count);
    const uint64_t serial = *s;
    serials.erase(s);
    if (serials.empty()) by_call_band_.erase(found);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    return Removed{index, serial};
  }
  return std::nullopt;
}

void QsoStore::Clear() {
  records_.clear();
  by_call_band_.clear();
  prefix_count_.clear();
}

std::vector<size_t> QsoStore::IndexesOf(std::string_view call, std::string_view band) const {
  std::vector<size_t> indexes;
  auto found = by_call_band_.find(Key(call, band));
  if (found == by_call_band_.end()) return indexes;
  indexes.reserve(found->second.size());
  for (uint64_t serial : found->second) indexes.push_back(IndexOfSerial(serial));
  return indexes;
}

bool QsoStore::HasCallOnBand(std::string_view call, std::string_view band) const {
  return by_call_band_.count(Key(call, band)) != 0;
}

bool QsoStore::HasPrefixOnBand(std::string_view band, std::string_view prefix) const {
  return prefix_count_.count(Key(band, prefix)) != 0;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool CContestRules::Contains(std::string_view text) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const std::string& e) { return EqualsNoCase(e, text); });
}

const CContestRules& AcceptedModes() {
  static const CContestRules modes({"BPSK63"});
  return modes;
}

const CContestRules& AcceptedBands() {
  static const CContestRules bands({"160m", "80m", "40m", "20m", "15m", "10m"});
  return bands;
}

int BandIndex(std::string_view band) {
  const CContestRules& bands = AcceptedBands();
  for (size_t k = 0; k < bands.Size(); ++k) {
    if (bands.At(k) == band) return static_cast<int>(k);
  }
  return -1;
}

void AddIfAbsent(std::vector<std::string>& list, std::string_view text) {
  if (std::find(list.begin(), list.end(), text) == list.end()) list.emplace_back(text);
}

}  // namespace stats
