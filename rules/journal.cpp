#include "rules/journal.h"

#include "model/file_name.h"
#include "platform/failure_log.h"

namespace stats {

void Journal::Create(const std::string& file_name) {
  file_.reset();
  lines_.clear();
  header_ = kJournalHeader;
  file_name_ = file_name;
  refusal_.clear();
  if (file_name_.empty()) return;
  // A name that is not one plain file of the host's folder never reaches
  // the file system.
  refusal_ = file_names::Problem(file_name_);
  WriteAll();
}

void Journal::CreateWithoutFile(const std::string& what, const std::string& reason) {
  file_.reset();
  lines_.clear();
  header_ = kJournalHeader;
  file_name_ = what;
  refusal_ = reason.empty() ? "no file name" : reason;
  Failed(refusal_);
}

bool Journal::WriteAll() {
  file_.reset();
  if (!refusal_.empty()) {
    Failed(refusal_);
    return false;
  }
  std::string contents = header_ + "\r\n";
  for (const JournalLine& line : lines_) contents += line.text + "\r\n";
  // The file is replaced only by a complete new one, so a failure here
  // leaves the journal on disk as it was.
  std::string reason;
  if (!ReplaceFile(file_name_, {contents}, &reason)) {
    Failed(reason);
    return false;
  }
  // Later lines are appended to it; when it cannot be opened for that, the
  // next line writes it whole again.
  file_ = Os().OpenFile(file_name_, FileMode::kAppend, &reason);
  file_size_ = contents.size();
  if (!file_) Failed(reason);
  return true;
}

void Journal::Failed(const std::string& reason) {
  if (sink_ != nullptr) sink_(file_name_, reason);
}

void Journal::Append(JournalLine line) {
  if (!IsOpen()) return;
  const std::string bytes = line.text + "\r\n";
  lines_.push_back(std::move(line));
  if (file_) {
    if (file_->Write(bytes) && file_->Flush()) {
      file_size_ += bytes.size();
      return;
    }
    Failed(file_->LastError());
    // What went out of the line is taken back: the file ends with the last
    // whole line again.
    file_->Truncate(file_size_);
    file_.reset();
  }
  // The file is no longer whole: write it anew from the lines kept here.  If
  // that fails too, the next change tries again; the lines stay counted.
  if (!WriteAll()) {
    failure_log::Record("journal line not written", file_name_, lines_.back().text);
  }
}

void Journal::Rewrite() {
  if (!IsOpen()) return;
  header_ = kJournalRewriteHeader;
  WriteAll();
}

int Journal::BadLineCount() const {
  int count = 0;
  for (const JournalLine& line : lines_) count += line.dupe ? 0 : 1;
  return count;
}

}  // namespace stats
