#include <gtest/gtest.h>

#include <map>
#include <set>

#include "cty.h"
#include "host_qso.h"
#include "reports.h"
#include "score.h"

namespace crosscheck {
namespace {

// What the plug-in is fed for a log's QSO: the rules' prefix, whatever PFX
// the logger wrote, so that the checked score does not depend on the logger;
// the own call stands in where a QSO names none.
TEST(HostQso, PrefixByTheRulesNotTheLogs) {
  std::string error;
  const std::optional<replay::CountryFile> cty = replay::CountryFile::Parse(
      "Canada:                   05:  09:  NA:   44.35:    78.75:     5.0:  VE:\n    VE,VA;\n",
      &error);
  ASSERT_TRUE(cty) << error;
  replay::LogQso qso;
  qso.call = "VE2CSI";
  qso.prefix = "VE3";
  qso.band = "20m";
  const stats::host_args::HostQso host = replay::ToHostQso(qso, *cty, "ON4XX");
  EXPECT_EQ(host.prefix, "VE2");
  EXPECT_EQ(host.country, "VE");
  EXPECT_EQ(host.own_call, "ON4XX");
  qso.own_call = "OT4XX";
  EXPECT_EQ(replay::ToHostQso(qso, *cty).own_call, "OT4XX");
}

TEST(PluginScore, TheResultsScoreLine) {
  const std::optional<Score> s = ParsePluginScore(
      "Total\t 288\t 288\t    242\t       64\r\nDupe\t 4\r\nBad QSO\t 5\r\nScore = 288 * (242 + 64)  = 88128 \r\n");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->value, 88128);
  EXPECT_EQ(s->points, 288);
  EXPECT_EQ(s->multipliers, 306);
  // The HTML form's row.
  EXPECT_FALSE(ParsePluginScore("<tr><th>Score:</th><td colspan=6><center>1 * (1 + 0) = 1</center></td></tr>"));
  EXPECT_FALSE(ParsePluginScore(""));
  EXPECT_FALSE(ParsePluginScore("Score = 12 * (3 + x)  = 36"));
  const std::optional<Score> zero = ParsePluginScore("Score = 0 * (0 + 0)  = 0 \r\n");
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->value, 0);
}

// A score of QSO points times distinct "prefixes" (the first letters of the
// calls), like the plug-in's: a removed QSO may cost a multiplier too.
class PrefixScorer final : public Scorer {
 public:
  std::optional<Score> Run(const StationLog& log, const std::vector<char>& keep, std::string* error) override {
    (void)error;
    ++runs;
    std::set<char> prefixes;
    long points = 0;
    for (size_t i = 0; i < keep.size(); ++i) {
      if (!keep[i]) continue;
      ++points;
      prefixes.insert(log.qsos[i].call[0]);
    }
    const long m = static_cast<long>(prefixes.size());
    return Score{points * m, points, m, m};
  }
  int runs = 0;
};

StationLog LogOf(const std::vector<std::string>& calls) {
  StationLog log;
  log.call = "ON4ABC";
  log.name = "on4abc.cbr";
  for (size_t i = 0; i < calls.size(); ++i) {
    Qso q;
    q.call = calls[i];
    // File order is line order, not the order of the QSOs.
    q.line = static_cast<int>(100 - i);
    q.band_text = "20m";
    log.qsos.push_back(q);
  }
  return log;
}

TEST(EntrantScores, DeductionsAddUpToRawLessChecked) {
  const StationLog log = LogOf({"A1", "B1", "A2", "C1", "B2", "D1"});
  LogCheck check;
  check.findings.resize(6);
  check.findings[1] = {Verdict::kNotInLog, false, 0, -1, -1, ""};  // B1
  check.findings[3] = {Verdict::kBustedCall, false, 0, -1, -1, ""};  // C1: the only C
  check.findings[4] = {Verdict::kDupe, false, 1, -1, -1, ""};       // B2, with a penalty
  check.findings[5] = {Verdict::kUnique, true, 2, -1, -1, ""};      // D1 counts, penalty 2
  PrefixScorer scorer;
  std::string error;
  const std::optional<EntrantScore> e = ScoreEntrant(scorer, log, check, &error);
  ASSERT_TRUE(e) << error;
  EXPECT_EQ(e->raw.value, 6 * 4);
  EXPECT_EQ(e->claimed_qsos, 6);
  EXPECT_EQ(e->checked_qsos, 3);  // A1, A2, D1
  EXPECT_EQ(e->penalty_qsos, 3);
  // 3 points x 2 prefixes, less 3 penalty QSOs at 2 each.
  EXPECT_EQ(e->checked.value, 6 - 6);
  // In file order: D1 (line 95), B2 (96), C1 (97), B1 (99).
  ASSERT_EQ(e->deductions.size(), 4u);
  EXPECT_EQ(e->deductions[0].qso, 5u);
  EXPECT_EQ(e->deductions[1].qso, 4u);
  EXPECT_EQ(e->deductions[2].qso, 3u);
  EXPECT_EQ(e->deductions[3].qso, 1u);
  // B2 out: 5 x 4 = 20 (-4), then its penalty 1 x 2; C1 out: 4 x 3 = 12
  // (-8); B1 out: 3 x 2 = 6 (-6); D1 stands with a penalty of 2 x 2.
  EXPECT_EQ(e->deductions[0].cost, 4);
  EXPECT_EQ(e->deductions[1].cost, 4 + 2);
  EXPECT_EQ(e->deductions[2].cost, 8);
  EXPECT_EQ(e->deductions[3].cost, 6);
  long total = 0;
  for (const Deduction& d : e->deductions) total += d.cost;
  EXPECT_EQ(total, e->raw.value - e->checked.value);
  EXPECT_EQ(scorer.runs, 4);  // all, then one less at a time

  QsoScorer by_qsos(2);
  const std::optional<EntrantScore> q = ScoreEntrant(by_qsos, log, check, &error);
  ASSERT_TRUE(q);
  EXPECT_EQ(q->raw.value, 12);
  EXPECT_EQ(q->checked.value, 6 - 3 * 2);
}

TEST(Reports, UbnReportByteForByte) {
  std::vector<StationLog> logs = {LogOf({"A1", "B1"}), LogOf({"ON4ABC"})};
  logs[0].category = "SINGLE-OP";
  logs[0].claimed_score = "4";
  logs[1].call = "B1";
  logs[1].name = "b1.log";
  logs[0].qsos[0].time = {2026, 1, 3, 13, 5, 0};
  logs[0].qsos[1].time = {2026, 1, 3, 14, 15, 0};
  logs[1].qsos[0].sent = "001";
  logs[1].qsos[0].received = "LGE";
  CheckResult r;
  r.logs.resize(2);
  r.logs[0].findings = {Finding{Verdict::kPartnerBustedExchange, true, 0, 1, 0, "sent LGE, B1 received LGA"},
                        Finding{Verdict::kBustedExchange, false, 0, 1, 0, "received 002, B1 sent 001"}};
  r.logs[0].clock = {{99, 100, -1440, 12}};
  Entrant e;
  e.log = 0;
  e.score.raw = {4, 2, 2};
  e.score.checked = {1, 1, 1};
  e.score.claimed_qsos = 2;
  e.score.checked_qsos = 1;
  e.score.deductions = {{1, 3}};
  ContestDefinition contest;
  contest.title = "Test";
  EXPECT_EQ(UbnReport(contest, logs, r, e),
            "UBN report of ON4ABC (on4abc.cbr), Test\n"
            "Category: SINGLE-OP\n"
            "Claimed score: 4\n"
            "Raw score:     4 (2 QSO lines, 2 points x 2)\n"
            "Checked score: 1 (1 QSOs stand, 1 points x 1)\n"
            "QSOs lost: 1 of 2 (50.0%)\n"
            "Clock: lines 99 to 100 are 1440 min behind the partners' logs (12 QSOs agree); matched after correction\n"
            "\n"
            "Lines that lost credit:\n"
            "  line    99  1415  20m   B1           busted-exchange         -3\n"
            "              partner: b1.log:100 0000 ON4ABC 001 / LGE\n"
            "              received 002, B1 sent 001\n"
            "Deductions: 3 = raw 4 - checked 1\n"
            "\n"
            "Lines that stand with a remark:\n"
            "  line   100  1305  20m   A1           partner-busted-exchange\n"
            "              partner: b1.log:100 0000 ON4ABC 001 / LGE\n"
            "              sent LGE, B1 received LGA\n");
  EXPECT_EQ(UbnFileName("PA/ON4ABC/P"), "PA_ON4ABC_P.txt");
  EXPECT_EQ(UbnFileName("A\\B"), "A_B.txt");
  EXPECT_EQ(UbnFileName(""), "NOCALL.txt");
}

TEST(Reports, ResultsByCategoryWithSharedPlaces) {
  std::vector<StationLog> logs(4);
  const char* calls[] = {"ON4B", "ON4A", "DL1X", "PA<1>"};
  const char* categories[] = {"SO", "SO", "", "SO,\"LOW\""};
  for (int i = 0; i < 4; ++i) {
    logs[i].call = calls[i];
    logs[i].category = categories[i];
  }
  logs[1].claimed_score = "90";
  std::vector<Entrant> entrants(4);
  const long checked[] = {80, 80, 5, 7};
  for (size_t i = 0; i < 4; ++i) {
    entrants[i].log = i;
    entrants[i].score.raw = {checked[i] + 10, 10, 1};
    entrants[i].score.checked = {checked[i], 10, 1};
    entrants[i].score.claimed_qsos = 10;
    entrants[i].score.checked_qsos = 9;
  }
  entrants[3].score.claimed_qsos = 3;
  entrants[3].score.checked_qsos = 1;
  ContestDefinition contest;
  contest.title = "T&T";
  const Results r = ResultTables(contest, logs, entrants);
  EXPECT_EQ(r.csv,
            "category,place,call,qsos_claimed,qsos_checked,error_rate,claimed_score,raw_score,checked_score\n"
            "(no category),1,DL1X,10,9,10.0%,,15,5\n"
            "SO,1,ON4A,10,9,10.0%,90,90,80\n"
            "SO,1,ON4B,10,9,10.0%,,90,80\n"
            "\"SO,\"\"LOW\"\"\",1,PA<1>,3,1,66.7%,,17,7\n");
  EXPECT_EQ(r.text,
            "T&T: checked results\n"
            "\n(no category)\n"
            "Place  Call          QSOs claimed  checked  errors   Claimed      Raw  Checked\n"
            "    1  DL1X                    10        9   10.0%         -       15        5\n"
            "\nSO\n"
            "Place  Call          QSOs claimed  checked  errors   Claimed      Raw  Checked\n"
            "    1  ON4A                    10        9   10.0%        90       90       80\n"
            "    1  ON4B                    10        9   10.0%         -       90       80\n"
            "\nSO,\"LOW\"\n"
            "Place  Call          QSOs claimed  checked  errors   Claimed      Raw  Checked\n"
            "    1  PA<1>                    3        1   66.7%         -       17        7\n");
  EXPECT_NE(r.html.find("<h1>T&amp;T: checked results</h1>"), std::string::npos);
  EXPECT_NE(r.html.find("<td>PA&lt;1&gt;</td>"), std::string::npos);
  EXPECT_NE(r.html.find("<h2>SO,&quot;LOW&quot;</h2>"), std::string::npos);
  EXPECT_EQ(r.html.substr(r.html.size() - 15), "</body></html>\n");
}

}  // namespace
}  // namespace crosscheck
