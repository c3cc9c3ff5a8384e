// The bad-QSO journal: a text file beside the host with one line for every
// QSO that was rejected, repeated an earlier one, or came from a Belgian
// station with an unacceptable section.
//
// The journal keeps its lines in memory as well, each tagged with the QSO it
// was written for, so that removing a QSO takes away exactly its own lines
// and counting bad QSOs needs no re-reading of the file: the count stays
// right when the file cannot be written.  Every change leaves the file
// flushed, so the operator can read it at any moment; a file that cannot be
// created or written is handed, with the system's reason, to the failure
// sink that the journal's owner installed.
//
// The file on disk is always a whole journal, the earlier one or the new
// one: it is replaced only through a complete temporary file, and a line
// appended is either there whole, with its line end, or taken back (a full
// disk leaves no torn last line).  A read-only journal is left as it is.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/oledate.h"
#include "platform/platform.h"

namespace stats {

inline constexpr const char* kJournalHeader = "UBA PFX UBN file ";
inline constexpr const char* kJournalRewriteHeader = "UBA PFX UBN file  ";
inline constexpr const char* kDupeReason = "   DUPE !!!";

// Whom a journal line belongs to: a stored record (by its store serial) or a
// rejected QSO, known only by its call, band and time.
struct JournalOwner {
  bool stored = false;
  uint64_t serial = 0;
  std::string call;
  std::string band;
  OleDate time;
};

struct JournalLine {
  std::string text;  // without the line end
  bool dupe = false;
  JournalOwner owner;
};

class Journal {
 public:
  // Told the file name and the system's reason of every failed write.
  using FailureSink = void (*)(const std::string& file, const std::string& reason);
  void SetFailureSink(FailureSink sink) { sink_ = sink; }

  // Starts a new journal under this name: the file is replaced by one with
  // the header line.  An empty name leaves the journal closed (before the
  // first run), and its lines are then lost without notice.  A file that
  // cannot be created is noted; the lines are kept and counted all the same,
  // and every later change tries to write the file whole again.
  void Create(const std::string& file_name);
  // Starts a new journal that is kept and counted but has no file, because
  // no name could be made for it; the sink is told once, with what and why.
  void CreateWithoutFile(const std::string& what, const std::string& reason);
  bool IsOpen() const { return !file_name_.empty(); }

  // Appends one line (the line end is added) and flushes; when that fails,
  // writes the file whole.
  void Append(JournalLine line);

  // Removes the lines that satisfy pred, then rewrites the file whole with
  // the rewrite header and the kept lines in their order.
  template <typename Pred>
  size_t RemoveIf(Pred pred);
  // Removes line number index (0 = first line after the header) without
  // rewriting; call Rewrite() afterwards.
  void EraseAt(size_t index) { lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(index)); }
  void Rewrite();

  const std::vector<JournalLine>& Lines() const { return lines_; }
  // Lines after the header that are not duplicate reports.
  int BadLineCount() const;

 private:
  // Replaces the file with the header and every line; false when it failed.
  bool WriteAll();
  void Failed(const std::string& reason);
  std::string file_name_;
  std::string header_ = kJournalHeader;
  std::vector<JournalLine> lines_;
  std::unique_ptr<File> file_;  // open for appending while the file is whole
  unsigned long long file_size_ = 0;  // bytes of the file that file_ appends to
  std::string refusal_;  // why the journal has no file ("" when it has one)
  FailureSink sink_ = nullptr;
};

template <typename Pred>
size_t Journal::RemoveIf(Pred pred) {
  const size_t before = lines_.size();
  std::erase_if(lines_, pred);
  return before - lines_.size();
}

}  // namespace stats
