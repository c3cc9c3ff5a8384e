// Fuzzes the log readers of stats-replay: any bytes, read as ADIF and as
// Cabrillo, must give QSOs and problems without a crash, a hang or a
// sanitizer report, and the same ones whether the readers get the bytes at
// once or in small pieces of sizes taken from the input; and a reading that
// asks for no more than the call, own call and time (stats-replay's first
// reading of its log) meets the same QSOs and problems as a whole one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "log.h"

namespace {

class PieceSource final : public replay::ByteSource {
 public:
  explicit PieceSource(std::string_view text) : text_(text) {}
  size_t Read(char* to, size_t size) override {
    // The piece's size comes from the byte before it: 1 to 16.
    const size_t want = pos_ == 0 ? 1 : static_cast<unsigned char>(text_[pos_ - 1]) % 16 + 1;
    const size_t n = std::min({size, text_.size() - pos_, want});
    std::copy_n(text_.data() + pos_, n, to);
    pos_ += n;
    return n;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Everything a reader hands on, as one text.
class Trace final : public replay::LogReceiver {
 public:
  explicit Trace(size_t size) : size_(size) {}
  void OnQso(const replay::LogQso& qso) override {
    // A QSO is only ever made of what a record held.
    if (qso.call.size() > size_ || qso.exchange_received.size() > size_) std::abort();
    text += std::to_string(qso.number) + ' ' + std::to_string(qso.line) + qso.call + '|' +
            qso.own_call + '|' + std::to_string(qso.frequency_hz) + '|' + qso.band + '|' +
            qso.mode + '|' +
            qso.exchange_sent + '|' + qso.exchange_received + '\n';
  }
  void OnProblem(const replay::ReadProblem& problem) override {
    text += std::to_string(problem.line) + problem.reason + '\n';
  }
  void OnHeader(const replay::HeaderLine& header) override {
    text += std::to_string(header.line) + header.tag + '=' + header.value + '\n';
  }
  std::string text;

 private:
  size_t size_;
};

// What the first reading of stats-replay uses: numbers, lines, calls and
// times of the QSOs, and the problems.
class Lean final : public replay::LogReceiver {
 public:
  explicit Lean(bool all_fields) : all_fields_(all_fields) {}
  void OnQso(const replay::LogQso& qso) override {
    text += std::to_string(qso.number) + ' ' + std::to_string(qso.line) + qso.call + '|' +
            qso.own_call + '|' + std::to_string(qso.time.OleDays()) + '\n';
  }
  void OnProblem(const replay::ReadProblem& problem) override {
    text += std::to_string(problem.line) + problem.reason + '\n';
  }
  bool WantsAllFields() const override { return all_fields_; }
  std::string text;

 private:
  bool all_fields_;
};

template <typename Read>
void Compare(std::string_view text, Read read) {
  replay::TextSource whole(text);
  PieceSource pieces(text);
  Trace at_once(text.size()), in_pieces(text.size());
  const std::string own_once = read(whole, at_once);
  const std::string own_pieces = read(pieces, in_pieces);
  if (own_once != own_pieces || at_once.text != in_pieces.text) std::abort();

  replay::TextSource for_lean(text), for_full(text);
  Lean lean(false), full(true);
  const std::string own_lean = read(for_lean, lean);
  read(for_full, full);
  if (own_lean != own_once || lean.text != full.text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  PieceSource head(text);
  if (replay::DetectFormat("fuzz.log", head) != replay::DetectFormat("fuzz.log", text)) {
    std::abort();
  }
  Compare(text, [](replay::ByteSource& s, replay::LogReceiver& r) { return replay::StreamAdif(s, r); });
  Compare(text,
          [](replay::ByteSource& s, replay::LogReceiver& r) { return replay::StreamCabrillo(s, r); });
  return 0;
}
