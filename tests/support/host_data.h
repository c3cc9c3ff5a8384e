// The host's data as the tests give it: dates, a QSO with the tests'
// defaults (the kit's owning QSO, plugin/host_kit.h) and the arguments of a
// call check.  Header only: the layers' tests hand these to the functions
// they test, and the plug-in's tests to the exports.
#pragma once

#include <string>

#include "model/civil_date.h"
#include "plugin/abi.h"
#include "plugin/host_kit.h"

namespace stats::testing {

// An OLE date of a calendar day and time.
inline OleDateTime Date(int year, int month, int day, int hour = 0, int minute = 0) {
  return {civil::OleDays(year, month, day, hour, minute), 0};
}
inline OleDateTime NullDate() { return {0.0, 2}; }
inline OleDateTime InvalidDate() { return {0.0, 1}; }

// DL1OWN's QSO with DL1AB on 20m, 2017-01-06 13:12, serial 001 both ways.
struct QsoData : host_args::HostQso {
  QsoData() {
    own_call = "DL1OWN";
    call = "DL1AB";
    time = Date(2017, 1, 6, 13, 12);
    frequency_hz = 14070000;
    mode = "BPSK63";
    rst_sent = "599";
    rst_received = "599";
    exchange_sent = "001";
    exchange_received = "001";
    prefix = "DL1";
    country = "DL";
    band = "20m";
  }
};

// The arguments CheckCallFunc0 reads; null bands when not given.
struct CheckData {
  std::string call = "DL1AB";
  std::string mode = "BPSK63";
  std::string prefix = "DL1";
  std::string country = "DL";
  const char* band = "20m";
  const char* band2 = nullptr;
};

}  // namespace stats::testing
