// The host's argument layouts (plugin/host_args.h): what the call helpers
// put at each position is what the parsers read back, and every position
// the plug-in does not read gets a blank, never a null.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/host_args.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace stats::host_args {
namespace {

// What the recording entry points received: the parsed fields and the
// positions that held a null text or a date other than the null date.
ResetFields g_reset;
QsoFields g_qso;
CheckFields g_check;
std::vector<int> g_nulls;

void NoteNull(int position, const char* text) {
  if (text == nullptr) g_nulls.push_back(position);
}

int STATS_CALL RecordReset(STATS_RESET_PARAMS) {
  g_reset = ParseReset(STATS_RESET_ARGS);
  const char* unread[] = {p6, p7, p8, p9, p10, p11, p12, p13, p14, p21, p22, p23};
  for (const char* text : unread) NoteNull(0, text);
  return p16 + p17 + p18 == 0 && p19 == 0.0 && p20 == 0.0 ? 7 : -1;
}

int STATS_CALL RecordQso(STATS_ADD_DATA_PARAMS) {
  g_qso = ParseQso(STATS_ADD_DATA_ARGS);
  const char* unread[] = {p14, p15, p16, p17, p18, p19, p20, p21, p29, p31, p33};
  for (const char* text : unread) NoteNull(0, text);
  for (const OleDateTime* date : {p4, p5, p6}) {
    if (date == nullptr || date->status != 2) g_nulls.push_back(1);
  }
  return p7 == 0 && p24 + p25 + p26 == 0 ? 8 : -1;
}

int STATS_CALL RecordCheck(STATS_CHECK_CALL_PARAMS) {
  g_check = ParseCheck(STATS_CHECK_CALL_ARGS);
  const char* unread[] = {p5, p6, p7, p8, p9, p10, p11, p12, p20, p21, p22, p23, p24};
  for (const char* text : unread) NoteNull(0, text);
  // The output buffers are there and may be written.
  if (p27 == nullptr || p28 == nullptr) return -1;
  std::strcpy(p27, "x");
  std::strcpy(p28, "y");
  return p2 == 0 && p3 == 0 ? 9 : -1;
}

class HostArgs : public ::testing::Test {
 protected:
  void SetUp() override { g_nulls.clear(); }
};

TEST_F(HostArgs, ResetRoundTrip) {
  const OleDateTime start{42000.5, 0}, end{42001.5, 0};
  ResetFields f;
  f.host_folder = "C:\\Zelk\\";
  f.cabrillo = 3;
  f.own_call = "ON4XX";
  f.start = &start;
  f.end = &end;
  f.own_country = "ON";
  EXPECT_EQ(CallReset(&RecordReset, f), 7);
  EXPECT_EQ(g_reset.host_folder, f.host_folder);
  EXPECT_EQ(g_reset.cabrillo, 3);
  EXPECT_EQ(g_reset.own_call, f.own_call);
  EXPECT_EQ(g_reset.start, &start);
  EXPECT_EQ(g_reset.end, &end);
  EXPECT_EQ(g_reset.own_country, f.own_country);
  EXPECT_TRUE(g_nulls.empty());
}

TEST_F(HostArgs, QsoRoundTripPutsEveryFieldAtItsOwnPosition) {
  // Thirteen distinct texts: a field that landed at another's position
  // would come back as the wrong pointer.
  const OleDateTime time{42000.25, 0};
  QsoFields f;
  f.own_call = "own";
  f.call = "call";
  f.time = &time;
  f.frequency_hz = 14070123u;
  f.mode = "mode";
  f.rst_sent = "rs";
  f.rst_received = "rr";
  f.exchange_sent = "xs";
  f.exchange_received = "xr";
  f.prefix = "pfx";
  f.country = "ctry";
  f.extra = "extra";
  f.band = "band";
  EXPECT_EQ(CallQso(&RecordQso, f), 8);
  const std::vector<const char*> sent = {f.own_call, f.call, f.mode, f.rst_sent, f.rst_received,
                                         f.exchange_sent, f.exchange_received, f.prefix,
                                         f.country, f.extra, f.band};
  const std::vector<const char*> got = {
      g_qso.own_call, g_qso.call, g_qso.mode, g_qso.rst_sent, g_qso.rst_received,
      g_qso.exchange_sent, g_qso.exchange_received, g_qso.prefix, g_qso.country, g_qso.extra,
      g_qso.band};
  EXPECT_EQ(got, sent);
  EXPECT_EQ(g_qso.time, &time);
  EXPECT_EQ(g_qso.frequency_hz, 14070123u);
  EXPECT_TRUE(g_nulls.empty());
}

TEST_F(HostArgs, CheckRoundTripKeepsNullBands) {
  CheckFields f;
  f.call = "DL1AB";
  f.mode = "BPSK63";
  f.prefix = "DL1";
  f.country = "DL";
  f.band = "20m";
  f.band2 = nullptr;  // a host may pass no second band
  EXPECT_EQ(CallCheck(&RecordCheck, f), 9);
  EXPECT_EQ(g_check.call, f.call);
  EXPECT_EQ(g_check.mode, f.mode);
  EXPECT_EQ(g_check.prefix, f.prefix);
  EXPECT_EQ(g_check.country, f.country);
  EXPECT_EQ(g_check.band, f.band);
  EXPECT_EQ(g_check.band2, nullptr);
  EXPECT_TRUE(g_nulls.empty());
}

}  // namespace
}  // namespace stats::host_args
