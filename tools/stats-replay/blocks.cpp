#include "blocks.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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

// A source from the end of the first <EOR> (in any case) on.
class AfterFirstEor final : public ByteSource {
 public:
  explicit AfterFirstEor(ByteSource& source) : source_(source) {}

  // Reads up to the end of the first <EOR>: false when there is none; else
  // *skipped is the number of bytes up to its end.
  bool Find(uint64_t* skipped) {
    constexpr std::string_view kTag = "<EOR>";
    std::string text;
    std::string chunk(size_t{1} << 16, '\0');
    uint64_t base = 0;  // the offset of text[0]
    while (const size_t n = source_.Read(chunk.data(), chunk.size())) {
      text.append(chunk, 0, n);
      for (size_t i = 0; i + kTag.size() <= text.size(); ++i) {
        const void* open = std::memchr(text.data() + i, '<', text.size() - i);
        if (open == nullptr) break;
        i = static_cast<size_t>(static_cast<const char*>(open) - text.data());
        if (i + kTag.size() > text.size()) break;
        bool same = true;
        for (size_t k = 1; k < kTag.size() && same; ++k) {
          const char c = text[i + k];
          same = (c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) == kTag[k];
        }
        if (same) {
          *skipped = base + i + kTag.size();
          rest_ = text.substr(i + kTag.size());
          return true;
        }
      }
      // Keep what may be the start of a tag that the next read ends.
      const size_t keep = std::min(text.size(), kTag.size() - 1);
      base += text.size() - keep;
      text.erase(0, text.size() - keep);
    }
    return false;
  }
  size_t Read(char* to, size_t size) override {
    if (at_ < rest_.size()) {
      const size_t n = std::min(size, rest_.size() - at_);
      std::memcpy(to, rest_.data() + at_, n);
      at_ += n;
      return n;
    }
    return source_.Read(to, size);
  }
  std::string Error() const override { return source_.Error(); }

 private:
  ByteSource& source_;
  std::string rest_;  // read past the <EOR> while looking for it
  size_t at_ = 0;
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
        qso.number = head.number + shift_records_;
        qso.line = head.line + shift_lines_;
        qso.time = {head.year, head.month, head.day, head.hour, head.minute, head.second};
        qso.frequency_hz = head.frequency_hz;
        for (std::string_view* text : Texts(qso)) *text = in.Text();
        visitor.OnQso(qso);
        break;
      }
      case kProblem:
        problem.line = in.Take<LineHead>().line + shift_lines_;
        problem.reason.assign(in.Text());
        if (shift_records_ != 0) problem.reason = ShiftRecordNumber(problem.reason, shift_records_);
        visitor.OnProblem(problem);
        break;
      default:
        header.line = in.Take<LineHead>().line + shift_lines_;
        header.tag.assign(in.Text());
        header.value.assign(in.Text());
        visitor.OnHeader(header);
        break;
    }
  }
}

std::string ReadInBlocks(const LogReader& read, ByteSource& source, bool all_fields,
                         const BlockTaker& take) {
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

namespace replay {

std::string ReadAdifInTwo(ByteSource& head, ByteSource& tail, uint64_t split, bool all_fields,
                          const BlockTaker& take, std::string* tail_error) {
  tail_error->clear();
  AfterFirstEor rest(tail);
  uint64_t skipped = 0;
  if (!rest.Find(&skipped)) {
    *tail_error = tail.Error();
    return ReadInBlocks(StreamAdif, head, all_fields, take);
  }
  AdifStop stop;
  stop.after = split + skipped;

  // The tail's blocks wait until the head is read.
  std::vector<QsoBlock> tail_blocks;
  std::string tail_own_call;
  std::exception_ptr tail_failure;
  std::atomic<bool> drop_tail{false};
  const auto read_tail = [&] {
    try {
      Packer packer(all_fields, [&](QsoBlock&& block) {
        if (drop_tail) throw BlockQueue::Stopped{};
        tail_blocks.push_back(std::move(block));
      });
      tail_own_call = StreamAdif(rest, packer);
      packer.Flush();
    } catch (const BlockQueue::Stopped&) {
      // The head read on past the tail's start: the tail is not needed.
    } catch (...) {
      tail_failure = std::current_exception();
    }
  };
  std::thread tail_reader;
  try {
    tail_reader = std::thread(read_tail);
  } catch (const std::system_error&) {
    return ReadInBlocks(StreamAdif, head, all_fields, take);
  }
  // Whatever happens to the head, the tail's thread ends before this does.
  struct Joiner {
    std::thread& thread;
    std::atomic<bool>& drop;
    bool keep = false;  // wait for the tail's whole reading
    ~Joiner() {
      if (!keep) drop = true;
      thread.join();
    }
  };
  std::string own_call;
  {
    Joiner joiner{tail_reader, drop_tail};
    own_call = ReadInBlocks(
        [&stop](ByteSource& source, LogReceiver& receiver) {
          return StreamAdifUntil(source, receiver, &stop);
        },
        head, all_fields, take);
    if (!stop.stopped) return own_call;
    joiner.keep = true;
  }
  if (tail_failure) std::rethrow_exception(tail_failure);
  *tail_error = tail.Error();
  for (QsoBlock& block : tail_blocks) {
    block.Shift(stop.records, stop.line - 1);
    take(std::move(block));
  }
  return own_call.empty() ? tail_own_call : own_call;
}

}  // namespace replay

namespace replay {

void PrepareAhead(std::vector<QsoBlock>& blocks, const std::function<void(QsoBlock&)>& prepare,
                  const std::function<void(QsoBlock&)>& use) {
  std::mutex mutex;
  std::condition_variable ready;
  size_t prepared = 0;  // blocks[0, prepared) are prepared
  bool stop = false;    // the using side gave up
  std::exception_ptr failure;
  const auto prepare_all = [&] {
    try {
      for (size_t i = 0; i < blocks.size(); ++i) {
        {
          std::lock_guard lock(mutex);
          if (stop) return;
        }
        prepare(blocks[i]);
        std::lock_guard lock(mutex);
        prepared = i + 1;
        ready.notify_one();
      }
    } catch (...) {
      std::lock_guard lock(mutex);
      failure = std::current_exception();
      ready.notify_one();
    }
  };
  std::thread preparer;
  try {
    preparer = std::thread(prepare_all);
  } catch (const std::system_error&) {
    // No second thread to be had: each block is prepared just before use.
    for (QsoBlock& block : blocks) {
      prepare(block);
      use(block);
    }
    return;
  }
  struct Joiner {
    std::thread& thread;
    std::mutex& mutex;
    bool& stop;
    ~Joiner() {
      {
        std::lock_guard lock(mutex);
        stop = true;
      }
      thread.join();
    }
  } joiner{preparer, mutex, stop};
  for (size_t i = 0; i < blocks.size(); ++i) {
    {
      std::unique_lock lock(mutex);
      ready.wait(lock, [&] { return prepared > i || failure; });
      if (prepared <= i) std::rethrow_exception(failure);
    }
    use(blocks[i]);
  }
}

}  // namespace replay
