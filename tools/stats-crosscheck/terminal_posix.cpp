#include <unistd.h>

#include "terminal.h"

namespace crosscheck::sys {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

}  // namespace crosscheck::sys
