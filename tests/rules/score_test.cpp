#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "rules/score.h"

namespace stats {
namespace {

TEST(BandSort, DescendingByZeroFilledText) {
  std::vector<std::string> bands = {"10m", "30m", "20M", "160m", "2m", "70cm", "40m", "20m",
                                    "80m", "6m",  "17m", "60m", "15m"};
  SortBands(bands);
  EXPECT_EQ(bands, (std::vector<std::string>{"70cm", "160m", "80m", "60m", "40m", "30m", "20m",
                                             "20M", "17m", "15m", "10m", "6m", "2m"}));
  std::vector<std::string> long_texts = {"a", std::string(25, 'b'), ""};
  SortBands(long_texts);
  EXPECT_EQ(long_texts.front(), std::string(25, 'b'));
}

TEST(BandSort, ManyDistinctTextsComeOutDescendingByKey) {
  // Texts of every length around the 20-character key width, in a scrambled
  // order: the sort must order them as the zero-filled keys say.
  std::vector<std::string> bands;
  for (int i = 0; i < 20000; ++i) {
    const int scrambled = (i * 7919) % 20000;
    std::string text = std::to_string(scrambled) + "m";
    if (i % 3 == 0) text = std::string(static_cast<size_t>(i % 25), 'x') + text;
    if (i % 5 == 0) text = "z" + text;
    bands.push_back(text);
  }
  std::vector<std::string> sorted = bands;
  SortBands(sorted);
  auto key = [](const std::string& b) {
    return b.size() >= 20 ? b : std::string(20 - b.size(), '0') + b;
  };
  for (size_t i = 1; i < sorted.size(); ++i) {
    ASSERT_GE(key(sorted[i - 1]), key(sorted[i])) << i;
  }
  std::sort(bands.begin(), bands.end());
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, bands);  // nothing lost or doubled
}

TEST(BandSort, TextsWithEqualKeysKeepTheOrderTheyWereSeenIn) {
  std::vector<std::string> bands = {"020m", "40m", "20m", "0020m", "80m"};
  SortBands(bands);
  EXPECT_EQ(bands, (std::vector<std::string>{"80m", "40m", "020m", "20m", "0020m"}));
}

TEST(ScoreArithmetic, SaturatesInsteadOfOverflowing) {
  EXPECT_EQ(ScoreOf(4, 3, 2), 20);
  EXPECT_EQ(ScoreOf(0, 0, 0), 0);
  EXPECT_EQ(ScoreOf(100000, 30000, 0), INT_MAX);
  EXPECT_EQ(ScoreOf(INT_MAX, INT_MAX, INT_MAX), INT_MAX);
}

}  // namespace
}  // namespace stats
