// QSO intake (AddData0), QSO removal (RemoveData0) and the call status check
// (CheckCallFunc0), over the contest data they are given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "rules/contest_data.h"

namespace stats {

// What AddData0 and RemoveData0 read of their arguments.
struct QsoArgs {
  std::string own_call;           // 1
  std::string call;               // 2
  OleDate time;                   // 3
  uint32_t frequency_hz = 0;      // 8
  std::string mode;               // 9
  std::string rst_sent;           // 10
  std::string rst_received;       // 11
  std::string exchange_sent;      // 12
  std::string exchange_received;  // 13
  std::string prefix;             // 22
  std::string country;            // 23
  std::string extra;              // 30
  std::string band;               // 32
};

// Checks, flags, stores and journals one QSO: 1 stored (also a duplicate or
// a bad section), 0 rejected.
int AddQso(ContestData& data, const QsoArgs& qso);

// Removes one QSO and its journal lines, and re-examines the duplicates of
// the same call and band that it leaves behind.
void RemoveQso(ContestData& data, const QsoArgs& qso);

// What CheckCallFunc0 reads of its arguments.  band and band2 are null when
// the host passed a null pointer.
struct CallCheckArgs {
  std::string call;                 // 1
  std::string prefix;               // 13
  std::string country;              // 14
  std::optional<std::string> band;  // 25
  std::optional<std::string> band2; // 26
};

enum CallStatus : int {
  kCallDupe = 0,          // worked before on this band
  kCallKnownPrefix = 1,   // prefix worked on this band, or no country
  kCallNewPrefix = 2,     // a new multiplier
  kCallBandsDiffer = 4,   // the two band arguments differ
};

CallStatus CheckCall(const QsoStore& store, const CallCheckArgs& args);

// The journal line of a QSO, ending in the reason piece (no line end).
std::string JournalLineText(const QsoArgs& qso, const std::string& reason);

}  // namespace stats
