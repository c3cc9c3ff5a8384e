#include <io.h>

#include "system.h"
#include "terminal.h"

namespace crosscheck::sys {

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

std::filesystem::path MakeScratchFolder(const std::string& stem, std::string* error) {
  return replay::sys::MakePrivateFolder(stem, error);
}

}  // namespace crosscheck::sys
