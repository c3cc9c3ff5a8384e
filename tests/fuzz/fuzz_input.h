// Reads a fuzzer's bytes as a stream of small decisions.  Past the end every
// read gives zero, so that any input, however short, decodes to something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace stats::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Done() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t U32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | Byte();
    return v;
  }
  double Double() {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) bits = (bits << 8) | Byte();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
  // A length byte, then that many bytes (a NUL among them ends the text as
  // the host's C strings end).
  std::string Bytes() {
    const size_t n = Byte();
    std::string s;
    for (size_t i = 0; i < n && !Done(); ++i) s += static_cast<char>(Byte());
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

}  // namespace stats::fuzz
