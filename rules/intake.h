// QSO intake (AddData0), QSO removal (RemoveData0) and the call status check
// (CheckCallFunc0), over the contest data they are given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rules/contest_data.h"

namespace stats {

// What AddData0 and RemoveData0 read of their arguments: views of the
// host's texts, valid for the length of the call.
struct QsoArgs {
  std::string_view own_call;           // 1
  std::string_view call;               // 2
  OleDate time;                        // 3
  uint32_t frequency_hz = 0;           // 8
  std::string_view mode;               // 9
  std::string_view rst_sent;           // 10
  std::string_view rst_received;       // 11
  std::string_view exchange_sent;      // 12
  std::string_view exchange_received;  // 13
  std::string_view prefix;             // 22
  std::string_view country;            // 23
  std::string_view extra;              // 30
  std::string_view band;               // 32
};

// Checks, flags, stores and journals one QSO: 1 stored (also a duplicate or
// a bad section), 0 rejected.
int AddQso(ContestData& data, const QsoArgs& qso);

// Removes one QSO and its journal lines, and re-examines the duplicates of
// the same call and band that it leaves behind.
void RemoveQso(ContestData& data, const QsoArgs& qso);

// What CheckCallFunc0 reads of its arguments, as views of the host's
// texts.  band and band2 are null when the host passed a null pointer.
struct CallCheckArgs {
  std::string_view call;                 // 1
  std::string_view prefix;               // 13
  std::string_view country;              // 14
  std::optional<std::string_view> band;  // 25
  std::optional<std::string_view> band2; // 26
};

enum CallStatus : int {
  kCallDupe = 0,          // worked before on this band
  kCallKnownPrefix = 1,   // prefix worked on this band, or no country
  kCallNewPrefix = 2,     // a new multiplier
  kCallBandsDiffer = 4,   // the two band arguments differ
};

CallStatus CheckCall(const QsoStore& store, const CallCheckArgs& args);

// The journal line of a QSO, ending in the reason piece (no line end).
std::string JournalLineText(const QsoArgs& qso, std::string_view reason);

}  // namespace stats
