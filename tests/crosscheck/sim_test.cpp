#include <gtest/gtest.h>

#include <map>

#include "simulate.h"

namespace sim {
namespace {

TEST(Simulator, OneSeedOneContest) {
  Options o;
  o.logs = 12;
  o.seed = 3;
  o.mean_qsos = 60;
  const Contest a = Simulate(o);
  const Contest b = Simulate(o);
  EXPECT_EQ(a.files, b.files);
  EXPECT_EQ(TruthTable(a.truth), TruthTable(b.truth));
  o.seed = 4;
  EXPECT_NE(Simulate(o).files, a.files);
  EXPECT_EQ(a.files.size(), 12u);
  // Every line of every log has its truth, in file and line order.
  size_t lines = 0;
  for (const auto& [name, text] : a.files) {
    for (size_t at = text.find("\nQSO: "); at != std::string::npos; at = text.find("\nQSO: ", at + 1)) ++lines;
  }
  EXPECT_EQ(a.truth.size(), lines);
}

TEST(Simulator, ErrorsComeAtTheirRates) {
  Options o;
  o.logs = 200;
  o.seed = 11;
  const Contest c = Simulate(o);
  std::map<std::string, long> counts;
  for (const TruthLine& t : c.truth) ++counts[t.truth];
  const double lines = static_cast<double>(c.truth.size());
  EXPECT_GT(lines, 200 * 100);
  // Each error comes near its rate (a busted call or exchange in 1.5% of the
  // QSOs both sides log, which give two lines each), and a partner's line
  // for every busted call and exchange.
  EXPECT_NEAR(counts["busted-call"] / lines, 0.015 / 2 * 0.9, 0.002);
  EXPECT_NEAR(counts["busted-exchange"] / lines, 0.015 / 2 * 0.9, 0.002);
  EXPECT_EQ(counts["busted-call"], counts["partner-busted-call"]);
  EXPECT_EQ(counts["busted-exchange"], counts["partner-busted-exchange"]);
  EXPECT_NEAR(counts["dupe"] / lines, 0.01, 0.003);
  EXPECT_NEAR(counts["no-log"] / lines, 0.15, 0.05);
  EXPECT_GT(counts["not-in-log"], 0);
  EXPECT_GT(counts["unique"], 0);
  for (const TruthLine& t : c.truth) {
    EXPECT_EQ(t.counted, t.truth == "ok" || t.truth == "no-log" || t.truth == "unique" ||
                             t.truth == "partner-busted-call" || t.truth == "partner-busted-exchange");
  }
}

TEST(Scorer, VerdictsAgainstTheTruth) {
  std::vector<TruthLine> truth;
  std::string error;
  ASSERT_TRUE(ParseTruth("log\tline\ttruth\tcounted\tworked\n"
                         "a.log\t7\tok\t1\tB1B\n"
                         "a.log\t8\tbusted-call\t0\tC1C\n"
                         "a.log\t9\tok\t1\tD1D\n"
                         "b.log\t7\tnot-in-log\t0\tA1A\n"
                         "b.log\t8\tdupe\t0\tA1A\n"
                         "b.log\t9\tok\t1\tE1E\n",
                         &truth, &error))
      << error;
  const std::string verdicts =
      "log\tline\tcall\tband\ttime\tverdict\tcounted\tpartner_log\tpartner_line\tdetail\n"
      "a.log\t7\tB1B\t20m\tt\ttime-offset\t1\t\t\t\n"
      "a.log\t8\tC1X\t20m\tt\tbusted-call\t0\t\t\t\n"
      "a.log\t9\tD1D\t20m\tt\tnot-in-log\t0\t\t\t\n"
      "b.log\t7\tA1A\t20m\tt\tnot-in-log\t0\t\t\t\n"
      "b.log\t8\tA1A\t20m\tt\tok\t1\t\t\t\n";
  Comparison c;
  ASSERT_TRUE(CompareVerdicts(truth, verdicts, &c, &error)) << error;
  EXPECT_EQ(c.classes["busted-call"].both, 1);
  EXPECT_EQ(c.classes["not-in-log"].both, 1);
  EXPECT_EQ(c.classes["not-in-log"].check_only, 1);
  EXPECT_DOUBLE_EQ(c.classes["not-in-log"].Precision(), 0.5);
  EXPECT_EQ(c.classes["dupe"].truth_only, 1);
  EXPECT_DOUBLE_EQ(c.classes["dupe"].Recall(), 0.0);
  EXPECT_EQ(c.good, 2);  // the line without a verdict aside
  EXPECT_EQ(c.good_removed, 1);
  EXPECT_EQ(c.missing, 1);
  const std::string text = ComparisonText(c);
  EXPECT_NE(text.find("not-in-log                   1      2      1      0.500   1.000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("good lines removed: 1 of 2\nlines without a verdict: 1 of 6\n"), std::string::npos) << text;

  EXPECT_FALSE(ParseTruth("h\na.log\t1\tok\n", &truth, &error));
  EXPECT_EQ(error, "truth.tsv:2: not a line of 5 columns");
  EXPECT_FALSE(CompareVerdicts(truth, "h\na\tb\n", &c, &error));
  EXPECT_EQ(error, "verdicts.tsv:2: not a line of 10 columns");
}

}  // namespace
}  // namespace sim
