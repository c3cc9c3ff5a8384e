// The texts of a stored QSO: short ones kept in the record itself, and texts
// that take few values over a whole log kept once for the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

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

}  // namespace stats
