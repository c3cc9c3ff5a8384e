#include "model/text.h"

#include <cstring>
#include <mutex>
#include <ostream>
#include <unordered_set>
#include <utility>

namespace stats {

// -- CompactText ---------------------------------------------------------

void CompactText::Inline(std::string_view text) {
  if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());
  bytes_[kInline] = static_cast<char>(text.size());
}

void CompactText::Set(std::string_view text) {
  if (text.size() <= kInline) {
    if (!text.empty()) {
      Inline(text);
    } else {
      bytes_[kInline] = 0;
    }
    return;
  }
  char* data = new char[text.size()];
  std::memcpy(data, text.data(), text.size());
  Heap() = HeapText{data, static_cast<uint32_t>(text.size())};
  bytes_[kInline] = kOnHeap;
}

void CompactText::Release() {
  if (OnHeap()) delete[] Heap().data;
  bytes_[kInline] = 0;
}

CompactText::CompactText(CompactText&& other) noexcept {
  std::memcpy(bytes_, other.bytes_, sizeof bytes_);
  other.bytes_[kInline] = 0;
}

CompactText& CompactText::operator=(const CompactText& other) {
  if (this != &other) *this = other.view();
  return *this;
}

CompactText& CompactText::operator=(CompactText&& other) noexcept {
  if (this != &other) {
    Release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.bytes_[kInline] = 0;
  }
  return *this;
}

CompactText& CompactText::operator=(std::string_view text) {
  // The text may be this one's own: the new copy is made before the old goes.
  CompactText copy(text);
  return *this = std::move(copy);
}

std::ostream& operator<<(std::ostream& out, const CompactText& text) { return out << text.view(); }

// -- InternedText --------------------------------------------------------

const std::string* InternedText::Intern(std::string_view text) {
  if (text.empty()) return nullptr;
  // The window thread makes records too (in tests); the pool has a lock of
  // its own.  Each value is kept for the life of the process, as the
  // records that point to it may be.
  // A value already pooled is found by a view of the text: no copy is made
  // to look it up.
  struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::string_view t) const { return std::hash<std::string_view>{}(t); }
  };
  struct Pool {
    std::mutex lock;
    std::unordered_set<std::string, ViewHash, std::equal_to<>> texts;
  };
  static Pool pool;
  std::lock_guard guard(pool.lock);
  if (const auto found = pool.texts.find(text); found != pool.texts.end()) return &*found;
  return &*pool.texts.emplace(text).first;
}

std::ostream& operator<<(std::ostream& out, const InternedText& text) { return out << text.view(); }

}  // namespace stats
