// A table from texts to values for the lookups the replay makes per QSO
// (countries by prefix, the check's duplicates).  Keys are copied one after
// the other into a single arena string; the slots are a power of two in
// number, at most half of them used, each holding bits of the key's hash,
// where its text lies in the arena and the value.  A lookup is a hash and a short walk
// over neighbouring slots, and adding a key allocates nothing but the
// arena's and the slots' amortised growth.  Keys may be empty and may hold
// any byte, NUL included.  Keys are never removed.
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
      if (slot.hash == hash && Holds(slot, key)) return &slot.value;
    }
  }
  Value* Find(std::string_view key) {
    return const_cast<Value*>(std::as_const(*this).Find(key));
  }

  // Adds the key with the value unless the key is there already; either way
  // the key's value in the table, and whether it was added (a key already
  // there keeps its value, and nothing is copied or built for it).
  std::pair<Value*, bool> Insert(std::string_view key, const Value& value) {
    if (static_cast<uint64_t>(key.size()) > UINT32_MAX) throw std::length_error("a key of the text table is too long");
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = HashOf(key);
    size_t i = hash & mask_;
    for (;; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.hash == kEmpty) break;
      if (slot.hash == hash && Holds(slot, key)) return {&slot.value, false};
    }
    Slot& slot = slots_[i];
    slot.hash = hash;
    slot.offset = arena_.size();
    slot.size = static_cast<uint32_t>(key.size());
    slot.value = value;
    arena_.append(key);
    ++size_;
    return {&slot.value, true};
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  // A slot keeps 32 bits of the key's hash: they place it and rule out
  // nearly every other key before the texts are compared.  0 marks an empty
  // slot; a key whose bits are 0 is kept as 1.
  static constexpr uint32_t kEmpty = 0;

  struct Slot {
    uint32_t hash = kEmpty;
    uint32_t size = 0;
    size_t offset = 0;  // of the key in the arena
    Value value{};
  };

  static uint32_t HashOf(std::string_view key) {
    const auto hash = static_cast<uint32_t>(Hash{}(key));
    return hash == kEmpty ? 1 : hash;
  }

  // Whether the slot's key is the text.  Keys are mostly a few bytes long
  // (prefixes, calls): those are compared here rather than by a call.
  bool Holds(const Slot& slot, std::string_view key) const {
    if (slot.size != key.size()) return false;
    const char* stored = arena_.data() + slot.offset;
    if (key.size() > 16) return std::memcmp(stored, key.data(), key.size()) == 0;
    for (size_t i = 0; i < key.size(); ++i) {
      if (stored[i] != key[i]) return false;
    }
    return true;
  }

  // Twice the slots (16 at first); the keys stay where they are in the
  // arena, and their hashes are kept, so moving a slot reads no key.
  void Grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    mask_ = slots_.size() - 1;
    for (Slot& slot : old) {
      if (slot.hash == kEmpty) continue;
      size_t i = slot.hash & mask_;
      while (slots_[i].hash != kEmpty) i = (i + 1) & mask_;
      slots_[i] = std::move(slot);
    }
  }

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  size_t size_ = 0;
  std::string arena_;
};

}  // namespace replay
