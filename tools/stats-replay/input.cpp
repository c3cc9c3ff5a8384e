#include "input.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace replay {

namespace fs = std::filesystem;

namespace {
constexpr size_t kChunk = 1 << 16;
}  // namespace

std::string NotRegularFile(const fs::path& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  switch (status.type()) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
    case fs::file_type::none:
      return "";
    case fs::file_type::directory:
      return "a folder";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::character:
    case fs::file_type::block:
      return "a device";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

size_t TextSource::Read(char* to, size_t size) {
  const size_t n = std::min(size, text_.size() - pos_);
  if (n > 0) std::memcpy(to, text_.data() + pos_, n);
  pos_ += n;
  return n;
}

std::unique_ptr<FileSource> FileSource::Open(const fs::path& path, std::string* error) {
  if (const std::string what = NotRegularFile(path); !what.empty()) {
    *error = what == "not a regular file" ? what : what + ", not a regular file";
    return nullptr;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.string().c_str(), "rb");
  if (file == nullptr) {
    *error = std::strerror(errno != 0 ? errno : ENOENT);
    return nullptr;
  }
  return std::unique_ptr<FileSource>(new FileSource(file));
}

size_t FileSource::Read(char* to, size_t size) {
  if (!error_.empty()) return 0;
  errno = 0;
  const size_t n = std::fread(to, 1, size, file_.get());
  if (n == 0 && std::ferror(file_.get()) != 0) error_ = std::strerror(errno != 0 ? errno : EIO);
  return n;
}

bool FileSource::SkipTo(uint64_t offset) {
  // std::fseek takes a long, which has 32 bits on Windows.
  if (!error_.empty() || offset > static_cast<uint64_t>(LONG_MAX)) return false;
  return std::fseek(file_.get(), static_cast<long>(offset), SEEK_SET) == 0;
}

bool ReadRegularFile(const fs::path& path, std::string* contents, std::string* error) {
  std::unique_ptr<FileSource> file = FileSource::Open(path, error);
  if (!file) return false;
  std::string chunk(kChunk, '\0');
  size_t n;
  while ((n = file->Read(chunk.data(), chunk.size())) > 0) contents->append(chunk, 0, n);
  if (!file->Error().empty()) {
    *error = file->Error();
    return false;
  }
  return true;
}

bool ReadWindow::More() {
  if (ended_) return false;
  // Bytes passed over go once they are the larger part of the buffer, so
  // that dropping them costs no more than reading them did.
  if (pos_ > 0 && pos_ >= buffer_.size() / 2) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  const size_t old = buffer_.size();
  buffer_.resize(old + kChunk);
  const size_t n = source_.Read(buffer_.data() + old, kChunk);
  buffer_.resize(old + n);
  if (n == 0) ended_ = true;
  return n > 0;
}

bool ReadWindow::Fill(size_t count) {
  while (buffer_.size() - pos_ < count) {
    if (!More()) return false;
  }
  return true;
}

}  // namespace replay
