// A log read on a second thread.  The reader parses the file there and packs
// what it reads (QSOs, problems, header lines) in file order into blocks of
// about a megabyte; the calling thread takes each block as soon as it is
// full and works on it while the next is read.  A QSO's texts are views into
// its block, each followed by a NUL byte, so they can go to the plug-in as
// they lie.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "input.h"
#include "log.h"

namespace replay {

// Texts packed one after the other, each with its length before it (a byte,
// five for a text of 255 bytes or more) and a NUL after it, read back in the
// same order as views.
class PackedTexts {
 public:
  void Add(std::string_view text);
  void Reserve(size_t bytes) { bytes_.reserve(bytes); }
  size_t Bytes() const { return bytes_.size(); }

  // Reads the texts back from the first; a view stays valid as long as the
  // texts are not added to.
  class Reader {
   public:
    explicit Reader(const PackedTexts& texts) : bytes_(texts.bytes_) {}
    std::string_view Next();

   private:
    std::string_view bytes_;
    size_t at_ = 0;
  };

 private:
  std::string bytes_;
};

// A QSO as it lies in a block: what LogQso holds, its texts as views that
// stay valid as long as the block does.
struct PackedQso {
  int number = 0;
  int line = 0;
  QsoTime time;
  uint32_t frequency_hz = 0;
  std::string_view call, own_call, band, mode, rst_sent, rst_received, exchange_sent,
      exchange_received, prefix;

  // Copies it into a LogQso (whose strings keep their room between QSOs).
  void CopyTo(LogQso* qso) const;
};

// What a block's entries are given to, in file order.
class BlockVisitor {
 public:
  virtual ~BlockVisitor() = default;
  virtual void OnQso(const PackedQso& qso) = 0;
  virtual void OnProblem(const ReadProblem& problem) { (void)problem; }
  virtual void OnHeader(const HeaderLine& header) { (void)header; }
};

// Hands a block's entries to a LogReceiver, each QSO copied into one LogQso.
class UnpackingVisitor final : public BlockVisitor {
 public:
  explicit UnpackingVisitor(LogReceiver& receiver) : receiver_(receiver) {}
  void OnQso(const PackedQso& qso) override;
  void OnProblem(const ReadProblem& problem) override { receiver_.OnProblem(problem); }
  void OnHeader(const HeaderLine& header) override { receiver_.OnHeader(header); }

 private:
  LogReceiver& receiver_;
  LogQso qso_;
};

// Entries packed one after the other: a kind, the numbers as they lie, texts
// with their length and a NUL after them.
class QsoBlock {
 public:
  static constexpr size_t kSize = size_t{1} << 20;

  void AddQso(const LogQso& qso);
  void AddProblem(const ReadProblem& problem);
  void AddHeader(const HeaderLine& header);
  // Whether the block should be handed on before the next entry: an entry
  // never spans two blocks, and a block grows past kSize only by its last.
  bool Full() const { return bytes_.size() >= kSize - 4096; }
  bool Empty() const { return bytes_.empty(); }
  // Gives each entry to the visitor, in the order they were added.
  void Visit(BlockVisitor& visitor) const;
  // Gives back the block's memory.
  void Release() { std::string().swap(bytes_); }
  // Texts its user keeps beside the block's QSOs (what it works out for
  // each).
  PackedTexts notes;

  // The block was read as the part of an ADIF log that starts after
  // `records` records and `lines` line ends: Visit gives its record
  // numbers, lines and problems as the whole log numbers them.
  void Shift(int records, int lines) {
    shift_records_ = records;
    shift_lines_ = lines;
  }

 private:
  // Room for an entry of `bytes` at the end.
  char* Room(size_t bytes);
  std::string bytes_;
  int shift_records_ = 0, shift_lines_ = 0;
};

// The readers' shape: StreamAdif and StreamCabrillo.
using LogReader = std::function<std::string(ByteSource& source, LogReceiver& receiver)>;
using BlockTaker = std::function<void(QsoBlock&& block)>;

// Reads the source with `read` on a second thread, and hands each block it
// fills to `take` on this thread, in file order, while the reader goes on
// (at most a few blocks wait between the two).  `all_fields` is what the
// reader is told LogReceiver::WantsAllFields is.  Returns what `read`
// returns (the log's own call); a failure of the source ends the reading
// as it does for the reader alone, and the caller asks the source for it.
// An exception thrown by the reader or by `take` stops both and is thrown
// here once the reader's thread has ended.
std::string ReadInBlocks(const LogReader& read, ByteSource& source, bool all_fields,
                         const BlockTaker& take);

// Runs `prepare` over the blocks in order on a second thread, and `use` on
// each block on this thread as soon as `prepare` is done with it: the work
// of preparing the next blocks is done while this thread uses the earlier
// ones.  An exception from either side stops both and is thrown here.
void PrepareAhead(std::vector<QsoBlock>& blocks, const std::function<void(QsoBlock&)>& prepare,
                  const std::function<void(QsoBlock&)>& use);

// Reads an ADIF log in two parts at once, each on a thread of its own: the
// head from the start, and the tail from the end of the first <EOR> at or
// after byte `split`.  `tail` is a second source of the same bytes, placed at
// byte `split`.  The head's reading stops where the tail's starts when a
// record ends exactly there (the <EOR> found was no field's data); then the
// tail's blocks are taken after the head's, numbered as the whole log numbers
// them.  Otherwise the head reads on to the end and the tail's reading is
// dropped.  What `take` is given is what ReadInBlocks gives.  *tail_error is
// the tail source's failure when its part was used ("" when none).
std::string ReadAdifInTwo(ByteSource& head, ByteSource& tail, uint64_t split, bool all_fields,
                          const BlockTaker& take, std::string* tail_error);

}  // namespace replay
