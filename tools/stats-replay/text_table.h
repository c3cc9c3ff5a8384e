// A table from texts to values for the lookups the replay makes per QSO
// (countries by prefix, the check's duplicates).  Keys are copied one after
// the other into a single arena string, and keys' places and values into
// one vector of entries in the order they came.  The slots are a power of
// two in number, at most half of them used, each holding bits of the key's
// hash and the number of its entry: a lookup is a hash and a short walk over
// neighbouring slots of 8 bytes, and adding a key allocates nothing but the
// amortised growth of the arena, the entries and the slots.  Keys may be
// empty and may hold any byte, NUL included.  Keys are never removed.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace replay {

// A 64-bit hash of a text, read eight bytes at a time.  Its value may differ
// between platforms; nothing the replay writes depends on it.
struct TextTableHash {
  uint64_t operator()(std::string_view text) const {
    constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
    uint64_t h = kMul ^ (static_cast<uint64_t>(text.size()) * 0xC2B2AE3D27D4EB4Full);
    const char* p = text.data();
    size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
      uint64_t word;
      std::memcpy(&word, p, 8);
      h = (h ^ Mix(word)) * kMul;
    }
    if (n > 0) {
      uint64_t word = 0;
      std::memcpy(&word, p, n);
      h = (h ^ Mix(word)) * kMul;
    }
    return Mix(h);
  }

 private:
  // The finaliser of splitmix64: every input bit moves every output bit.
  static uint64_t Mix(uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
  }
};

template <typename Value, typename Hash = TextTableHash>
class TextTable {
 public:
  // The value of the key; null when the key is not in the table.  A pointer
  // is valid until the next Insert.
  const Value* Find(std::string_view key) const {
    if (slots_.empty()) return nullptr;
    const uint32_t hash = HashOf(key);
    for (size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.hash == kEmpty) return nullptr;
      if (slot.hash == hash && Holds(entries_[slot.entry], key)) {
        return &entries_[slot.entry].value;
      }
    }
  }
  Value* Find(std::string_view key) {
    return const_cast<Value*>(std::as_const(*this).Find(key));
  }

  // Adds the key with the value unless the key is there already; either way
  // the key's value in the table, and whether it was added (a key already
  // there keeps its value, and nothing is copied or built for it).
  std::pair<Value*, bool> Insert(std::string_view key, const Value& value) {
    if (!FitsIn32Bits(key.size()) || !FitsIn32Bits(entries_.size() + 1)) {
      throw std::length_error("text table: key too long or too many keys");
    }
    if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = HashOf(key);
    size_t i = hash & mask_;
    for (;; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.hash == kEmpty) break;
      if (slot.hash == hash && Holds(entries_[slot.entry], key)) {
        return {&entries_[slot.entry].value, false};
      }
    }
    slots_[i] = {hash, static_cast<uint32_t>(entries_.size())};
    Entry& entry = entries_.emplace_back();
    entry.offset = arena_.size();
    entry.size = static_cast<uint32_t>(key.size());
    entry.value = value;
    arena_.append(key);
    return {&entry.value, true};
  }

  // Starts reading the slot where the key's walk begins, so that a Find or
  // Insert of the key a little later does not wait for it.
  void Prefetch(std::string_view key) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[HashOf(key) & mask_]);
  }

  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }

 private:
  // Key sizes and entry numbers are kept in 32 bits; the comparison holds
  // meaning where a size_t has 32 bits itself, too.
  static constexpr bool FitsIn32Bits(size_t n) { return n < UINT32_MAX; }
  // A key and its value, in the order the keys were added.
  struct Entry {
    size_t offset = 0;  // of the key in the arena
    uint32_t size = 0;
    Value value{};
  };

  // A slot is small, so that the walk over the slots touches little memory:
  // 32 bits of the key's hash, which place it and rule out nearly every
  // other key before the texts are compared, and the key's entry.  A hash
  // of 0 marks an empty slot; a key whose bits are 0 is kept as 1.
  static constexpr uint32_t kEmpty = 0;
  struct Slot {
    uint32_t hash = kEmpty;
    uint32_t entry = 0;
  };

  static uint32_t HashOf(std::string_view key) {
    const auto hash = static_cast<uint32_t>(Hash{}(key));
    return hash == kEmpty ? 1 : hash;
  }

  // Whether the entry's key is the text.  Keys are mostly a few bytes long
  // (prefixes, calls): those are compared here rather than by a call.
  bool Holds(const Entry& entry, std::string_view key) const {
    if (entry.size != key.size()) return false;
    const char* stored = arena_.data() + entry.offset;
    if (key.size() > 16) return std::memcmp(stored, key.data(), key.size()) == 0;
    for (size_t i = 0; i < key.size(); ++i) {
      if (stored[i] != key[i]) return false;
    }
    return true;
  }

  // Twice the slots (16 at first).  Entries and keys stay where they are,
  // and the slots keep the hashes, so growing reads no key.
  void Grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    for (const Slot& slot : old) {
      if (slot.hash == kEmpty) continue;
      size_t i = slot.hash & mask_;
      while (slots_[i].hash != kEmpty) i = (i + 1) & mask_;
      slots_[i] = slot;
    }
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  std::vector<Entry> entries_;
  std::string arena_;
};

}  // namespace replay
