#include "model/contest_constants.h"
#include "model/store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

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

// A host may pass a null call: it reaches the store as an empty view whose
// data is null, and must find the record of an empty call without handing
// the null on (the sanitizers' build checks that).
TEST(QsoStore, AnEmptyCallFromANullTextIsFound) {
  QsoStore store;
  const OleDate t = OleDate::FromCivil(2017, 1, 6);
  store.Append(Record("", "20m", t, ""));
  const std::string_view null_call;
  ASSERT_EQ(null_call.data(), nullptr);
  EXPECT_TRUE(store.HasCallOnBand(null_call, "20m"));
  EXPECT_EQ(store.CountOf(null_call, "20m"), 1u);
  EXPECT_FALSE(store.HasCallOnBand(null_call, "40m"));
  EXPECT_TRUE(store.FindAndRemove(null_call, "20m", t).has_value());
  EXPECT_EQ(store.Count(), 0u);
}

TEST(CompactText, KeepsEveryLengthAcrossCopiesAndMoves) {
  for (const size_t size : {0u, 1u, 15u, 16u, 17u, 300u}) {
    std::string text(size, 'x');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i % 26);
    CompactText a(text);
    EXPECT_EQ(a, text);
    CompactText b = a;
    EXPECT_EQ(b, text);
    CompactText c = std::move(a);
    EXPECT_EQ(c, text);
    b = c;
    b = b;  // a text assigned to itself stays
    EXPECT_EQ(b, text);
    c = std::string_view(c).substr(size / 2);  // a part of itself
    EXPECT_EQ(c, text.substr(size / 2));
    b = "short";
    EXPECT_EQ(b, "short");
  }
  InternedText band = std::string("20m");
  EXPECT_EQ(band, "20m");
  EXPECT_EQ(band.pooled(), InternedText("20m").pooled());
  EXPECT_TRUE(InternedText().empty());
}

// The indexes against a plain list of the same records, under appends,
// removals and clears, with calls and prefixes too long for an index slot,
// many calls on one band and keys that differ only in case.
TEST(QsoStore, IndexesAgreeWithAPlainListOfTheRecords) {
  std::mt19937 random(7);
  const std::vector<std::string> calls = {"DL1AB", "dl1ab", "K1A", "OE2009/ON4ABC/P/MM/QRP",
                                          "ON4XYZ", "DL1ABCDEFGHIJKLMNOPQ", "", "F5X",
                                          "DL1ABCDEFG", "DL1ABCDEFGH"};  // 10 and 11 bytes
  const std::vector<std::string> bands = {"20m", "20M", "40m", "", "80m"};
  const std::vector<std::string> prefixes = {"DL1", "ON4", "K1", "A-PREFIX-LONGER-THAN-A-SLOT", ""};
  QsoStore store;
  std::vector<CInfo> model;
  for (int step = 0; step < 6000; ++step) {
    const unsigned what = random() % 100;
    const std::string& call = calls[random() % calls.size()];
    const std::string& band = bands[random() % bands.size()];
    const OleDate time = OleDate::FromCivil(2017, 1, 6, 0, static_cast<int>(random() % 3));
    if (what < 60) {
      CInfo r = Record(call, band, time, prefixes[random() % prefixes.size()]);
      model.push_back(r);
      store.Append(std::move(r));
    } else if (what < 99) {
      const auto removed = store.FindAndRemove(call, band, time);
      const auto it = std::find_if(model.begin(), model.end(), [&](const CInfo& r) {
        return r.call == call && r.band == band && SameTime(r.time, time);
      });
      ASSERT_EQ(removed.has_value(), it != model.end());
      if (removed) {
        EXPECT_EQ(removed->index, static_cast<size_t>(it - model.begin()));
        model.erase(it);
      }
    } else {
      store.Clear();
      model.clear();
    }
    ASSERT_EQ(store.Count(), model.size());
    for (const std::string& c : calls) {
      for (const std::string& b : bands) {
        std::vector<size_t> expected;
        for (size_t i = 0; i < model.size(); ++i) {
          if (model[i].call == c && model[i].band == b) expected.push_back(i);
        }
        ASSERT_EQ(store.IndexesOf(c, b), expected) << c << " " << b << " step " << step;
        ASSERT_EQ(store.HasCallOnBand(c, b), !expected.empty());
        ASSERT_EQ(store.CountOf(c, b), expected.size());
        ASSERT_EQ(store.LatestOf(c, b),
                  expected.empty() ? std::nullopt : std::optional<size_t>(expected.back()));
      }
    }
    for (const std::string& b : bands) {
      for (const std::string& p : prefixes) {
        const bool any = std::any_of(model.begin(), model.end(),
                                     [&](const CInfo& r) { return r.band == b && r.prefix == p; });
        ASSERT_EQ(store.HasPrefixOnBand(b, p), any) << b << " " << p << " step " << step;
      }
    }
  }
  for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(store.At(i), model[i]);
}

// Many records of one call and band: the open-addressing table grows and
// closes its gaps when records go.
TEST(QsoStore, ManyRecordsOfOneCallStayInStoreOrder) {
  QsoStore store;
  for (int i = 0; i < 3000; ++i) {
    store.Append(Record(i % 2 ? "DL1AB" : "ON4XY", "20m", OleDate::FromCivil(2017, 1, 6, 0, 0, i % 60)));
  }
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(store.FindAndRemove("DL1AB", "20m", OleDate::FromCivil(2017, 1, 6, 0, 0, (2 * i + 1) % 60)));
  }
  const std::vector<size_t> left = store.IndexesOf("DL1AB", "20m");
  ASSERT_EQ(left.size(), 500u);
  EXPECT_TRUE(std::is_sorted(left.begin(), left.end()));
  EXPECT_EQ(store.LatestOf("DL1AB", "20m"), left.back());
  EXPECT_EQ(store.IndexesOf("ON4XY", "20m").size(), 1500u);
}

// More band texts than a slot can number: the records of the later ones are
// told apart through the records themselves.
TEST(QsoStore, HundredsOfBandTextsStayApart) {
  QsoStore store;
  const OleDate time = OleDate::FromCivil(2017, 1, 6, 0, 0);
  for (int b = 0; b < 300; ++b) {
    store.Append(Record("DL1AB", std::to_string(b) + "m", time, "DL1"));
    store.Append(Record("DL1ABCDEFGHIJ", std::to_string(b) + "m", time, "DL1"));
  }
  for (int b = 0; b < 300; ++b) {
    const std::string band = std::to_string(b) + "m";
    ASSERT_EQ(store.IndexesOf("DL1AB", band), std::vector<size_t>{static_cast<size_t>(2 * b)});
    ASSERT_EQ(store.CountOf("DL1ABCDEFGHIJ", band), 1u);
    ASSERT_TRUE(store.HasPrefixOnBand(band, "DL1"));
  }
  EXPECT_FALSE(store.HasCallOnBand("DL1AB", "300m"));
  ASSERT_TRUE(store.FindAndRemove("DL1AB", "299m", time));
  EXPECT_FALSE(store.HasCallOnBand("DL1AB", "299m"));
  EXPECT_TRUE(store.HasCallOnBand("DL1AB", "298m"));
}

}  // namespace
}  // namespace stats
