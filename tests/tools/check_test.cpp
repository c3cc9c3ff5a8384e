#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "check.h"
#include "input.h"
#include "options.h"
#include "period.h"
#include "workfiles.h"

namespace replay {
namespace {

TEST(ContestPeriod, StartInclusiveEndByTimeOrWholeDay) {
  const ContestPeriod by_time(QsoTime{2026, 1, 3, 13, 0, 0}, QsoTime{2026, 1, 4, 13, 0, 0}, true);
  EXPECT_EQ(by_time.Outside({2026, 1, 3, 13, 0, 0}), "");
  EXPECT_EQ(by_time.Outside({2026, 1, 4, 12, 59, 0}), "");
  EXPECT_EQ(by_time.Outside({2026, 1, 3, 12, 59, 0}), "before the contest start 2026-01-03 13:00");
  EXPECT_EQ(by_time.Outside({2026, 1, 4, 13, 0, 0}), "after the contest end 2026-01-04 13:00");
  EXPECT_EQ(by_time.Text(), "2026-01-03 13:00 to 2026-01-04 13:00");

  const ContestPeriod by_day(QsoTime{2026, 1, 3, 0, 0, 0}, QsoTime{2026, 1, 4, 0, 0, 0}, false);
  EXPECT_EQ(by_day.Outside({2026, 1, 4, 23, 59, 0}), "");
  EXPECT_EQ(by_day.Outside({2026, 1, 5, 0, 0, 0}), "after the contest end 2026-01-04");
  EXPECT_EQ(by_day.Outside({2025, 12, 31, 23, 59, 0}), "before the contest start 2026-01-03 00:00");

  const ContestPeriod open_end(QsoTime{2026, 1, 3, 0, 0, 0}, std::nullopt, false);
  EXPECT_TRUE(open_end.limited());
  EXPECT_EQ(open_end.Outside({2030, 1, 1, 0, 0, 0}), "");
  EXPECT_EQ(open_end.Text(), "from 2026-01-03 00:00");
  EXPECT_FALSE(ContestPeriod().limited());
  EXPECT_EQ(ContestPeriod().Outside({1900, 1, 1, 0, 0, 0}), "");
}

TEST(Options, CheckAndTheEndOfThePeriod) {
  std::string error;
  std::optional<Options> o = ParseOptions({"--check", "--end", "2026-01-04 13:00", "x.adi"}, &error);
  ASSERT_TRUE(o) << error;
  EXPECT_TRUE(o->check);
  EXPECT_TRUE(o->end_has_time);
  o = ParseOptions({"--end=2026-01-04", "x.adi"}, &error);
  ASSERT_TRUE(o) << error;
  EXPECT_FALSE(o->end_has_time);
  EXPECT_FALSE(ParseOptions({"--check=yes", "x.adi"}, &error));
}

TEST(CallSignShape, CallsAndNonCalls) {
  for (const char* call : {"ON4ABC", "9A/DD4YR", "VP2V/K5PI", "OT17A", "W2A", "DL1ABC/P",
                           "K1ABC/2", "3DA0XY", "on4abc"}) {
    EXPECT_TRUE(LooksLikeCallSign(call)) << call;
  }
  for (const char* text : {"", "599", "LGE", "ON4ABC?", "DL1 ABC", "/ON4ABC", "ON4ABC/",
                           "ON4ABC//P", "QRZ", "AB", "ON4", "LY1000", "VERYLONGCALL1X"}) {
    EXPECT_FALSE(LooksLikeCallSign(text)) << text;
  }
}

Log CabrilloLog() {
  return ReadCabrillo(
      "START-OF-LOG: 3.0\n"                                                     // 1
      "CALLSIGN: ON4XYZ\n"                                                      // 2
      "CATEGORY-OPERATOR: SINGLE-OP\n"                                          // 3
      "CATEGORY-OVERLAY: \n"                                                    // 4
      "NAME: \n"                                                                // 5
      "ADDRESS: \n"                                                             // 6
      "ADDRESS: \n"                                                             // 7
      "QSO: 14070 PM 2026-01-03 1312 ON4XYZ 599 LGE DL1ABC 599 012\n"           // 8
      "QSO: 14070 PM 2026-01-03 1313 ON4XYZ 599 LGE F5ABC 599\n"                // 9
      "QSO: 14070 PM 2026-01-03 1314 ON4XYZ 599 LGE DL1ABC 599 012\n"           // 10
      "QSO:  7040 PM 2026-01-03 1315 ON4XYZ 599 LGE DL1ABC 599 012\n"           // 11
      "QSO:  7040 PM 2026-01-05 0900 ON4XYZ 599 LGE 599 599 013\n"              // 12
      "END-OF-LOG:\n");
}

TEST(SubmissionCheck, CabrilloHeaderAndQsos) {
  const ContestPeriod period(QsoTime{2026, 1, 3, 13, 0, 0}, QsoTime{2026, 1, 4, 13, 0, 0}, true);
  const std::vector<Finding> findings = CheckSubmission(CabrilloLog(), true, period);
  std::vector<std::string> texts;
  for (const Finding& f : findings) texts.push_back(std::to_string(f.line) + " " + f.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "0 no CONTEST: line",
                       "0 no EMAIL: line",
                       "5 NAME: is empty",
                       "6 ADDRESS: is empty",
                       "9 QSO with F5ABC: no exchange received",
                       "10 QSO with DL1ABC on 20m: duplicate of line 8",
                       "12 QSO with 599 at 2026-01-05 09:00: after the contest end 2026-01-04 13:00",
                       "12 '599' is not a call sign",
                   }));
}

TEST(SubmissionCheck, AdifLogHasNoHeaderToCheck) {
  Log log;
  LogQso q;
  q.line = 3;
  q.call = "DL1ABC";
  q.band = "20m";
  q.exchange_received = "012";
  q.time = {2026, 1, 3, 14, 0, 0};
  log.qsos.push_back(q);
  EXPECT_EQ(CheckSubmission(log, false, ContestPeriod()).size(), 1u);  // no exchange sent
  log.qsos[0].exchange_sent = "LGE";
  EXPECT_TRUE(CheckSubmission(log, false, ContestPeriod()).empty());
}

// A PFX that loggers write otherwise than the rules is a finding; the
// rules' prefix is the one scored.
TEST(SubmissionCheck, PrefixOfTheLogThatIsNotTheRules) {
  const PrefixTest listed = [](std::string_view part) { return part == "6Y" || part == "VE"; };
  const struct {
    const char* call;
    const char* pfx;
    const char* finding;
  } cases[] = {
      {"6Y/AI5IN", "6", "QSO with 6Y/AI5IN: the log's PFX 6 is not the prefix 6Y of the call; "
                        "6Y is scored"},
      {"VE2CSI", "VE3", "QSO with VE2CSI: the log's PFX VE3 is not the prefix VE2 of the call; "
                        "VE2 is scored"},
      {"AC6XT/6Y", "6Y0", "QSO with AC6XT/6Y: the log's PFX 6Y0 is not the prefix 6Y of the "
                          "call; 6Y is scored"},
      {"C50A", "C50", ""},
      {"VE2CSI", "", ""},
  };
  for (const auto& c : cases) {
    LogQso q;
    q.line = 7;
    q.call = c.call;
    q.prefix = c.pfx;
    EXPECT_EQ(PrefixFinding(q, listed), c.finding) << c.call;
  }
  // Through the check, with its line.
  LogQso q;
  q.line = 9;
  q.call = "VE2CSI";
  q.prefix = "VE3";
  q.exchange_sent = "001";
  q.exchange_received = "002";
  const ContestPeriod period;  // the check keeps a reference to it
  SubmissionCheck check(false, period, {}, listed);
  check.OnQso(q);
  const std::vector<Finding> findings = check.Findings();
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].line, 9);
  EXPECT_EQ(findings[0].severity, Severity::kWarning);
  EXPECT_EQ(findings[0].kind, FindingKind::kLogPrefix);
}

TEST(WorkFiles, NamedAsThePluginNamesThem) {
  EXPECT_EQ(JournalFileName({2017, 1, 7, 18, 0, 0}), "BadQSO_RazadUREVARERE63_07_01_2017.txt");
  EXPECT_EQ(CabrilloFileName("ON4ABC/P"), "ON4ABC_P.cbr");
  EXPECT_EQ(CabrilloFileName("F\\ON4ABC "), "F_ON4ABC.cbr");
  EXPECT_EQ(CabrilloFileName(" "), "QORT.cbr");
  // What a file name cannot hold becomes '_', a device's name gets one.
  EXPECT_EQ(CabrilloFileName("ON4\x01X:Y*"), "ON4_X_Y_.cbr");
  EXPECT_EQ(CabrilloFileName("con"), "con_.cbr");
  EXPECT_EQ(PluginFiles("DL6UHU", std::nullopt, false).size(), 2u);
  const std::vector<WorkFile> all = PluginFiles("DL6UHU", QsoTime{2026, 1, 4, 0, 0, 0}, true);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].name, "Plugins/ZEVUVI.ini");
  EXPECT_EQ(all[2].name, "BadQSO_RazadUREVARERE63_04_01_2026.txt");
  EXPECT_EQ(all[3].name, "DL6UHU.cbr");
}

TEST(RegularFiles, FoldersAndDevicesAreRefused) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "stats-replay-input-test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::string contents, error;
  EXPECT_FALSE(ReadRegularFile(dir, &contents, &error));
  EXPECT_EQ(error, "a folder, not a regular file");
  EXPECT_EQ(NotRegularFile(dir / "missing"), "");
  {
    std::ofstream(dir / "log.adi", std::ios::binary) << "<CALL:3>K1A<EOR>";
  }
  EXPECT_TRUE(ReadRegularFile(dir / "log.adi", &contents, &error)) << error;
  EXPECT_EQ(contents, "<CALL:3>K1A<EOR>");
  EXPECT_FALSE(ReadRegularFile(dir / "missing", &contents, &error));
  if (fs::exists("/dev/null")) {
    EXPECT_EQ(NotRegularFile("/dev/null"), "a device");
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace replay
