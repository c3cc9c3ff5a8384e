// The host's argument layouts, written once: which position of ResetStats0,
// AddData0 / RemoveData0 and CheckCallFunc0 carries which value.
//
// Each layout is a named structure of the arguments the plug-in reads, with
// a parser that the exports use to turn the C arguments into it, and a call
// helper that hosts, tools and tests use to call an export through its
// function pointer: the named values go to their positions, every other
// position gets a blank (an empty text, 0, or a null date).  Header only, so
// that programs that load the plug-in use it without linking the plug-in.
//
// Texts are the host's pointers as they are: null stays null both ways.
#pragma once

#include <string>

#include "model/oledate.h"
#include "plugin/abi.h"

// The layouts carry many arguments this contest never reads.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace stats::host_args {

// A date as the host passes it: a null pointer is a null date; a status the
// host should not send counts as invalid.
inline OleDate ParseDate(const OleDateTime* date) {
  if (date == nullptr) return OleDate::Null();
  switch (date->status) {
    case 0:
      return {date->dt, OleDate::Status::kValid};
    case 2:
      return {date->dt, OleDate::Status::kNull};
    default:
      return {date->dt, OleDate::Status::kInvalid};
  }
}

// -- ResetStats0 ---------------------------------------------------------------

struct ResetFields {
  const char* host_folder = "";         // p1, ends with a path separator
  int cabrillo = 0;                     // p2, nonzero: a Cabrillo log is wanted
  const char* own_call = "";            // p3
  const OleDateTime* start = nullptr;   // p4, contest start
  const OleDateTime* end = nullptr;     // p5, contest end
  const char* own_country = "";         // p15
};

inline ResetFields ParseReset(STATS_RESET_PARAMS) {
  ResetFields a;
  a.host_folder = p1;
  a.cabrillo = p2;
  a.own_call = p3;
  a.start = p4;
  a.end = p5;
  a.own_country = p15;
  return a;
}

inline int CallReset(ResetStats0Fn fn, const ResetFields& a) {
  const char* b = "";
  return fn(a.host_folder, a.cabrillo, a.own_call, a.start, a.end, b, b, b, b, b, b, b, b, b,
            a.own_country, 0, 0, 0, 0.0, 0.0, b, b, b);
}

// -- AddData0 and RemoveData0 ------------------------------------------------------

struct QsoFields {
  const char* own_call = "";             // p1
  const char* call = "";                 // p2
  const OleDateTime* time = nullptr;     // p3
  unsigned int frequency_hz = 0;         // p8
  const char* mode = "";                 // p9
  const char* rst_sent = "";             // p10
  const char* rst_received = "";         // p11
  const char* exchange_sent = "";        // p12
  const char* exchange_received = "";    // p13
  const char* prefix = "";               // p22
  const char* country = "";              // p23
  const char* extra = "";                // p30
  const char* band = "";                 // p32
};

inline QsoFields ParseQso(STATS_ADD_DATA_PARAMS) {
  QsoFields a;
  a.own_call = p1;
  a.call = p2;
  a.time = p3;
  a.frequency_hz = p8;
  a.mode = p9;
  a.rst_sent = p10;
  a.rst_received = p11;
  a.exchange_sent = p12;
  a.exchange_received = p13;
  a.prefix = p22;
  a.country = p23;
  a.extra = p30;
  a.band = p32;
  return a;
}

// The date of a position the plug-in does not read: null (status 2).
inline constexpr OleDateTime kNullDate{0.0, 2};

// AddData0 and RemoveData0 share the layout (AddData0Fn is RemoveData0Fn).
inline int CallQso(AddData0Fn fn, const QsoFields& a) {
  const char* b = "";
  const OleDateTime* none = &kNullDate;
  return fn(a.own_call, a.call, a.time, none, none, none, 0u, a.frequency_hz, a.mode, a.rst_sent,
            a.rst_received, a.exchange_sent, a.exchange_received, b, b, b, b, b, b, b, b,
            a.prefix, a.country, 0, 0, 0, 0.0, 0.0, b, a.extra, b, a.band, b);
}

// -- CheckCallFunc0 ---------------------------------------------------------------

struct CheckFields {
  const char* call = "";      // p1
  const char* mode = "";      // p4
  const char* prefix = "";    // p13
  const char* country = "";   // p14
  const char* band = "";      // p25
  const char* band2 = "";     // p26
};

inline CheckFields ParseCheck(STATS_CHECK_CALL_PARAMS) {
  CheckFields a;
  a.call = p1;
  a.mode = p4;
  a.prefix = p13;
  a.country = p14;
  a.band = p25;
  a.band2 = p26;
  return a;
}

// Positions 27 and 28 are the host's output buffers, which the plug-in
// leaves alone: the caller's own, or buffers of the helper's.
inline int CallCheck(CheckCallFunc0Fn fn, const CheckFields& a, char* out1, char* out2) {
  const char* b = "";
  return fn(a.call, 0u, 0u, a.mode, b, b, b, b, b, b, b, b, a.prefix, a.country, 0, 0, 0, 0.0,
            0.0, b, b, b, b, b, a.band, a.band2, out1, out2);
}

inline int CallCheck(CheckCallFunc0Fn fn, const CheckFields& a) {
  std::string out1(256, '\0'), out2(256, '\0');
  return CallCheck(fn, a, out1.data(), out2.data());
}

}  // namespace stats::host_args

#pragma GCC diagnostic pop
