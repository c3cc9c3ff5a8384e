#include "plugin/store.h"

#include <gtest/gtest.h>

namespace stats {
namespace {

CInfo Record(const std::string& call, const std::string& band, OleDate time,
             const std::string& prefix = "DL1") {
  CInfo r;
  r.call = call;
  r.band = band;
  r.prefix = prefix;
  r.time = time;
  return r;
}

TEST(AcceptanceLists, IgnoreLetterCaseOnly) {
  EXPECT_TRUE(AcceptedModes().Contains("bpsk63"));
  EXPECT_TRUE(AcceptedModes().Contains("BPSK63"));
  EXPECT_FALSE(AcceptedModes().Contains("PSK63"));
  EXPECT_TRUE(AcceptedBands().Contains("20M"));
  EXPECT_FALSE(AcceptedBands().Contains("2m"));
  EXPECT_FALSE(AcceptedBands().Contains("20m "));
  EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));  // only A to Z fold
  ASSERT_EQ(AcceptedBands().Size(), 6u);
  EXPECT_EQ(AcceptedBands().At(0), "160m");
  EXPECT_EQ(AcceptedBands().At(5), "10m");
  EXPECT_EQ(BandIndex("20m"), 3);
  EXPECT_EQ(BandIndex("20M"), -1);
}

TEST(BandsSeen, AreExactTexts) {
  std::vector<std::string> seen;
  AddIfAbsent(seen, "20m");
  AddIfAbsent(seen, "20M");
  AddIfAbsent(seen, "20m");
  EXPECT_EQ(seen, (std::vector<std::string>{"20m", "20M"}));
}

TEST(QsoStore, FindAndRemoveTakesTheFirstMatchOnly) {
  QsoStore store;
  const OleDate t = OleDate::FromCivil(2017, 1, 6, 13, 12);
  store.Append(Record("DL1AB", "20m", t));
  store.Append(Record("DL1AB", "40m", t));
  store.Append(Record("DL1AB", "20m", t));
  CInfo marked = Record("DL1AB", "20m", t);
  marked.extra = "third";
  store.Append(marked);
  auto removed = store.FindAndRemove("DL1AB", "20m", t);
  ASSERT_TRUE(removed);
  EXPECT_EQ(removed->index, 0u);
  ASSERT_EQ(store.Count(), 3u);
  EXPECT_EQ(store.At(0).band, "40m");
  EXPECT_EQ(store.IndexesOf("DL1AB", "20m"), (std::vector<size_t>{1, 2}));
  EXPECT_EQ(store.At(2).extra, "third");
  EXPECT_FALSE(store.FindAndRemove("dl1ab", "20m", t));
  EXPECT_FALSE(store.FindAndRemove("DL1AB", "20M", t));
}

TEST(QsoStore, NullTimesMatchInvalidNever) {
  QsoStore store;
  store.Append(Record("DL1AB", "20m", OleDate::Null()));
  store.Append(Record("DL1AB", "20m", OleDate::Invalid()));
  EXPECT_FALSE(store.FindAndRemove("DL1AB", "20m", OleDate::Invalid()));
  EXPECT_TRUE(store.FindAndRemove("DL1AB", "20m", OleDate::Null()));
  EXPECT_FALSE(store.FindAndRemove("DL1AB", "20m", OleDate::Null()));
  EXPECT_EQ(store.Count(), 1u);
}

TEST(QsoStore, IndexesFollowAppendsRemovalsAndClear) {
  QsoStore store;
  const OleDate t = OleDate::FromCivil(2017, 1, 6);
  store.Append(Record("DL1AB", "20m", t, "DL1"));
  store.Append(Record("ON4AA", "20m", t, "ON4"));
  EXPECT_TRUE(store.HasCallOnBand("DL1AB", "20m"));
  EXPECT_FALSE(store.HasCallOnBand("DL1AB", "40m"));
  EXPECT_TRUE(store.HasPrefixOnBand("20m", "ON4"));
  EXPECT_FALSE(store.HasPrefixOnBand("20m", "on4"));
  store.FindAndRemove("ON4AA", "20m", t);
  EXPECT_FALSE(store.HasPrefixOnBand("20m", "ON4"));
  EXPECT_LT(store.SerialAt(0), store.NextSerial());
  store.Clear();
  EXPECT_EQ(store.Count(), 0u);
  EXPECT_FALSE(store.HasCallOnBand("DL1AB", "20m"));
  EXPECT_FALSE(store.HasPrefixOnBand("20m", "DL1"));
}

}  // namespace
}  // namespace stats
