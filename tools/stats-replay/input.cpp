#include "input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace replay {

namespace fs = std::filesystem;

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

bool ReadRegularFile(const fs::path& path, std::string* contents, std::string* error) {
  if (const std::string what = NotRegularFile(path); !what.empty()) {
    *error = what == "not a regular file" ? what : what + ", not a regular file";
    return false;
  }
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  errno = 0;
  std::unique_ptr<std::FILE, Closer> f(std::fopen(path.string().c_str(), "rb"));
  if (!f) {
    *error = std::strerror(errno != 0 ? errno : ENOENT);
    return false;
  }
  std::string chunk(1 << 16, '\0');
  size_t n;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), f.get())) > 0) contents->append(chunk, 0, n);
  if (std::ferror(f.get()) != 0) {
    *error = std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

}  // namespace replay
