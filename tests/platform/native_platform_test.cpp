// The built-in platform of each build against the same expectations: the
// POSIX emulation on Linux and the real Windows functions in the Windows
// builds (under Wine), so that both read and write the same bytes.
#include <algorithm>
#include <chrono>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "tests/support/scratch.h"

namespace stats {
namespace {

using testing::Exists;
using testing::ReadText;
using testing::WriteText;

using NativeProfile = testing::ScratchTest;

TEST_F(NativeProfile, MissingFileSectionOrKeyReadAsNothing) {
  Platform& os = NativePlatform();
  EXPECT_EQ(os.ReadProfileString("Plugins\\None.ini", "Settings", "Start"), std::nullopt);
  WriteText(dir() / "p.ini", "[Settings]\r\nEmpty=\r\nA=1\r\n");
  EXPECT_EQ(os.ReadProfileString("p.ini", "Other", "A"), std::nullopt);
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "B"), std::nullopt);
  // An empty value is there, and is not the same as a missing key.
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "Empty"), "");
  EXPECT_FALSE(Exists(dir() / "Plugins"));
}

TEST_F(NativeProfile, ReadsNamesWithoutRegardToCaseAndTrimsValues) {
  Platform& os = NativePlatform();
  WriteText(dir() / "p.ini",
            "[Other]\r\nStart=9\r\n[settings]\r\nSTART = 1 \r\nName=\"Jo Smith\"\r\n"
            "Eq=a=b\r\n");
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "Start"), "1");
  EXPECT_EQ(os.ReadProfileString("p.ini", "SETTINGS", "name"), "Jo Smith");
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "Eq"), "a=b");
  EXPECT_EQ(os.ReadProfileString("p.ini", "Other", "Start"), "9");
}

TEST_F(NativeProfile, WritesCreateTheFolderAndTheFile) {
  Platform& os = NativePlatform();
  ASSERT_TRUE(os.WriteProfileString("Plugins\\ZEVUVI.ini", "Settings", "Start", "1", nullptr));
  EXPECT_EQ(ReadText(dir() / "Plugins" / "ZEVUVI.ini"), "[Settings]\r\nStart=1\r\n");
  ASSERT_TRUE(os.WriteProfileString("Plugins\\ZEVUVI.ini", "Settings", "Name", "", nullptr));
  EXPECT_EQ(ReadText(dir() / "Plugins" / "ZEVUVI.ini"), "[Settings]\r\nStart=1\r\nName=\r\n");
  EXPECT_EQ(os.ReadProfileString("Plugins\\ZEVUVI.ini", "Settings", "Name"), "");
}

TEST_F(NativeProfile, WritesReplaceInPlaceAndKeepTheOtherLines) {
  Platform& os = NativePlatform();
  WriteText(dir() / "p.ini", "[Settings]\r\nA=1\r\nStart=0\r\nB=2\r\n[Other]\r\nStart=5\r\n");
  ASSERT_TRUE(os.WriteProfileString("p.ini", "Settings", "Start", "1", nullptr));
  EXPECT_EQ(ReadText(dir() / "p.ini"),
            "[Settings]\r\nA=1\r\nStart=1\r\nB=2\r\n[Other]\r\nStart=5\r\n");
  // A new key goes to the end of its own section.
  ASSERT_TRUE(os.WriteProfileString("p.ini", "Settings", "C", "3", nullptr));
  EXPECT_EQ(ReadText(dir() / "p.ini"),
            "[Settings]\r\nA=1\r\nStart=1\r\nB=2\r\nC=3\r\n[Other]\r\nStart=5\r\n");
  EXPECT_EQ(os.ReadProfileString("p.ini", "Other", "Start"), "5");
}

TEST_F(NativeProfile, LongValuesComeBackWhole) {
  Platform& os = NativePlatform();
  for (size_t length : {99u, 255u, 256u, 257u, 5000u}) {
    std::string value(length, 'x');
    value.front() = 'a';
    value.back() = 'z';
    ASSERT_TRUE(os.WriteProfileString("p.ini", "Settings", "SoapBox", value, nullptr));
    EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "SoapBox"), value) << length;
  }
}

namespace fs = std::filesystem;

TEST_F(NativeProfile, AValueTheFileAlreadyHoldsLeavesTheFileAlone) {
  Platform& os = NativePlatform();
  const fs::path ini = dir() / "p.ini";
  WriteText(ini, "[Settings]\r\nStart=1\r\n");
  const fs::file_time_type old = fs::last_write_time(ini) - std::chrono::hours(24);
  fs::last_write_time(ini, old);
  ASSERT_TRUE(os.WriteProfileString("p.ini", "Settings", "Start", "1", nullptr));
  EXPECT_EQ(fs::last_write_time(ini), old);
  ASSERT_TRUE(os.WriteProfileString("p.ini", "Settings", "Start", "0", nullptr));
  EXPECT_EQ(ReadText(ini), "[Settings]\r\nStart=0\r\n");
  EXPECT_NE(fs::last_write_time(ini), old);
}

// A symbolic link, or a skip where the system or the user may not make one.
#define MAKE_SYMLINK_OR_SKIP(target, link)                              \
  do {                                                                  \
    std::error_code made;                                               \
    fs::create_symlink(target, link, made);                             \
    if (made) GTEST_SKIP() << "no symbolic link here: " << made.message(); \
  } while (false)

TEST_F(NativeProfile, AReadOnlyFileIsNeitherWrittenNorReplaced) {
  Platform& os = NativePlatform();
  const fs::path ini = dir() / "p.ini";
  WriteText(ini, "[Settings]\r\nStart=0\r\n");
  fs::permissions(ini, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const fs::perms before = fs::status(ini).permissions();
  std::string error;
  EXPECT_FALSE(os.WriteProfileString("p.ini", "Settings", "Start", "1", &error));
  EXPECT_NE(error, "");
  EXPECT_EQ(ReadText(ini), "[Settings]\r\nStart=0\r\n");
  EXPECT_EQ(fs::status(ini).permissions(), before);
  fs::permissions(ini, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(os.WriteProfileString("p.ini", "Settings", "Start", "1", nullptr));
}

TEST_F(NativeProfile, AWriteKeepsTheFilesPermissions) {
  Platform& os = NativePlatform();
  const fs::path ini = dir() / "p.ini";
  WriteText(ini, "[Settings]\r\nStart=0\r\n");
  fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const fs::perms before = fs::status(ini).permissions();
  ASSERT_TRUE(os.WriteProfileString("p.ini", "Settings", "Start", "1", nullptr));
  EXPECT_EQ(ReadText(ini), "[Settings]\r\nStart=1\r\n");
  EXPECT_EQ(fs::status(ini).permissions(), before);
  EXPECT_FALSE(Exists(dir() / "p.ini.tmp"));
}

TEST_F(NativeProfile, AFolderInThePlaceOfTheFileStays) {
  Platform& os = NativePlatform();
  fs::create_directories(dir() / "p.ini" / "inside");
  std::string error;
  EXPECT_FALSE(os.WriteProfileString("p.ini", "Settings", "Start", "1", &error));
  EXPECT_NE(error, "");
  EXPECT_TRUE(fs::is_directory(dir() / "p.ini" / "inside"));
}

TEST_F(NativeProfile, AWriteGoesThroughASymbolicLinkToItsTarget) {
  Platform& os = NativePlatform();
  fs::create_directories(dir() / "shared");
  WriteText(dir() / "shared" / "real.ini", "[Settings]\r\nName=Jo\r\n");
  MAKE_SYMLINK_OR_SKIP(dir() / "shared" / "real.ini", dir() / "p.ini");
  ASSERT_TRUE(os.WriteProfileString("p.ini", "Settings", "Start", "1", nullptr));
  EXPECT_TRUE(fs::is_symlink(dir() / "p.ini"));
  EXPECT_EQ(ReadText(dir() / "shared" / "real.ini"), "[Settings]\r\nName=Jo\r\nStart=1\r\n");
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "Name"), "Jo");
}

TEST_F(NativeProfile, AFileThatExistsButCannotBeReadIsNeverReplaced) {
  Platform& os = NativePlatform();
  // A link that names itself exists, but every open of it fails.
  MAKE_SYMLINK_OR_SKIP("p.ini", dir() / "p.ini");
  std::string error;
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "Start", &error), std::nullopt);
  EXPECT_NE(error, "");  // not a missing file: the system's reason
  error.clear();
  EXPECT_FALSE(os.WriteProfileString("p.ini", "Settings", "Start", "1", &error));
  EXPECT_NE(error, "");
  EXPECT_TRUE(fs::is_symlink(dir() / "p.ini"));
}

#if !defined(_WIN32)
// A file its owner may not read.  The system administrator reads it all the
// same, so the case is only met by others.
TEST_F(NativeProfile, AFileWithoutReadPermissionGivesItsReason) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root, which reads a file of any mode";
  Platform& os = NativePlatform();
  const fs::path ini = dir() / "p.ini";
  WriteText(ini, "[Settings]\r\nStart=1\r\n");
  fs::permissions(ini, fs::perms::none);
  std::string error;
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "Start", &error), std::nullopt);
  EXPECT_EQ(error, "Permission denied");
  EXPECT_FALSE(os.WriteProfileString("p.ini", "Settings", "Start", "0", nullptr));
  fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadText(ini), "[Settings]\r\nStart=1\r\n");
}

TEST_F(NativeProfile, APipeInThePlaceOfTheFileIsRefusedWithoutWaiting) {
  Platform& os = NativePlatform();
  ASSERT_EQ(mkfifo((dir() / "p.ini").c_str(), 0666), 0);
  EXPECT_EQ(os.ReadProfileString("p.ini", "Settings", "Start"), std::nullopt);
  EXPECT_EQ(os.ReadFile("p.ini"), std::nullopt);
  EXPECT_FALSE(os.WriteProfileString("p.ini", "Settings", "Start", "1", nullptr));
  EXPECT_EQ(fs::status(dir() / "p.ini").type(), fs::file_type::fifo);
}
#endif

using NativeFiles = testing::ScratchTest;

TEST_F(NativeFiles, WriteTruncateAndAppendKeepBytesAsTheyAre) {
  Platform& os = NativePlatform();
  std::string error;
  auto f = os.OpenFile("out.txt", FileMode::kTruncate, &error);
  ASSERT_NE(f, nullptr) << error;
  EXPECT_TRUE(f->Write("a\nb\r\n"));
  EXPECT_TRUE(f->Close());
  EXPECT_EQ(f->LastError(), "");
  EXPECT_EQ(ReadText(dir() / "out.txt"), "a\nb\r\n");

  f = os.OpenFile("out.txt", FileMode::kAppend, &error);
  ASSERT_NE(f, nullptr) << error;
  EXPECT_TRUE(f->Write("c\r\n"));
  EXPECT_TRUE(f->Close());
  EXPECT_EQ(ReadText(dir() / "out.txt"), "a\nb\r\nc\r\n");

  f = os.OpenFile("out.txt", FileMode::kTruncate, &error);
  ASSERT_NE(f, nullptr) << error;
  EXPECT_TRUE(f->Close());
  EXPECT_EQ(ReadText(dir() / "out.txt"), "");
}

// What an append that failed half-way leaves is cut off again, the bytes
// still buffered too, and writing goes on at the new end.
TEST_F(NativeFiles, TruncateTakesBackWhatWasAppended) {
  Platform& os = NativePlatform();
  WriteText(dir() / "j.txt", "head\r\n");
  auto f = os.OpenFile("j.txt", FileMode::kAppend, nullptr);
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->Write("torn li"));
  EXPECT_TRUE(f->Flush());
  EXPECT_TRUE(f->Write("ne still buffered"));
  EXPECT_TRUE(f->Truncate(6));
  EXPECT_EQ(ReadText(dir() / "j.txt"), "head\r\n");
  EXPECT_TRUE(f->Write("whole\r\n"));
  EXPECT_TRUE(f->Close());
  EXPECT_EQ(ReadText(dir() / "j.txt"), "head\r\nwhole\r\n");
}

// A read-only file stays as it is, read-only mark and all, whether it is
// opened for writing, renamed over or replaced; its folder may be written.
TEST_F(NativeFiles, AReadOnlyFileIsNeitherOpenedForWritingNorReplaced) {
  Platform& os = NativePlatform();
  const fs::path kept = dir() / "kept.txt";
  WriteText(kept, "earlier\r\n");
  WriteText(dir() / "new.txt", "new\r\n");
  fs::permissions(kept, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const fs::perms before = fs::status(kept).permissions();
  std::string error;
  EXPECT_EQ(os.OpenFile("kept.txt", FileMode::kTruncate, &error), nullptr);
  EXPECT_NE(error, "");
  error.clear();
  EXPECT_EQ(os.OpenFile("kept.txt", FileMode::kAppend, &error), nullptr);
  EXPECT_NE(error, "");
  error.clear();
  EXPECT_FALSE(os.RenameFile("new.txt", "kept.txt", &error));
  EXPECT_NE(error, "");
  EXPECT_TRUE(Exists(dir() / "new.txt"));
  error.clear();
  const std::string_view text = "replaced\r\n";
  EXPECT_FALSE(ReplaceFile("kept.txt", {text}, &error));
  EXPECT_NE(error, "");
  EXPECT_FALSE(Exists(dir() / "kept.txt.tmp"));
  EXPECT_EQ(ReadText(kept), "earlier\r\n");
  EXPECT_EQ(fs::status(kept).permissions(), before);
  EXPECT_NE(os.OpenFile("kept.txt", FileMode::kRead, nullptr), nullptr);
  // Writable again, it is replaced as any other.
  fs::permissions(kept, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(ReplaceFile("kept.txt", {text}, nullptr));
  EXPECT_EQ(ReadText(kept), "replaced\r\n");
}

TEST_F(NativeFiles, LargeContentsGoOutAndComeBackWhole) {
  Platform& os = NativePlatform();
  std::string contents;
  for (int i = 0; contents.size() < 200000; ++i) contents += std::to_string(i) + "\r\n";
  auto f = os.OpenFile("big.txt", FileMode::kTruncate, nullptr);
  ASSERT_NE(f, nullptr);
  // In pieces around the size at which writes are pushed out.
  for (size_t at = 0; at < contents.size(); at += 7000) {
    EXPECT_TRUE(f->Write(std::string_view(contents).substr(at, 7000)));
  }
  EXPECT_TRUE(f->Flush());
  EXPECT_EQ(ReadText(dir() / "big.txt"), contents);
  EXPECT_TRUE(f->Close());
  EXPECT_EQ(os.ReadFile("big.txt"), contents);
}

TEST_F(NativeFiles, MissingFilesAreReportedWithAReason) {
  Platform& os = NativePlatform();
  std::string error;
  EXPECT_EQ(os.OpenFile("none.txt", FileMode::kRead, &error), nullptr);
  EXPECT_NE(error, "");
  error.clear();
  EXPECT_EQ(os.OpenFile("no folder\\x.txt", FileMode::kTruncate, &error), nullptr);
  EXPECT_NE(error, "");
  EXPECT_EQ(os.ReadFile("none.txt"), std::nullopt);
  EXPECT_EQ(os.OpenFile("none.txt", FileMode::kRead, nullptr), nullptr);
}

TEST_F(NativeFiles, FindFilesListsNamesWithoutTheFolder) {
  Platform& os = NativePlatform();
  WriteText(dir() / "host" / "Zelk2.ini", "Zelk=2.20\r\n");
  WriteText(dir() / "host" / "other.ini", "");
  WriteText(dir() / "host" / "notes.txt", "");
  std::vector<std::string> names = os.FindFiles("host\\*.ini");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Zelk2.ini", "other.ini"}));
  const std::string full = (dir() / "host").string() + "\\*.ini";
  EXPECT_EQ(os.FindFiles(full).size(), 2u);
  EXPECT_EQ(os.FindFiles("host\\*.cfg"), std::vector<std::string>{});
  EXPECT_EQ(os.FindFiles("nowhere\\*.ini"), std::vector<std::string>{});
}

}  // namespace
}  // namespace stats
