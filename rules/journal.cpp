#include "rules/journal.h"

namespace stats {

void Journal::Create(const std::string& file_name) {
  file_.reset();
  lines_.clear();
  header_ = kJournalHeader;
  file_name_ = file_name;
  if (file_name_.empty()) return;
  if (!WriteAll(header_)) {
    // No journal for this run: its lines are lost, as with no name at all.
    file_name_.clear();
  }
}

bool Journal::WriteAll(const std::string& header) {
  file_.reset();
  std::unique_ptr<File> f = Os().OpenFile(file_name_, FileMode::kTruncate, nullptr);
  if (!f) return false;
  std::string contents = header + "\r\n";
  for (const JournalLine& line : lines_) contents += line.text + "\r\n";
  if (!f->Write(contents) || !f->Flush()) return false;
  file_ = std::move(f);
  return true;
}

void Journal::Append(JournalLine line) {
  if (!IsOpen()) return;
  const std::string bytes = line.text + "\r\n";
  lines_.push_back(std::move(line));
  if (file_ && file_->Write(bytes) && file_->Flush()) return;
  // The file is no longer whole: write it anew from the lines kept here.  If
  // that fails too, the next change tries again.
  WriteAll(header_);
}

void Journal::Rewrite() {
  if (!IsOpen()) return;
  header_ = kJournalRewriteHeader;
  WriteAll(header_);
}

int Journal::BadLineCount() const {
  int count = 0;
  for (const JournalLine& line : lines_) count += line.dupe ? 0 : 1;
  return count;
}

}  // namespace stats
