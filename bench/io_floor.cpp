// The floor under stats-replay's time: the file work of a run and nothing
// else.  It reads the log once in pieces and writes two files of given sizes
// (the journal and the Cabrillo log the replay wrote) as the plug-in writes
// them: to a temporary file, synced, then renamed over the name.
//
//   io_floor LOG OUTPUT1 SIZE1 OUTPUT2 SIZE2
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool WriteFile(const std::string& path, long long size) {
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::string chunk(1 << 16, 'x');
  bool ok = true;
  for (long long left = size; left > 0 && ok;) {
    const size_t n = static_cast<size_t>(std::min<long long>(left, static_cast<long long>(chunk.size())));
    ok = ::write(fd, chunk.data(), n) == static_cast<ssize_t>(n);
    left -= static_cast<long long>(n);
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  return ok && std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: io_floor LOG OUTPUT1 SIZE1 OUTPUT2 SIZE2\n");
    return 2;
  }
  std::FILE* log = std::fopen(argv[1], "rb");
  if (log == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::string chunk(1 << 16, '\0');
  unsigned long long sum = 0;
  while (const size_t n = std::fread(chunk.data(), 1, chunk.size(), log)) {
    for (size_t i = 0; i < n; ++i) sum += static_cast<unsigned char>(chunk[i]);
  }
  std::fclose(log);
  if (!WriteFile(argv[2], std::atoll(argv[3])) || !WriteFile(argv[4], std::atoll(argv[5]))) {
    std::perror("io_floor");
    return 1;
  }
  // The sum keeps the reading from being left out by the compiler.
  return sum == 1 ? 3 : 0;
}
