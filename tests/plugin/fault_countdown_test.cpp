// A whole contest run with every write of every file the plug-in writes -
// the settings file, the bad-QSO journal, the Cabrillo log - failing in
// turn: the first, then the second, and so on to the last.  Each time the
// failure must be told to the operator, the earlier files must still be
// there whole, and the result must still be right.
#include <filesystem>

#include "platform/profile_format.h"
#include "tests/plugin/reports_test_support.h"

namespace stats {
namespace {

namespace fs = std::filesystem;
using testing::Exists;
using testing::Qso;
using testing::ReadText;
using testing::Reset;
using testing::WriteText;

constexpr const char* kJournal = "BadQSO_RazadUREVARERE63_07_01_2017.txt";
constexpr const char* kLog = "ON4XX_P.cbr";
constexpr const char* kEarlierSettings =
    "[Settings]\r\nStart=1\r\nON_Section=LGE\r\nsetup_x=120\r\nName=Jo\r\n";
constexpr const char* kEarlierJournal = "UBA PFX UBN file \r\nQSO:  an earlier line\r\n";
constexpr const char* kEarlierLog = "START-OF-LOG: 3.0\r\nCALLSIGN: EARLIER\r\nEND-OF-LOG:\r\n";

// The header form is confirmed as loaded, as on a system without windows.
class FaultCountdown : public testing::ReportsTest {
 protected:
  // The earlier run's files; Start=1 keeps the window thread, which writes
  // settings of its own, from starting.
  void WriteEarlierFiles() {
    WriteSettings(kEarlierSettings);
    WriteText(dir() / kJournal, kEarlierJournal);
    WriteText(dir() / kLog, kEarlierLog);
  }

  // One contest run; returns the result text.
  std::string Run() {
    Reset run;
    run.cabrillo = 1;
    run.own_call = "ON4XX/P";
    run.Call();
    Qso q;
    q.Add();
    q.Add();  // a duplicate
    Qso wrong = q;
    wrong.call = "DL2CD";
    wrong.mode = "RTTY";
    wrong.Add();  // rejected
    Qso third = q;
    third.call = "DL3EF";
    third.Add();
    third.Remove();  // the journal is written whole again
    return testing::Result();
  }

  bool Told() const {
    for (const auto& m : platform_.messages) {
      if (m.caption == "Output" && m.text.find("File not") != std::string::npos) return true;
    }
    return false;
  }

  static bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
  }
};

TEST_F(FaultCountdown, EveryWriteFailsInTurnAndNothingEarlierIsLost) {
  WriteEarlierFiles();
  const std::string clean = Run();
  const int total = platform_.writes;
  ASSERT_GT(total, 20);  // settings keys, journal lines, the log
  ASSERT_NE(clean.find("Bad QSO\t 1\r\n"), std::string::npos) << clean;
  ASSERT_FALSE(Told());

  for (int n = 1; n <= total; ++n) {
    SCOPED_TRACE("write " + std::to_string(n) + " of " + std::to_string(total) + " fails");
    WriteEarlierFiles();
    platform_.messages.clear();
    platform_.writes = 0;
    platform_.fail_write_at = n;
    const std::string result = Run();
    platform_.fail_write_at = 0;

    EXPECT_TRUE(Told());
    EXPECT_EQ(result, clean);

    const std::string settings = Settings();
    EXPECT_EQ(profile::Lookup(settings, "Settings", "ON_Section"), "LGE");
    EXPECT_EQ(profile::Lookup(settings, "Settings", "setup_x"), "120");
    EXPECT_EQ(profile::Lookup(settings, "Settings", "Name"), "Jo");

    const std::string journal = ReadText(dir() / kJournal);
    EXPECT_TRUE(journal == kEarlierJournal ||
                (journal.rfind("UBA PFX UBN file", 0) == 0 && EndsWith(journal, "\r\n") &&
                 journal.find("an earlier line") == std::string::npos))
        << journal;

    const std::string log = ReadText(dir() / kLog);
    EXPECT_TRUE(log == kEarlierLog || (log.find("CALLSIGN: ON4XX/P\r\n") != std::string::npos &&
                                      EndsWith(log, "END-OF-LOG:\r\n")))
        << log;

    for (const auto& e : fs::directory_iterator(dir())) {
      EXPECT_NE(e.path().extension(), ".tmp") << e.path();
    }
    for (const auto& e : fs::directory_iterator(dir() / "Plugins")) {
      EXPECT_NE(e.path().extension(), ".tmp") << e.path();
    }
  }
}

}  // namespace
}  // namespace stats
