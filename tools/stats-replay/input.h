// Reading the files that stats-replay and the plug-in it drives open.  Only
// regular files are read: a FIFO would block for ever, a device such as
// /dev/zero would never end, and a folder has no contents to read.  A log is
// read piece by piece (ByteSource, ReadWindow), never held whole.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace replay {

// What the path is when it exists but is no regular file ("a folder",
// "a FIFO", "a device", "a socket", "not a regular file"); "" for a regular
// file (also behind a symbolic link) or a path that does not exist.
std::string NotRegularFile(const std::filesystem::path& path);

// Reads a whole regular file; false with *error set to the system's reason,
// or to what the path is when it is no regular file.
bool ReadRegularFile(const std::filesystem::path& path, std::string* contents, std::string* error);

// Bytes that come piece by piece: a file, or a text already in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Copies up to size bytes to `to`; 0 at the end, and after a failure.
  virtual size_t Read(char* to, size_t size) = 0;
  // The system's reason when reading failed; "" when it did not.
  virtual std::string Error() const { return ""; }
};

class TextSource final : public ByteSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  size_t Read(char* to, size_t size) override;

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

class FileSource final : public ByteSource {
 public:
  // Opens a regular file for reading; null with *error set as by
  // ReadRegularFile.
  static std::unique_ptr<FileSource> Open(const std::filesystem::path& path, std::string* error);
  size_t Read(char* to, size_t size) override;
  std::string Error() const override { return error_; }
  // Reads on from byte `offset`; false (and no change) when the file cannot
  // be placed there.
  bool SkipTo(uint64_t offset);

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  explicit FileSource(std::FILE* file) : file_(file) {}
  std::unique_ptr<std::FILE, Closer> file_;
  std::string error_;
};

// A sliding view of a source: the readers look at the bytes from the
// current position on, ask for more when a tag or a line goes on past the
// bytes read so far, and move on.  Bytes passed over are dropped when more
// are read, so only the record being read stays in memory.
class ReadWindow {
 public:
  explicit ReadWindow(ByteSource& source) : source_(source) {}
  // The bytes read and not yet passed over.  A view is valid until the
  // next More() or Fill().
  std::string_view View() const {
    return std::string_view(buffer_).substr(pos_);
  }
  // Reads more bytes; false at the end of the source.
  bool More();
  // Reads until at least count bytes are in view or the source ends;
  // whether count bytes are in view.
  bool Fill(size_t count);
  void Skip(size_t count) { pos_ += count; }

 private:
  ByteSource& source_;
  std::string buffer_;
  size_t pos_ = 0;
  bool ended_ = false;
};

}  // namespace replay
