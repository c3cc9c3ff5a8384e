#include "blocks.h"

#include <array>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace replay {
namespace {

enum Kind : char { kQso = 'Q', kProblem = 'P', kHeader = 'H' };

// An entry's numbers, copied as they lie.
struct QsoHead {
  int32_t number, line, year;
  uint32_t frequency_hz;
  unsigned char month, day, hour, minute, second;
};
struct LineHead {
  int32_t line;
};

// A text's length takes one byte below kLongText, else that byte and four
// more.
constexpr unsigned char kLongText = 0xFF;

size_t TextBytes(std::string_view text) {
  return (text.size() < kLongText ? 1 : 5) + text.size() + 1;
}

// Writes an entry into room sized for it beforehand.
class EntryWriter {
 public:
  explicit EntryWriter(char* at) : at_(at) {}
  template <typename Head>
  void Put(const Head& head) {
    std::memcpy(at_, &head, sizeof head);
    at_ += sizeof head;
  }
  void Byte(char byte) { *at_++ = byte; }
  void Text(std::string_view text) {
    if (text.size() < kLongText) {
      *at_++ = static_cast<char>(text.size());
    } else {
      *at_++ = static_cast<char>(kLongText);
      const auto size = static_cast<uint32_t>(text.size());
      std::memcpy(at_, &size, 4);
      at_ += 4;
    }
    if (!text.empty()) std::memcpy(at_, text.data(), text.size());
    at_ += text.size();
    *at_++ = '\0';
  }

 private:
  char* at_;
};

// Reads the entries of a block back; the block was written by QsoBlock, so
// its bytes are trusted.
class Unpacker {
 public:
  explicit Unpacker(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return at_ >= bytes_.size(); }
  size_t Used() const { return at_; }
  char Byte() { return bytes_[at_++]; }
  template <typename Head>
  Head Take() {
    Head head;
    std::memcpy(&head, bytes_.data() + at_, sizeof head);
    at_ += sizeof head;
    return head;
  }
  std::string_view Text() {
    size_t size = static_cast<unsigned char>(bytes_[at_++]);
    if (size == kLongText) {
      uint32_t long_size;
      std::memcpy(&long_size, bytes_.data() + at_, 4);
      at_ += 4;
      size = long_size;
    }
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
  const size_t at = bytes_.size();
  bytes_.resize(at + TextBytes(text));
  EntryWriter(bytes_.data() + at).Text(text);
}

std::string_view PackedTexts::Reader::Next() {
  Unpacker in(bytes_.substr(at_));
  const std::string_view text = in.Text();
  at_ += in.Used();
  return text;
}

char* QsoBlock::Room(size_t bytes) {
  if (bytes_.capacity() < kSize) bytes_.reserve(kSize);
  const size_t at = bytes_.size();
  bytes_.resize(at + bytes);
  return bytes_.data() + at;
}

void QsoBlock::AddQso(const LogQso& qso) {
  const auto texts = Texts(qso);
  size_t bytes = 1 + sizeof(QsoHead);
  for (const std::string* text : texts) bytes += TextBytes(*text);
  EntryWriter entry(Room(bytes));
  entry.Byte(kQso);
  const QsoTime& t = qso.time;
  entry.Put(QsoHead{qso.number, qso.line, t.year, qso.frequency_hz,
                    static_cast<unsigned char>(t.month), static_cast<unsigned char>(t.day),
                    static_cast<unsigned char>(t.hour), static_cast<unsigned char>(t.minute),
                    static_cast<unsigned char>(t.second)});
  for (const std::string* text : texts) entry.Text(*text);
}

void QsoBlock::AddProblem(const ReadProblem& problem) {
  EntryWriter entry(Room(1 + sizeof(LineHead) + TextBytes(problem.reason)));
  entry.Byte(kProblem);
  entry.Put(LineHead{problem.line});
  entry.Text(problem.reason);
}

void QsoBlock::AddHeader(const HeaderLine& header) {
  EntryWriter entry(
      Room(1 + sizeof(LineHead) + TextBytes(header.tag) + TextBytes(header.value)));
  entry.Byte(kHeader);
  entry.Put(LineHead{header.line});
  entry.Text(header.tag);
  entry.Text(header.value);
}

void QsoBlock::Visit(BlockVisitor& visitor) const {
  Unpacker in(bytes_);
  PackedQso qso;
  ReadProblem problem;
  HeaderLine header;
  while (!in.AtEnd()) {
    switch (in.Byte()) {
      case kQso: {
        const auto head = in.Take<QsoHead>();
        qso.number = head.number;
        qso.line = head.line;
        qso.time = {head.year, head.month, head.day, head.hour, head.minute, head.second};
        qso.frequency_hz = head.frequency_hz;
        for (std::string_view* text : Texts(qso)) *text = in.Text();
        visitor.OnQso(qso);
        break;
      }
      case kProblem:
        problem.line = in.Take<LineHead>().line;
        problem.reason.assign(in.Text());
        visitor.OnProblem(problem);
        break;
      default:
        header.line = in.Take<LineHead>().line;
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
