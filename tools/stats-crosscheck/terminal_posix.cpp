#include <stdlib.h>
#include <unistd.h>

#include <system_error>

#include "system.h"
#include "terminal.h"

namespace crosscheck::sys {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

std::filesystem::path MakeScratchFolder(const std::string& stem, std::string* error) {
  // Files there live in memory: nothing written there waits for the disk.
  const char* memory = "/dev/shm";
  std::error_code ec;
  if (std::filesystem::is_directory(memory, ec) && access(memory, W_OK | X_OK) == 0) {
    // mkdtemp makes the folder with mode 0700.
    std::string pattern = std::string(memory) + "/" + stem + "-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) return pattern;
  }
  return replay::sys::MakePrivateFolder(stem, error);
}

}  // namespace crosscheck::sys
