// The check's report (grouping, counts, verdict), its new kinds of finding
// and where the country file is looked for.
#include <gtest/gtest.h>

#include <set>

#include "check.h"
#include "locate.h"
#include "options.h"

namespace replay {
namespace {

Finding Error(int line, std::string text, FindingKind kind = FindingKind::kMissingExchange) {
  return {line, std::move(text), Severity::kError, kind};
}
Finding Warning(int line, std::string text, FindingKind kind = FindingKind::kDuplicate) {
  return {line, std::move(text), Severity::kWarning, kind};
}

TEST(CheckReport, GroupsByKindErrorsFirstWithCountsAndVerdict) {
  const std::vector<Finding> findings = {
      Warning(3, "QSO with K1A on 20m: duplicate of line 2"),
      Error(4, "QSO with F5ABC: no exchange received"),
      Warning(0, "no EMAIL: line", FindingKind::kMissingHeader),
      Warning(7, "QSO with K1A on 20m: duplicate of line 2"),
      Error(9, "QSO with DL1ABC: no exchange sent"),
  };
  EXPECT_EQ(CheckReport("log.cbr", findings, 10),
            "stats-replay: check: missing exchange: 2 errors\n"
            "  log.cbr:4: QSO with F5ABC: no exchange received\n"
            "  log.cbr:9: QSO with DL1ABC: no exchange sent\n"
            "stats-replay: check: duplicate: 2 warnings\n"
            "  log.cbr:3: QSO with K1A on 20m: duplicate of line 2\n"
            "  log.cbr:7: QSO with K1A on 20m: duplicate of line 2\n"
            "stats-replay: check: missing header line: 1 warning\n"
            "  log.cbr: no EMAIL: line\n"
            "stats-replay: check: log.cbr: 2 errors, 3 warnings\n");
}

TEST(CheckReport, ListsTheFirstOfEachKindAndCountsTheRest) {
  std::vector<Finding> findings;
  for (int line = 1; line <= 13; ++line) findings.push_back(Warning(line, "dupe"));
  findings.push_back(Error(20, "outside", FindingKind::kOutsidePeriod));
  const std::string some = CheckReport("a.adi", findings, 10);
  EXPECT_NE(some.find("  a.adi:10: dupe\n  ... and 3 more (--check-all lists every one)\n"),
            std::string::npos)
      << some;
  EXPECT_EQ(some.find("a.adi:11:"), std::string::npos);
  EXPECT_NE(some.find("stats-replay: check: duplicate: 13 warnings\n"), std::string::npos);
  EXPECT_TRUE(some.ends_with("stats-replay: check: a.adi: 1 error, 13 warnings\n")) << some;

  const std::string all = CheckReport("a.adi", findings, 0);
  EXPECT_NE(all.find("  a.adi:13: dupe\n"), std::string::npos);
  EXPECT_EQ(all.find("more"), std::string::npos);
}

TEST(CheckReport, VerdictAndEscapedTexts) {
  EXPECT_EQ(CheckReport("log.cbr", {}, 10), "stats-replay: check: log.cbr: ready to send\n");
  EXPECT_EQ(Verdict(0, 0), "ready to send");
  EXPECT_EQ(Verdict(1, 1), "1 error, 1 warning");
  EXPECT_EQ(Verdict(0, 2), "0 errors, 2 warnings");
  EXPECT_EQ(Verdict(3, 0), "3 errors, 0 warnings");
  const std::string report =
      CheckReport("a\x1b.cbr", {Warning(2, "'\x1b[2J' is not a call sign", FindingKind::kNotACall)}, 10);
  EXPECT_EQ(report.find('\x1b'), std::string::npos) << report;
  EXPECT_NE(report.find("a\\x1B.cbr:2: '\\x1B[2J' is not a call sign"), std::string::npos) << report;
}

// Every kind has a heading of its own: two kinds never share a group.
TEST(CheckReport, EveryKindHasItsOwnHeading) {
  std::set<std::string_view> titles;
  for (int k = 0; k <= static_cast<int>(FindingKind::kClaimedScore); ++k) {
    titles.insert(KindTitle(static_cast<FindingKind>(k)));
  }
  EXPECT_EQ(titles.size(), static_cast<size_t>(FindingKind::kClaimedScore) + 1);
}

std::vector<std::string> Texts(const std::vector<Finding>& findings) {
  std::vector<std::string> texts;
  for (const Finding& f : findings) {
    texts.push_back(std::to_string(f.line) + (f.severity == Severity::kError ? " E " : " W ") +
                    f.text);
  }
  return texts;
}

TEST(SubmissionCheck, ContestCategoriesAndExchanges) {
  const Log log = ReadCabrillo(
      "START-OF-LOG: 3.0\n"                                                 // 1
      "CALLSIGN: ON4XYZ\n"                                                  // 2
      "CONTEST: CQ-WPX-RTTY\n"                                              // 3
      "CATEGORY-OPERATOR: SINGLE-OP\n"                                      // 4
      "CATEGORY-MODE: BPSK63\n"                                             // 5
      "CATEGORY-POWER: HUGE\n"                                              // 6
      "CATEGORY-BAND: \n"                                                   // 7
      "CATEGORY-OVERLAY: \n"                                                // 8
      "CATEGORY-STATION: fixed \n"                                          // 9
      "NAME: Jan\n"                                                         // 10
      "ADDRESS: Street 1\n"                                                 // 11
      "EMAIL: jan@example.org\n"                                            // 12
      "QSO: 14070 PM 2026-01-03 1312 ON4XYZ 599 LGE DL1ABC 599 0123\n"      // 13
      "QSO: 14070 PM 2026-01-03 1313 ON4XYZ 599 LGE ON4ARL 599 lge\n"       // 14
      "QSO: 14070 PM 2026-01-03 1314 ON4XYZ 599 LGE ON5KB 599 QQQ\n"        // 15
      "QSO: 14070 PM 2026-01-03 1315 ON4XYZ 599 LGE F5ABC 599 LGE\n"        // 16
      "QSO: 14070 PM 2026-01-03 1316 ON4XYZ 599 LGE G0ABC 599 12\n"         // 17
      "END-OF-LOG:\n");
  const CountryOf country_of = [](const std::string& call) {
    return call.rfind("ON", 0) == 0 ? std::string("ON") : std::string("XX");
  };
  EXPECT_EQ(Texts(CheckSubmission(log, true, ContestPeriod(), country_of)),
            (std::vector<std::string>{
                "3 E CONTEST: 'CQ-WPX-RTTY' is not UBA-PSK63-PREFIX",
                "6 W CATEGORY-POWER: 'HUGE' is not a Cabrillo 3.0 value (HIGH, LOW, QRP)",
                "7 W CATEGORY-BAND: is empty",
                "15 W QSO with ON5KB: exchange received 'QQQ' is neither a 3-4 digit number nor "
                "a Belgian station's UBA section",
                "16 W QSO with F5ABC: exchange received 'LGE' is neither a 3-4 digit number nor "
                "a Belgian station's UBA section",
                "17 W QSO with G0ABC: exchange received '12' is neither a 3-4 digit number nor "
                "a Belgian station's UBA section",
            }));
}

TEST(SubmissionCheck, MissingHeaderLinesAreErrorsOrWarnings) {
  const Log log = ReadCabrillo("START-OF-LOG: 3.0\nCALLSIGN: \nEND-OF-LOG:\n");
  EXPECT_EQ(Texts(CheckSubmission(log, true, ContestPeriod())),
            (std::vector<std::string>{"0 E no CONTEST: line", "0 E no CATEGORY-OPERATOR: line",
                                      "0 W no NAME: line", "0 W no ADDRESS: line",
                                      "0 W no EMAIL: line", "2 E CALLSIGN: is empty"}));
}

TEST(SubmissionCheck, ClaimedScoreAgainstTheRecount) {
  const ContestPeriod open;  // the check keeps a reference to its period
  SubmissionCheck check(true, open);
  EXPECT_FALSE(check.ClaimedScore());
  check.OnHeader({5, "CLAIMED-SCORE", "88128"});
  ASSERT_TRUE(check.ClaimedScore());
  EXPECT_EQ(check.ClaimedScore()->score, 88128);
  EXPECT_FALSE(ClaimedScoreFinding({5, 88128}, 88128));
  const std::optional<Finding> f = ClaimedScoreFinding({5, 90000}, 88128);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->line, 5);
  EXPECT_EQ(f->text, "CLAIMED-SCORE: 90000 differs from the recount 88128");
  EXPECT_EQ(f->severity, Severity::kWarning);
  SubmissionCheck odd(true, open);
  odd.OnHeader({5, "CLAIMED-SCORE", "lots"});
  EXPECT_FALSE(odd.ClaimedScore());
}

TEST(SubmissionCheck, JournalLinesWithTheirReasons) {
  const std::string head = "QSO:  14070  BPSK63  2026-01-03 1312  DL6UHU  599  001  ON4ARL  599  ";
  const std::optional<Finding> section =
      JournalFinding(14, "ON4ARL", head + "XYZ  XYZ  UBA section is not acceptable !!!");
  ASSERT_TRUE(section);
  EXPECT_EQ(section->text, "QSO with ON4ARL: journalled as bad: UBA section 'XYZ' is not acceptable !!!");
  EXPECT_EQ(section->line, 14);
  EXPECT_EQ(section->kind, FindingKind::kJournalled);
  EXPECT_EQ(JournalFinding(3, "K1A", head + "012   WRONG MODE !!!")->text,
            "QSO with K1A: journalled as bad: WRONG MODE !!!");
  EXPECT_EQ(JournalFinding(3, "K1A", head + "012   DUPE !!!")->text,
            "QSO with K1A: journalled as bad: DUPE !!!");
  EXPECT_FALSE(JournalFinding(3, "K1A", "UBA PFX UBN file "));

  // A duplicate or a missing exchange that the check reported already is
  // known on its line.
  const ContestPeriod open;
  SubmissionCheck check(false, open);
  LogQso q;
  q.line = 8;
  q.call = "K1A";
  q.exchange_sent = "001";
  check.OnQso(q);
  EXPECT_TRUE(check.Has(8, FindingKind::kMissingExchange));
  EXPECT_FALSE(check.Has(8, FindingKind::kDuplicate));
  check.Add(*JournalFinding(9, "K1A", head + "012   WRONG BAND !!!"));
  EXPECT_TRUE(check.Has(9, FindingKind::kJournalled));
}

TEST(ExchangeShape, NumbersAndSections) {
  for (const char* n : {"001", "0123", " 599 ", "9999"}) EXPECT_TRUE(LooksLikeExchange(n, false)) << n;
  for (const char* n : {"12", "12345", "LGE", "1A3", ""}) EXPECT_FALSE(LooksLikeExchange(n, false)) << n;
  EXPECT_TRUE(LooksLikeExchange("lge", true));
  EXPECT_TRUE(LooksLikeExchange("ZTM", true));
  EXPECT_TRUE(LooksLikeExchange("012", true));
  EXPECT_FALSE(LooksLikeExchange("QQQ", true));
}

TEST(CountryFileLookup, BesideTheProgramFirstThenTheSystems) {
  const std::vector<std::filesystem::path> places =
      CountryFilePlaces("/opt/replay/bin", {"/usr/share/hamradio-files/cty.dat"});
  ASSERT_EQ(places.size(), 2u);
  EXPECT_EQ(places[0], std::filesystem::path("/opt/replay/bin") / "cty.dat");
  EXPECT_EQ(places[1], "/usr/share/hamradio-files/cty.dat");
  EXPECT_EQ(CountryFilePlaces("", {"/x/cty.dat"}).size(), 1u);  // the program's folder unknown

  std::string error;
  std::set<std::filesystem::path> present = {places[0], places[1]};
  const auto exists = [&](const std::filesystem::path& p) { return present.count(p) > 0; };
  EXPECT_EQ(FindCountryFile(places, exists, &error), places[0]);
  present.erase(places[0]);
  EXPECT_EQ(FindCountryFile(places, exists, &error), places[1]);
  present.clear();
  EXPECT_FALSE(FindCountryFile(places, exists, &error));
  EXPECT_EQ(error, "no country file cty.dat found (looked for " + places[0].string() +
                       ", /usr/share/hamradio-files/cty.dat); name one with --cty FILE");
}

TEST(Options, StrictCheckAllAndInPlace) {
  std::string error;
  std::optional<Options> o = ParseOptions({"--strict", "x.cbr"}, &error);
  ASSERT_TRUE(o) << error;
  EXPECT_TRUE(o->strict && o->check && !o->check_all && !o->in_place);
  o = ParseOptions({"--check-all", "--in-place", "x.cbr"}, &error);
  ASSERT_TRUE(o) << error;
  EXPECT_TRUE(o->check_all && o->check && o->in_place && !o->strict);
  EXPECT_FALSE(ParseOptions({"--strict=1", "x.cbr"}, &error));
}

}  // namespace
}  // namespace replay
