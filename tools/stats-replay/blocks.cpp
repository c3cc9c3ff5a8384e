#include "blocks.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace replay {
namespace {

enum Kind : char { kQso = 'Q', kProblem = 'P', kHeader = 'H' };

void PutNumber(std::string& to, uint32_t n) {
  while (n >= 0x80) {
    to.push_back(static_cast<char>((n & 0x7F) | 0x80));
    n >>= 7;
  }
  to.push_back(static_cast<char>(n));
}

// Reads the entries of a block back; the block was written by QsoBlock, so
// its bytes are trusted.
class Unpacker {
 public:
  explicit Unpacker(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return at_ >= bytes_.size(); }
  size_t Used() const { return at_; }
  char Byte() { return bytes_[at_++]; }
  uint32_t Number() {
    uint32_t n = 0;
    for (int shift = 0;; shift += 7) {
      const auto byte = static_cast<unsigned char>(bytes_[at_++]);
      n |= static_cast<uint32_t>(byte & 0x7F) << shift;
      if (byte < 0x80) return n;
    }
  }
  std::string_view Text() {
    const size_t size = Number();
    const std::string_view text = bytes_.substr(at_, size);
    at_ += size + 1;  // and its NUL
    return text;
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

template <typename Qso>
auto Texts(Qso& qso) {
  return std::array{&qso.call, &qso.own_call, &qso.band, &qso.mode, &qso.rst_sent,
                    &qso.rst_received, &qso.exchange_sent, &qso.exchange_received,
                    &qso.prefix};
}

// What the reader thread and the taking thread share: the blocks read and
// not yet taken, at most kWaiting of them.
class BlockQueue {
 public:
  static constexpr size_t kWaiting = 4;
  struct Stopped {};  // the taker gave up: the reader unwinds

  // Waits for room; throws Stopped when the taker has given up.
  void Push(QsoBlock&& block) {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [&] { return stopped_ || blocks_.size() < kWaiting; });
    if (stopped_) throw Stopped{};
    blocks_.push_back(std::move(block));
    ready_.notify_one();
  }
  // The next block; false once the reader has ended and every block is taken.
  bool Pop(QsoBlock* block) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return closed_ || !blocks_.empty(); });
    if (blocks_.empty()) return false;
    *block = std::move(blocks_.front());
    blocks_.pop_front();
    room_.notify_one();
    return true;
  }
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    ready_.notify_one();
  }
  void Stop() {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    blocks_.clear();
    room_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<QsoBlock> blocks_;
  bool closed_ = false, stopped_ = false;
};

// The reader's receiver: packs what it is given and hands on each full
// block.
class Packer final : public LogReceiver {
 public:
  Packer(bool all_fields, std::function<void(QsoBlock&&)> sink)
      : all_fields_(all_fields), sink_(std::move(sink)) {}
  void OnQso(const LogQso& qso) override {
    block_.AddQso(qso);
    if (block_.Full()) Flush();
  }
  void OnProblem(const ReadProblem& problem) override {
    block_.AddProblem(problem);
    if (block_.Full()) Flush();
  }
  void OnHeader(const HeaderLine& header) override {
    block_.AddHeader(header);
    if (block_.Full()) Flush();
  }
  bool WantsAllFields() const override { return all_fields_; }
  void Flush() {
    if (block_.Empty()) return;
    sink_(std::move(block_));
    block_ = QsoBlock();
  }

 private:
  bool all_fields_;
  std::function<void(QsoBlock&&)> sink_;
  QsoBlock block_;
};

}  // namespace

void PackedQso::CopyTo(LogQso* qso) const {
  qso->number = number;
  qso->line = line;
  qso->time = time;
  qso->frequency_hz = frequency_hz;
  const auto from = Texts(*this);
  const auto to = Texts(*qso);
  for (size_t i = 0; i < from.size(); ++i) to[i]->assign(*from[i]);
}

void UnpackingVisitor::OnQso(const PackedQso& qso) {
  qso.CopyTo(&qso_);
  receiver_.OnQso(qso_);
}

void PackedTexts::Add(std::string_view text) {
  PutNumber(bytes_, static_cast<uint32_t>(text.size()));
  bytes_.append(text);
  bytes_.push_back('\0');
}

std::string_view PackedTexts::Reader::Next() {
  Unpacker in(bytes_.substr(at_));
  const std::string_view text = in.Text();
  at_ += in.Used();
  return text;
}

void QsoBlock::PutText(std::string_view text) {
  PutNumber(bytes_, static_cast<uint32_t>(text.size()));
  bytes_.append(text);
  bytes_.push_back('\0');
}

void QsoBlock::AddQso(const LogQso& qso) {
  if (bytes_.capacity() < kSize) bytes_.reserve(kSize);
  bytes_.push_back(kQso);
  PutNumber(bytes_, static_cast<uint32_t>(qso.number));
  PutNumber(bytes_, static_cast<uint32_t>(qso.line));
  const QsoTime& t = qso.time;
  PutNumber(bytes_, static_cast<uint32_t>(t.year));
  for (const int part : {t.month, t.day, t.hour, t.minute, t.second}) {
    bytes_.push_back(static_cast<char>(part));
  }
  PutNumber(bytes_, qso.frequency_hz);
  for (const std::string* text : Texts(qso)) PutText(*text);
}

void QsoBlock::AddProblem(const ReadProblem& problem) {
  bytes_.push_back(kProblem);
  PutNumber(bytes_, static_cast<uint32_t>(problem.line));
  PutText(problem.reason);
}

void QsoBlock::AddHeader(const HeaderLine& header) {
  bytes_.push_back(kHeader);
  PutNumber(bytes_, static_cast<uint32_t>(header.line));
  PutText(header.tag);
  PutText(header.value);
}

void QsoBlock::Visit(BlockVisitor& visitor) const {
  Unpacker in(bytes_);
  PackedQso qso;
  ReadProblem problem;
  HeaderLine header;
  while (!in.AtEnd()) {
    switch (in.Byte()) {
      case kQso: {
        qso.number = static_cast<int>(in.Number());
        qso.line = static_cast<int>(in.Number());
        QsoTime& t = qso.time;
        t.year = static_cast<int>(in.Number());
        for (int* part : {&t.month, &t.day, &t.hour, &t.minute, &t.second}) {
          *part = static_cast<unsigned char>(in.Byte());
        }
        qso.frequency_hz = in.Number();
        for (std::string_view* text : Texts(qso)) *text = in.Text();
        visitor.OnQso(qso);
        break;
      }
      case kProblem:
        problem.line = static_cast<int>(in.Number());
        problem.reason.assign(in.Text());
        visitor.OnProblem(problem);
        break;
      default:
        header.line = static_cast<int>(in.Number());
        header.tag.assign(in.Text());
        header.value.assign(in.Text());
        visitor.OnHeader(header);
        break;
    }
  }
}

std::string ReadInBlocks(LogReader read, ByteSource& source, bool all_fields,
                         const std::function<void(QsoBlock&& block)>& take) {
  BlockQueue queue;
  std::string own_call;
  std::exception_ptr failure;
  const auto read_all = [&] {
    try {
      Packer packer(all_fields, [&](QsoBlock&& block) { queue.Push(std::move(block)); });
      own_call = read(source, packer);
      packer.Flush();
    } catch (const BlockQueue::Stopped&) {
      // The taker failed; it reports why.
    } catch (...) {
      failure = std::current_exception();
    }
    queue.Close();
  };
  std::thread reader;
  try {
    reader = std::thread(read_all);
  } catch (const std::system_error&) {
    // No second thread to be had: the blocks are taken as the reader fills
    // them, on this thread.
    Packer packer(all_fields, take);
    own_call = read(source, packer);
    packer.Flush();
    return own_call;
  }
  try {
    QsoBlock block;
    while (queue.Pop(&block)) take(std::move(block));
  } catch (...) {
    queue.Stop();
    reader.join();
    throw;
  }
  reader.join();
  if (failure) std::rethrow_exception(failure);
  return own_call;
}

}  // namespace replay
