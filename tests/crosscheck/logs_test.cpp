#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "logs.h"

namespace crosscheck {
namespace {

namespace fs = std::filesystem;

ContestDefinition Contest(std::string_view name) {
  std::string error;
  return ParseContest(BuiltinContestText(name), name, &error).value();
}

// A folder of its own for each test, emptied first.
class LogFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("crosscheck_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Put(const std::string& name, const std::string& text) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  fs::path dir_;
};

TEST_F(LogFiles, CabrilloColumnsAreTheContestsExchange) {
  // An LZ Open line: no RST, the serial and the last serial received.
  const std::string lz = Put("LZ0AA.log",
                             "START-OF-LOG: 2.0\n"
                             "CALLSIGN: lz0aa\n"
                             "CATEGORY: SINGLE-OP 80M LOW CW\n"
                             "CLAIMED-SCORE: 255\n"
                             "QSO:  3532 CW 2017-08-19 0702 LZ0AA   001 000   LZ0AT   005 005\n"
                             "QSO:  3532 CW 2017-08-19 0703 LZ0AA   002 005   lz0dy   006 004 0\n"
                             "QSO:  3532 CW 2017-08-19 07x3 LZ0AA   003 006   LZ0DJ   006 005\n"
                             "END-OF-LOG:\n");
  const StationLog log = ReadStationLog(lz, Contest("lz-open"));
  EXPECT_EQ(log.error, "");
  EXPECT_EQ(log.name, "LZ0AA.log");
  EXPECT_EQ(log.call, "LZ0AA");
  EXPECT_EQ(log.category, "SINGLE-OP 80M LOW CW");
  EXPECT_EQ(log.claimed_score, "255");
  ASSERT_EQ(log.qsos.size(), 2u);
  EXPECT_EQ(log.qsos[0].line, 5);
  EXPECT_EQ(log.qsos[0].call, "LZ0AT");
  EXPECT_EQ(log.qsos[0].sent, "001 000");
  EXPECT_EQ(log.qsos[0].received, "005 005");
  EXPECT_EQ(log.qsos[0].band, 0);
  EXPECT_EQ(log.qsos[0].mode, 0);
  EXPECT_EQ(log.qsos[1].call, "LZ0DY");
  EXPECT_EQ(log.qsos[1].received, "006 004");
  EXPECT_EQ(log.qsos[1].minute - log.qsos[0].minute, 1);
  ASSERT_EQ(log.problems.size(), 1u);
  EXPECT_EQ(log.problems[0].line, 7);

  // The UBA contest's columns: RST, then the serial or section.
  const std::string uba = Put("on4abc.cbr",
                              "START-OF-LOG: 3.0\n"
                              "CALLSIGN: ON4ABC\n"
                              "QSO: 14070 PK 2026-01-03 1301 ON4ABC 599 LGE DL1ABC 599 001\n"
                              "QSO:  7035 CW 2026-01-03 1302 ON4ABC 599 LGE DL1ABC 599 002\n");
  const StationLog u = ReadStationLog(uba, Contest("uba-psk63-prefix"));
  ASSERT_EQ(u.qsos.size(), 2u);
  EXPECT_EQ(u.qsos[0].sent, "LGE");
  EXPECT_EQ(u.qsos[0].received, "001");
  EXPECT_EQ(u.qsos[0].band_text, "20m");
  EXPECT_EQ(u.qsos[0].mode_text, "BPSK63");
  EXPECT_EQ(u.qsos[0].mode, 0);
  EXPECT_EQ(u.qsos[1].mode, -1);  // CW is not in the contest
}

TEST_F(LogFiles, AdifLogsAndTheirOwnCall) {
  const std::string adif = Put("dl1abc.adi",
                               "header<EOH>\n"
                               "<CALL:6>ON4ABC<QSO_DATE:8>20260103<TIME_ON:4>1301<BAND:3>20m"
                               "<MODE:3>PSK<SUBMODE:5>PSK63<STX:1>1<SRX_STRING:3>lge"
                               "<STATION_CALLSIGN:6>dl1abc<EOR>\n"
                               "<CALL:6>ON4XYZ<QSO_DATE:8>20260103<EOR>\n");
  const StationLog log = ReadStationLog(adif, Contest("uba-psk63-prefix"));
  EXPECT_EQ(log.call, "DL1ABC");
  ASSERT_EQ(log.qsos.size(), 1u);
  EXPECT_EQ(log.qsos[0].line, 2);
  EXPECT_EQ(log.qsos[0].sent, "001");
  EXPECT_EQ(log.qsos[0].received, "LGE");
  EXPECT_EQ(log.problems.size(), 1u);
}

TEST_F(LogFiles, FoldersFilesAndWhatIsMissing) {
  const std::string b = Put("b.log", "CALLSIGN: B1B\n");
  const std::string a = Put("a.log", "CALLSIGN: A1A\n");
  fs::create_directories(dir_ / "sub");
  std::vector<std::string> missing;
  const std::vector<std::string> files =
      ListLogFiles({b, dir_.string(), (dir_ / "none.log").string()}, &missing);
  // Sorted and each once; a folder inside is not a log.
  EXPECT_EQ(files, (std::vector<std::string>{a, b}));
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0], (dir_ / "none.log").string() + ": no such file or folder");

  const StationLog folder = ReadStationLog((dir_ / "sub").string(), Contest("lz-open"));
  EXPECT_EQ(folder.error, "a folder, not a regular file");
}

TEST_F(LogFiles, AnyNumberOfThreadsReadsTheSame) {
  std::vector<std::string> paths;
  for (int i = 0; i < 40; ++i) {
    std::string text = "START-OF-LOG: 3.0\nCALLSIGN: LZ" + std::to_string(i) + "A\n";
    for (int q = 0; q <= i; ++q) {
      text += "QSO: 3532 CW 2017-08-19 07" + std::to_string(10 + q % 50) + " X 001 002 LZ1AB 003 004\n";
    }
    paths.push_back(Put("log" + std::to_string(i) + ".log", text));
  }
  paths.push_back((dir_ / "missing.log").string());
  const ContestDefinition lz = Contest("lz-open");
  const std::vector<StationLog> one = ReadStationLogs(paths, lz, 1);
  int told = 0;
  std::atomic<int> told_many{0};
  const std::vector<StationLog> many = ReadStationLogs(paths, lz, 7, [&] { ++told_many; });
  ReadStationLogs(paths, lz, 1, [&] { ++told; });
  EXPECT_EQ(told, 41);
  EXPECT_EQ(told_many.load(), 41);
  ASSERT_EQ(one.size(), many.size());
  for (size_t i = 0; i < one.size(); ++i) {
    EXPECT_EQ(one[i].path, paths[i]);
    EXPECT_EQ(many[i].path, paths[i]);
    EXPECT_EQ(many[i].call, one[i].call);
    EXPECT_EQ(many[i].error, one[i].error);
    ASSERT_EQ(many[i].qsos.size(), one[i].qsos.size());
    for (size_t q = 0; q < one[i].qsos.size(); ++q) {
      EXPECT_EQ(many[i].qsos[q].line, one[i].qsos[q].line);
      EXPECT_EQ(many[i].qsos[q].minute, one[i].qsos[q].minute);
    }
  }
  EXPECT_EQ(one[5].qsos.size(), 6u);
  EXPECT_FALSE(one.back().error.empty());
}

TEST(ExchangeColumns, TheRstIsAColumnOnlyWhereTheContestHasNone) {
  const ContestDefinition lz = Contest("lz-open");
  const ContestDefinition uba = Contest("uba-psk63-prefix");
  EXPECT_EQ(ExchangeColumns(lz, "001", "000"), "001 000");
  EXPECT_EQ(ExchangeColumns(lz, "599", "001  000"), "001 000");
  EXPECT_EQ(ExchangeColumns(uba, "599", "lge"), "LGE");
  EXPECT_EQ(ExchangeColumns(uba, "599", ""), "");
}

}  // namespace
}  // namespace crosscheck
