// The file faults an operator meets, through the exports: a settings file
// that cannot be read, a journal or Cabrillo log marked read-only, a disk
// that fills in the middle of a journal line, and own calls and dates that
// would make file names no file system should see.  Each time the file is
// left whole (or the earlier one kept) and the failure told once, with the
// file and the reason.
#include <algorithm>
#include <filesystem>
#include <string>

#include "plugin/contest.h"
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
constexpr const char* kHeader = "UBA PFX UBN file \r\n";
constexpr const char* kStation =
    "[Settings]\r\nStart=1\r\nName=Jo Smith\r\nAddress=Main St 1\r\nEmail=jo@example.org\r\n";

class FileFaults : public testing::ReportsTest {
 protected:
  void TearDown() override {
    // Read-only files would outlive the scratch folder on Windows.
    for (const auto& entry : fs::directory_iterator(dir())) {
      std::error_code ignored;
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    ReportsTest::TearDown();
  }

  static void MakeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }

  // The notices shown so far, one per box.
  std::vector<std::string> Notices() const {
    std::vector<std::string> texts;
    for (const auto& m : platform_.messages) texts.push_back(m.text);
    return texts;
  }

  std::string Journal() const { return ReadText(dir() / kJournal); }

  // A QSO on a mode the contest does not take: one journal line each.
  static void AddRejected(int count) {
    Qso q;
    q.mode = "RTTY";
    for (int i = 0; i < count; ++i) {
      q.time.dt += 0.01;
      q.Add();
    }
  }
};

// -- A settings file that exists but cannot be read ---------------------------

TEST_F(FileFaults, UnreadableSettingsAreToldOnceAndMakeNoLogFromDefaults) {
  WriteSettings(kStation);
  platform_.unreadable = {"Plugins\\ZEVUVI.ini"};
  Reset run;
  run.cabrillo = 1;
  run.Call();
  // The form is not offered with empty station details.
  EXPECT_TRUE(form_.shown.empty());
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0],
            "File not read: Plugins\\ZEVUVI.ini (injected read failure)\r\n"
            "No Cabrillo log in this run: the station details could not be read from "
            "Plugins\\ZEVUVI.ini");
  Qso().Add();
  const std::string result = testing::Result();
  EXPECT_NE(result.find("Score = 1 * (1 + 0)  = 1 \r\n"), std::string::npos);
  // No log, no second box, and the file itself untouched: "Start" and the
  // claimed score were not written over it.
  EXPECT_EQ(Notices().size(), 1u);
  EXPECT_FALSE(Exists(dir() / "ON4XX.cbr"));
  EXPECT_EQ(Settings(), kStation);

  // Readable again, the next run is an ordinary one.
  platform_.unreadable.clear();
  run.Call();
  ASSERT_EQ(form_.shown.size(), 1u);
  EXPECT_EQ(form_.shown[0].name, "Jo Smith");
  testing::Result();
  EXPECT_EQ(Notices().back(), "File produced: ON4XX.cbr");
  EXPECT_NE(ReadText(dir() / "ON4XX.cbr").find("NAME: Jo Smith\r\n"), std::string::npos);
}

TEST_F(FileFaults, UnreadableSettingsWithoutALogAreToldOncePerRun) {
  WriteSettings("[Settings]\r\nStart=1\r\n");
  platform_.unreadable = {"Plugins\\ZEVUVI.ini"};
  Reset().Call();
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0], "File not read: Plugins\\ZEVUVI.ini (injected read failure)");
  Qso().Add();
  testing::Result();
  EXPECT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Settings(), "[Settings]\r\nStart=1\r\n");
  Reset().Call();
  EXPECT_EQ(Notices().size(), 2u);
}

// -- A read-only journal or Cabrillo log in a writable folder -----------------

TEST_F(FileFaults, AReadOnlyJournalIsLeftAsItIsAndItsLinesStillCount) {
  const std::string earlier = std::string(kHeader) + "QSO:  an earlier line\r\n";
  WriteText(dir() / kJournal, earlier);
  MakeReadOnly(dir() / kJournal);
  const fs::perms before = fs::status(dir() / kJournal).permissions();
  Reset().Call();
  AddRejected(3);
  Qso q;
  q.Add();
  q.Add();  // a duplicate
  q.Remove();  // a rewrite
  EXPECT_EQ(Journal(), earlier);
  EXPECT_EQ(fs::status(dir() / kJournal).permissions(), before);
  EXPECT_FALSE(Exists(dir() / (std::string(kJournal) + ".tmp")));
  ASSERT_EQ(Notices().size(), 1u);
  const std::string head = std::string("File not written: ") + kJournal + " (";
  EXPECT_EQ(Notices()[0].rfind(head, 0), 0u) << Notices()[0];
  EXPECT_GT(Notices()[0].size(), head.size() + 1);  // the system's reason
  EXPECT_NE(testing::Result().find("Bad QSO\t 3\r\n"), std::string::npos);
  EXPECT_EQ(Notices().size(), 1u);
}

TEST_F(FileFaults, AReadOnlyCabrilloLogIsLeftAsItIsAndTheFailureTold) {
  const std::string earlier = "START-OF-LOG: 3.0\r\nCALLSIGN: ON4XX\r\nEND-OF-LOG:\r\n";
  WriteText(dir() / "ON4XX.cbr", earlier);
  MakeReadOnly(dir() / "ON4XX.cbr");
  const fs::perms before = fs::status(dir() / "ON4XX.cbr").permissions();
  Reset run;
  run.cabrillo = 1;
  run.Call();
  Qso().Add();
  platform_.messages.clear();
  testing::Result();
  ASSERT_EQ(Notices().size(), 1u);
  const std::string head = "File not produced: ON4XX.cbr (";
  EXPECT_EQ(Notices()[0].rfind(head, 0), 0u) << Notices()[0];
  EXPECT_GT(Notices()[0].size(), head.size() + 1);
  EXPECT_EQ(ReadText(dir() / "ON4XX.cbr"), earlier);
  EXPECT_EQ(fs::status(dir() / "ON4XX.cbr").permissions(), before);
  EXPECT_FALSE(Exists(dir() / "ON4XX.cbr.tmp"));
}

// -- A disk that fills in the middle of a journal line ------------------------

// However many bytes still fit when the lines come, the journal on disk is
// the header and whole lines, each with its line end: those written before
// the disk filled, and no piece of the next.
TEST_F(FileFaults, AFullDiskLeavesTheJournalWithWholeLinesOnly) {
  Reset().Call();
  AddRejected(2);
  const std::string two = Journal();
  const size_t line = (two.size() - std::string(kHeader).size()) / 2;
  for (long long room = 0; room <= static_cast<long long>(2 * line + 1); room += 7) {
    SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
    Reset().Call();
    AddRejected(2);
    ASSERT_EQ(Journal(), two);
    platform_.messages.clear();
    platform_.disk_room = room;
    AddRejected(3);
    platform_.disk_room = -1;
    const std::string journal = Journal();
    const size_t whole = (journal.size() - two.size()) / line;
    EXPECT_EQ(journal.size(), two.size() + whole * line) << journal;
    EXPECT_EQ(journal.compare(0, two.size(), two), 0);
    EXPECT_EQ(journal.substr(journal.size() - 2), "\r\n");
    EXPECT_LE(static_cast<long long>(whole * line), room);
    EXPECT_FALSE(Exists(dir() / (std::string(kJournal) + ".tmp")));
    if (whole < 3) {
      ASSERT_EQ(Notices().size(), 1u);
      EXPECT_EQ(Notices()[0],
                std::string("File not written: ") + kJournal + " (No space left on device)");
    }
    EXPECT_NE(testing::Result().find("Bad QSO\t 5\r\n"), std::string::npos);
  }
}

// The next change after the disk has room again writes the journal whole.
TEST_F(FileFaults, AJournalCutShortIsWrittenWholeOnceThereIsRoom) {
  Reset().Call();
  AddRejected(1);
  platform_.disk_room = 10;
  AddRejected(1);
  platform_.disk_room = -1;
  AddRejected(1);
  const auto& lines = Contest().journal.Lines();
  std::string expected = kHeader;
  for (const auto& l : lines) expected += l.text + "\r\n";
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Journal(), expected);
}

// -- File names made from host texts ------------------------------------------

// Every file the plug-in made in the scratch folder; none may be elsewhere.
std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST_F(FileFaults, OwnCallsThatAreNoFileNamesGiveALogBesideTheHost) {
  fs::create_directories(dir() / "host");
  const struct {
    std::string own_call;
    std::string log;
  } cases[] = {
      {"OT/ON4XX", "OT_ON4XX.cbr"},
      {"..\\..\\ON4XX", ".._.._ON4XX.cbr"},
      {"../ON4XX", ".._ON4XX.cbr"},
      {"C:\\ON4XX", "C__ON4XX.cbr"},
      {"ON4*?\"<>|", "ON4______.cbr"},
      {std::string("ON\x01\x1f" "4XX", 7), "ON__4XX.cbr"},
      {"CON", "CON_.cbr"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.log);
    Reset run;
    run.cabrillo = 1;
    run.own_call = c.own_call;
    fs::current_path(dir() / "host");
    run.Call();
    platform_.messages.clear();
    testing::Result();
    fs::current_path(dir());
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0], "File produced: " + c.log);
    std::vector<std::string> expected = {"host/" + c.log, std::string("host/") + kJournal,
                                         "host/Plugins/ZEVUVI.ini"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(dir()), expected);
    fs::remove(dir() / "host" / c.log);
  }
}

TEST_F(FileFaults, AnEndThatIsNoDateNamesNoJournalFile) {
  Reset run;
  run.end = testing::InvalidDate();
  run.Call();
  ASSERT_EQ(Notices().size(), 1u);
  EXPECT_EQ(Notices()[0],
            "File not written: BadQSO_RazadUREVARERE63_<end date>.txt (the contest's end date is "
            "not a valid date)");
  AddRejected(2);
  EXPECT_NE(testing::Result().find("Bad QSO\t 2\r\n"), std::string::npos);
  EXPECT_EQ(Notices().size(), 1u);
  EXPECT_EQ(FilesIn(dir()), std::vector<std::string>{"Plugins/ZEVUVI.ini"});
  // A null end is no failure: the name has an empty date, as ever.
  run.end = testing::NullDate();
  run.Call();
  EXPECT_TRUE(Exists(dir() / "BadQSO_RazadUREVARERE63_.txt"));
  EXPECT_EQ(Notices().size(), 1u);
}

}  // namespace
}  // namespace stats
