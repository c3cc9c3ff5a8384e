#include "plugin/notices.h"

#include <mutex>
#include <set>

#include "platform/platform.h"

namespace stats::notices {
namespace {

struct Pending {
  std::mutex mutex;
  std::set<std::string> told;  // files noted in this run
  std::string text;
};

// Never destroyed: the window thread may note a failed settings write while
// the process tears down its static objects.
Pending& State() {
  static Pending* pending = new Pending;
  return *pending;
}

}  // namespace

namespace {

void NoteFile(const char* what, const std::string& file, const std::string& reason) {
  Pending& p = State();
  std::lock_guard lock(p.mutex);
  if (!p.told.insert(file).second) return;
  if (!p.text.empty()) p.text += "\r\n";
  p.text += what + file + " (" + (reason.empty() ? "unknown error" : reason) + ")";
}

}  // namespace

void FileNotWritten(const std::string& file, const std::string& reason) {
  NoteFile("File not written: ", file, reason);
}

void Note(const std::string& text) {
  Pending& p = State();
  std::lock_guard lock(p.mutex);
  if (!p.text.empty()) p.text += "\r\n";
  p.text += text;
}

void FileNotRead(const std::string& file, const std::string& reason) {
  NoteFile("File not read: ", file, reason);
}

void NewRun() {
  Pending& p = State();
  std::lock_guard lock(p.mutex);
  p.told.clear();
  p.text.clear();
}

std::string TakePending() {
  Pending& p = State();
  std::lock_guard lock(p.mutex);
  std::string text;
  text.swap(p.text);
  return text;
}

void ShowPending() {
  const std::string text = TakePending();
  if (!text.empty()) {
    Os().ShowMessage("Output", text, kMbOk | kMbIconInformation, MessageOwner::kActiveWindow);
  }
}

}  // namespace stats::notices
