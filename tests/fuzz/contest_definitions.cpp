// Fuzzes the contest definition reader of stats-crosscheck: any bytes give
// either a definition that holds together or one message naming the file
// (and the line) without control bytes, never a crash, a hang or a
// sanitizer report; and a comment line added at the end changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "contest.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<crosscheck::ContestDefinition> d =
      crosscheck::ParseContest(text, "fuzz.contest", &error);
  if (!d) {
    Check(error.rfind("fuzz.contest", 0) == 0);
    for (const char c : error) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  } else {
    Check(!d->bands.empty() && !d->modes.empty() && !d->exchange.empty());
    Check(d->length_minutes > 0 && d->window_minutes > 0 && d->start_minute >= 0 && d->start_minute < 1440);
    Check(d->CostOf(crosscheck::Verdict::kOk).counted && d->CostOf(crosscheck::Verdict::kTimeOffset).counted);
    for (size_t b = 0; b < d->bands.size(); ++b) Check(d->BandIndex(d->bands[b]) == static_cast<int>(b));
  }
  // A last line that ends the previous one and holds only a comment.
  std::string more(text);
  more += "\n# the end\n";
  std::string more_error;
  const std::optional<crosscheck::ContestDefinition> e =
      crosscheck::ParseContest(more, "fuzz.contest", &more_error);
  // A NUL or a mistake is told on the same line; only a missing key is
  // told for the file as a whole, before and after alike.
  Check(d.has_value() == e.has_value());
  if (d) Check(d->bands == e->bands && d->title == e->title && d->sections == e->sections);
  return 0;
}
