// The parts of the seam that every platform shares.
#include <memory>

#include "platform/override.h"
#include "platform/platform.h"

namespace stats {
namespace {
constinit Override<Platform, NativePlatform> g_platform;
}

Platform& Os() { return g_platform.Get(); }

Platform* SetPlatform(Platform* platform) { return g_platform.Set(platform); }

std::string TemporaryFileFor(const std::string& path) { return path + ".tmp"; }

bool ReplaceFile(const std::string& path, const std::vector<std::string_view>& pieces,
                 std::string* error) {
  std::string reason;
  const std::string temp = TemporaryFileFor(path);
  std::unique_ptr<File> file = Os().OpenFile(temp, FileMode::kTruncate, &reason);
  bool ok = file != nullptr;
  if (ok) {
    for (const std::string_view piece : pieces) {
      if (!file->Write(piece)) {
        ok = false;
        break;
      }
    }
    // Close flushes; a buffered write fails there at the latest.
    if (ok && !file->Sync()) ok = false;
    if (!file->Close()) ok = false;
    if (!ok) reason = file->LastError();
    file.reset();
    if (ok) ok = Os().RenameFile(temp, path, &reason);
    if (!ok) Os().RemoveFile(temp);
  }
  if (!ok && error != nullptr) *error = reason.empty() ? "unknown error" : reason;
  return ok;
}

std::vector<std::string> SplitLines(std::string_view contents) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = contents.size();
    std::string_view line = contents.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = last ? contents.size() : end + 1;
  }
  return lines;
}

}  // namespace stats
