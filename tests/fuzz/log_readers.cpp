// Fuzzes the log readers of stats-replay: any bytes, read as ADIF and as
// Cabrillo, must give QSOs and problems without a crash, a hang or a
// sanitizer report.  Only the readers' entry functions are called, so that
// the harness follows them as they change.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  replay::DetectFormat("fuzz.log", text);
  for (const replay::Log& log : {replay::ReadAdif(text), replay::ReadCabrillo(text)}) {
    for (const replay::LogQso& qso : log.qsos) {
      // A QSO is only ever made of what a record held.
      if (qso.call.size() > size || qso.exchange_received.size() > size) std::abort();
    }
  }
  return 0;
}
