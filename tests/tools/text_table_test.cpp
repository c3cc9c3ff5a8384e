#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <unordered_map>

#include "text_table.h"

namespace replay {
namespace {

// Every key in one chain: lookups must tell keys apart by their text.
struct SameHash {
  uint64_t operator()(std::string_view) const { return 7; }
};
// The hash that marks an empty slot: such keys must still be found.
struct ZeroHash {
  uint64_t operator()(std::string_view) const { return 0; }
};

TEST(TextTable, FindsWhatWasInsertedAndKeepsTheFirstValue) {
  TextTable<int> table;
  EXPECT_EQ(table.Find("DL1ABC"), nullptr);  // nothing allocated yet
  auto [value, inserted] = table.Insert("DL1ABC", 1);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(*value, 1);
  std::tie(value, inserted) = table.Insert("DL1ABC", 2);
  EXPECT_FALSE(inserted);
  EXPECT_EQ(*value, 1);  // the key already there keeps its value
  *value = 5;            // and can be changed through the pointer
  ASSERT_NE(table.Find("DL1ABC"), nullptr);
  EXPECT_EQ(*table.Find("DL1ABC"), 5);
  EXPECT_EQ(table.Find("DL1AB"), nullptr);  // a prefix of a key is no key
  EXPECT_EQ(table.Find("DL1ABCD"), nullptr);
  EXPECT_EQ(table.Find("dl1abc"), nullptr);  // texts are compared byte for byte
  EXPECT_EQ(table.size(), 1u);
}

TEST(TextTable, EmptyKeysAndKeysWithNulBytes) {
  TextTable<int> table;
  EXPECT_EQ(table.Find(""), nullptr);
  EXPECT_TRUE(table.Insert("", 1).second);
  const std::string with_nul("ON4\0ABC", 7), nul_only(1, '\0'), two_nuls(2, '\0');
  EXPECT_TRUE(table.Insert(with_nul, 2).second);
  EXPECT_TRUE(table.Insert(nul_only, 3).second);
  EXPECT_TRUE(table.Insert(two_nuls, 4).second);
  EXPECT_FALSE(table.Insert(std::string_view(with_nul), 9).second);
  EXPECT_EQ(*table.Find(""), 1);
  EXPECT_EQ(*table.Find(with_nul), 2);
  EXPECT_EQ(*table.Find(nul_only), 3);
  EXPECT_EQ(*table.Find(two_nuls), 4);
  EXPECT_EQ(table.Find("ON4"), nullptr);  // the text up to the NUL is another key
  EXPECT_EQ(table.Find(std::string(3, '\0')), nullptr);
  EXPECT_EQ(table.size(), 4u);
}

// "K0", "K1"... (appended rather than added to a literal, which one
// compiler's optimiser wrongly warns about).
std::string Key(std::string_view head, long long n) {
  std::string key(head);
  key += std::to_string(n);
  return key;
}

// Keys that share a hash, or hash to the empty mark, through growth.
template <typename Hash>
void CollidingKeys() {
  TextTable<int, Hash> table;
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(table.Insert(Key("K", i), i).second) << i;
  }
  for (int i = 0; i < 100; ++i) {
    const int* value = table.Find(Key("K", i));
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(*value, i);
    EXPECT_FALSE(table.Insert(Key("K", i), -1).second);
  }
  EXPECT_EQ(table.Find("K100"), nullptr);
  EXPECT_EQ(table.Find(""), nullptr);
  EXPECT_EQ(table.size(), 100u);
}

TEST(TextTable, CollidingKeysAreToldApart) {
  CollidingKeys<SameHash>();
  CollidingKeys<ZeroHash>();
}

TEST(TextTable, ManyKeysAgainstAStandardMap) {
  // Keys as the check makes them: a call, a NUL and a number of any length,
  // many of them repeated, through many growths of the table.
  TextTable<int> table;
  std::unordered_map<std::string, int> expected;
  uint32_t seed = 12345;
  for (int i = 0; i < 200000; ++i) {
    seed = seed * 1664525u + 1013904223u;
    std::string key = Key("C", seed % 50000);
    key.push_back('\0');
    key.append(std::string(seed >> 29, static_cast<char>('a' + (seed >> 24) % 26)));
    const auto [value, inserted] = table.Insert(key, i);
    const auto [it, fresh] = expected.emplace(key, i);
    ASSERT_EQ(inserted, fresh) << i;
    ASSERT_EQ(*value, it->second) << i;
  }
  EXPECT_EQ(table.size(), expected.size());
  for (const auto& [key, value] : expected) {
    const int* found = table.Find(key);
    ASSERT_NE(found, nullptr) << key;
    EXPECT_EQ(*found, value);
  }
}

}  // namespace
}  // namespace replay
