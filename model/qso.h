// One QSO as the store keeps it.
#pragma once

#include <cstdint>

#include "model/oledate.h"
#include "model/text.h"

namespace stats {

// One QSO of the store.
struct CInfo {
  CompactText call;               // worked station's call sign
  InternedText country;           // worked station's country prefix
  CompactText prefix;             // prefix of the worked call, the multiplier key
  CompactText extra;              // carried with the QSO, never read
  InternedText band;              // band name as the host gave it
  InternedText mode;
  CompactText rst_received;
  CompactText rst_sent;
  CompactText exchange_received;  // serial number or UBA section
  CompactText exchange_sent;
  CompactText uba_section;        // section of a worked Belgian station, else ""
  int32_t frequency_khz = 0;
  int8_t not_counted = 0;         // 1: earns no point (dupe or bad section)
  int8_t bad = 0;                 // 1: bad QSO (bad section)
  int8_t dupe = 0;                // 1: repeats an earlier QSO on the band
  int8_t bad_section = 0;         // 1: a Belgian section not in the table
  OleDate time;                   // QSO date and time

  bool operator==(const CInfo&) const = default;
};

}  // namespace stats
