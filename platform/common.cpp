// The parts of the seam that every platform shares.
#include <atomic>

#include "platform/platform.h"

namespace stats {
namespace {
std::atomic<Platform*> g_override{nullptr};
}

Platform& Os() {
  Platform* p = g_override.load(std::memory_order_acquire);
  return p != nullptr ? *p : NativePlatform();
}

Platform* SetPlatform(Platform* platform) {
  Platform* old = g_override.exchange(platform, std::memory_order_acq_rel);
  return old != nullptr ? old : &NativePlatform();
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
