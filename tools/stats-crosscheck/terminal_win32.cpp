#include <io.h>

#include "terminal.h"

namespace crosscheck::sys {

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace crosscheck::sys
