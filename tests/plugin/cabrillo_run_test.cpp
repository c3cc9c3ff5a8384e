#include <filesystem>

#include "plugin/contest.h"
#include "model/settings.h"
#include "reports/cabrillo_writer.h"
#include "tests/plugin/reports_test_support.h"
#include "tests/support/cabrillo_expected.h"

namespace stats {
namespace {

using testing::Exists;
using testing::Qso;
using testing::ReadText;
using testing::ReportsTest;
using testing::Reset;
using testing::Result;

class CabrilloTest : public ReportsTest {
 protected:
  // A Cabrillo run for own_call, with the form confirmed by the script.
  void StartRun(const std::string& own_call = "ON4XX/P") {
    Reset run;
    run.cabrillo = 1;
    run.own_call = own_call;
    run.Call();
  }
  const ContestState& State() const { return Contest(); }
};

const char kStationSettings[] =
    "[Settings]\r\n"
    "Operators=ON4XX OT1Y\r\n"
    "Name=Jan Peeters\r\n"
    "Address=Kerkstraat 1<CR>Bus 2\r\n"
    "Address-City=Gent\r\n"
    "Address-State=OVL\r\n"
    "Address-PostalCode=9000\r\n"
    "Address-Country=Belgium\r\n"
    "Claimed=123\r\n"
    "Email=on4xx@example.org\r\n"
    "Club=UBA\r\n"
    "Location=W1\r\n"
    "SoapBox=old box\r\n";

TEST_F(CabrilloTest, WholeLogOfASmallContest) {
  WriteSettings(kStationSettings);
  testing::WriteText(dir() / "Zelk2.ini", "[Zelk]\r\nZelk=2.20\r\n");
  form_.script = [](CabrilloHeader& f) {
    f.soapbox = "Nice contest!\r\nSee you next year";
    f.category_overlay = "ROOKIE";
    return true;
  };
  StartRun();
  Qso a;
  a.call = "DL1AB";
  ASSERT_EQ(a.Add(), 1);
  Qso b;
  b.call = "OE2009/ON4ABC";
  b.prefix = "ON4";
  b.country = "ON";
  b.frequency_hz = 3580999;
  b.band = "80m";
  b.time = testing::Date(2017, 1, 6, 14, 5);
  b.exchange_sent = "002";
  b.exchange_received = "LGE";
  ASSERT_EQ(b.Add(), 1);

  Result();
  testing::ExpectedCabrillo e;
  e.callsign = "ON4XX/P";
  e.category_overlay = "ROOKIE";
  e.claimed_score = "6";
  e.club = "UBA";
  e.created_by = "Zelk 2.20";
  e.name = "Jan Peeters";
  e.address = {"Kerkstraat 1", "Bus 2"};
  e.address_city = "Gent";
  e.address_state = "OVL";
  e.address_postal_code = "9000";
  e.address_country = "Belgium";
  e.operators = "ON4XX OT1Y";
  e.email = "on4xx@example.org";
  e.soapbox = {"Nice contest!", "See you next year"};
  e.qsos = {
      "QSO: 14070 PM 2017-01-06 1312 ON4XX/P       599 001    DL1AB         599 001",
      "QSO:  3580 PM 2017-01-06 1405 ON4XX/P       599 002    OE2009/ON4ABC 599 LGE"};
  const std::string expected = testing::ExpectedCabrilloLog(e);
  EXPECT_EQ(ReadText(dir() / "ON4XX_P.cbr"), expected);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "Output");
  EXPECT_EQ(platform_.messages[0].text, "File produced: ON4XX_P.cbr");
  EXPECT_EQ(platform_.messages[0].style, 64u);

  // A second request writes the same file anew, every QSO once.
  Result();
  EXPECT_EQ(ReadText(dir() / "ON4XX_P.cbr"), expected);
  EXPECT_EQ(platform_.messages.size(), 2u);
}

TEST_F(CabrilloTest, EmptyStoreAndEmptyValues) {
  StartRun("");
  Result();
  const std::string log = ReadText(dir() / "QORT.cbr");
  EXPECT_NE(log.find("CALLSIGN: \r\nCONTEST: "), std::string::npos);
  EXPECT_NE(log.find("CATEGORY-OVERLAY: \r\nCLAIMED-SCORE: 0\r\nCLUB: \r\n"), std::string::npos);
  EXPECT_NE(log.find("CREATED-BY: Zelk Zelk\r\n"), std::string::npos);
  const std::string tail = "SOAPBOX: \r\nEND-OF-LOG:\r\n";
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
  EXPECT_EQ(platform_.messages.at(0).text, "File produced: QORT.cbr");
}

TEST_F(CabrilloTest, FormShowsTheLoadedRecordAndSavesItOnOk) {
  WriteSettings(kStationSettings);
  StartRun();
  ASSERT_EQ(form_.shown.size(), 1u);
  const CabrilloHeader& shown = form_.shown[0];
  EXPECT_EQ(shown.station_callsign, "ON4XX/P");
  EXPECT_EQ(shown.operators, "ON4XX OT1Y");
  EXPECT_EQ(shown.claimed_text, "123");
  EXPECT_EQ(shown.contest, "UBA-PSK63-PREFIX");
  EXPECT_EQ(shown.category_mode, "BPSK63");
  EXPECT_EQ(shown.location, "DX");  // whatever was saved
  EXPECT_EQ(shown.category_overlay, "");
  EXPECT_EQ(shown.soapbox, "old box");
  EXPECT_EQ(Settings(),
            "[Settings]\r\n"
            "Operators=ON4XX OT1Y\r\n"
            "Name=Jan Peeters\r\n"
            "Address=Kerkstraat 1<CR>Bus 2\r\n"
            "Address-City=Gent\r\n"
            "Address-State=OVL\r\n"
            "Address-PostalCode=9000\r\n"
            "Address-Country=Belgium\r\n"
            "Claimed=123\r\n"
            "Email=on4xx@example.org\r\n"
            "Club=UBA\r\n"
            "Location=DX\r\n"
            "SoapBox=old box\r\n"
            "Contest=UBA-PSK63-PREFIX\r\n"
            "Start=0\r\n");
}

TEST_F(CabrilloTest, WithoutSettingsOperatorsIsTheOwnCall) {
  StartRun(" ON4XX ");
  const CabrilloHeader& shown = form_.shown.at(0);
  EXPECT_EQ(shown.operators, " ON4XX ");
  EXPECT_EQ(shown.name, "");
  EXPECT_EQ(shown.claimed_text, "");
  EXPECT_EQ(State().cabrillo.log_base_name, "ON4XX");
}

TEST_F(CabrilloTest, OverlayOutlivesTheRunButNotTheProcess) {
  form_.script = [](CabrilloHeader& f) {
    f.category_overlay = "TB-WIRES";
    return true;
  };
  StartRun();
  StartRun();
  ASSERT_EQ(form_.shown.size(), 2u);
  EXPECT_EQ(form_.shown[1].category_overlay, "TB-WIRES");
  EXPECT_EQ(Settings().find("TB-WIRES"), std::string::npos);
}

TEST_F(CabrilloTest, LongSoapboxComesBackWhole) {
  std::string box;
  for (int i = 0; i < 30; ++i) box += "line " + std::to_string(i) + "<CR><LF>";
  ASSERT_GT(box.size(), 99u);
  WriteSettings("[Settings]\r\nSoapBox=" + box + "\r\n");
  StartRun();
  EXPECT_EQ(EncodeSoapbox(form_.shown.at(0).soapbox), box);
  EXPECT_EQ(settings::Read("SoapBox"), box);
}

TEST_F(CabrilloTest, EditedCallsignAndClaimedText) {
  form_.script = [](CabrilloHeader& f) {
    f.station_callsign = "OT1Y";
    f.claimed_text = "999999";
    f.location = "ON";
    return true;
  };
  StartRun();
  Qso().Add();
  Result();
  const std::string log = ReadText(dir() / "ON4XX_P.cbr");
  EXPECT_NE(log.find("CALLSIGN: OT1Y\r\n"), std::string::npos);
  EXPECT_NE(log.find(" OT1Y          599 "), std::string::npos);
  EXPECT_NE(log.find("CLAIMED-SCORE: 1\r\n"), std::string::npos);
  EXPECT_NE(log.find("ARRL-SECTION: ON\r\n"), std::string::npos);
  EXPECT_EQ(settings::Read("Claimed"), "1");
  EXPECT_EQ(settings::Read("Location"), "ON");
}

TEST_F(CabrilloTest, CancelledFormMeansNoLogUntilTheNextRun) {
  form_.script = [](CabrilloHeader&) { return false; };
  StartRun();
  EXPECT_EQ(State().cabrillo_requested, 0);
  Qso().Add();
  Result();
  Result();
  EXPECT_FALSE(Exists(dir() / "ON4XX_P.cbr"));
  EXPECT_TRUE(platform_.messages.empty());
  EXPECT_EQ(settings::Read("Operators", "(none)"), "(none)");

  form_.script = [](CabrilloHeader&) { return true; };
  StartRun();
  Result();
  EXPECT_TRUE(Exists(dir() / "ON4XX_P.cbr"));
  EXPECT_EQ(platform_.messages.size(), 1u);
}

TEST_F(CabrilloTest, AFileThatCannotBeCreatedIsReported) {
  StartRun();
  std::filesystem::create_directory(dir() / "ON4XX_P.cbr");
  Qso().Add();
  const std::string text = Result();
  EXPECT_NE(text.find("Score = 1 * (1 + 0)  = 1 \r\n"), std::string::npos);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].caption, "Output");
  // The reason is the system's own text ("Is a directory", "Access denied").
  const std::string notice = platform_.messages[0].text;
  const std::string head = "File not produced: ON4XX_P.cbr (";
  EXPECT_EQ(notice.substr(0, head.size()), head);
  EXPECT_GT(notice.size(), head.size() + 1);
  EXPECT_EQ(notice.back(), ')');
}

TEST_F(CabrilloTest, EveryFailedWriteIsReportedAndKeepsTheEarlierLog) {
  StartRun();
  Qso().Add();
  Qso second;
  second.call = "DL2CD";
  second.Add();
  testing::WriteText(dir() / "ON4XX_P.cbr", "an earlier log\r\nEND-OF-LOG:\r\n");
  // The claimed score, the log's text (one write), the sync and the rename
  // of the temporary file.
  for (int n = 2; n <= 4; ++n) {
    SCOPED_TRACE(n);
    platform_.messages.clear();
    platform_.writes = 0;
    platform_.fail_write_at = n;
    EXPECT_NE(Result().find("Score = 2 * (1 + 0)  = 2"), std::string::npos);
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].text.rfind("File not produced: ON4XX_P.cbr (injected", 0), 0u);
    EXPECT_EQ(ReadText(dir() / "ON4XX_P.cbr"), "an earlier log\r\nEND-OF-LOG:\r\n");
    EXPECT_FALSE(Exists(dir() / "ON4XX_P.cbr.tmp"));
  }
  platform_.messages.clear();
  platform_.writes = 0;
  platform_.fail_write_at = 5;
  Result();
  EXPECT_EQ(platform_.messages.at(0).text, "File produced: ON4XX_P.cbr");
  EXPECT_EQ(platform_.writes, 4);
  const std::string log = ReadText(dir() / "ON4XX_P.cbr");
  EXPECT_EQ(log.rfind("START-OF-LOG: 3.0\r\n", 0), 0u);
  EXPECT_EQ(log.substr(log.size() - 13), "END-OF-LOG:\r\n");
  EXPECT_FALSE(Exists(dir() / "ON4XX_P.cbr.tmp"));
}

TEST_F(CabrilloTest, AFileThatFailedDuringTheResultIsToldInTheSameBoxAsTheLog) {
  StartRun();
  Qso().Add();
  // The claimed score cannot be stored: the settings file is read-only now.
  const auto ini = dir() / "Plugins" / "ZEVUVI.ini";
  std::filesystem::permissions(ini, std::filesystem::perms::owner_read |
                                        std::filesystem::perms::group_read |
                                        std::filesystem::perms::others_read);
  const std::string settings = ReadText(ini);
  platform_.messages.clear();
  Result();
  ASSERT_EQ(platform_.messages.size(), 1u);
  const std::string text = platform_.messages[0].text;
  EXPECT_EQ(text.rfind("File not written: Plugins\\ZEVUVI.ini (", 0), 0u) << text;
  EXPECT_NE(text.find(")\r\nFile produced: ON4XX_P.cbr"), std::string::npos) << text;
  EXPECT_EQ(ReadText(ini), settings);
}

}  // namespace
}  // namespace stats
