#include "rules/exchange.h"

#include <gtest/gtest.h>

namespace stats {
namespace {

TEST(SectionTable, HoldsTheNinetyOneCodesInOrder) {
  ASSERT_EQ(kUbaSections.size(), 91u);
  EXPECT_EQ(kUbaSections.front(), "AAA");
  EXPECT_EQ(kUbaSections.back(), "ZTM");
  EXPECT_TRUE(IsUbaSection("ARA"));
  EXPECT_TRUE(IsUbaSection("TRK"));
  EXPECT_FALSE(IsUbaSection("lge"));
  EXPECT_FALSE(IsUbaSection("LGEX"));
  EXPECT_FALSE(IsUbaSection(""));
}

TEST(ExchangeValidation, BelgianStations) {
  EXPECT_TRUE(IsValidExchange("LGE", "ON"));
  EXPECT_FALSE(IsValidExchange("lge", "ON"));
  EXPECT_FALSE(IsValidExchange("QQQ", "ON"));
  EXPECT_TRUE(IsValidExchange("001", "ON"));
  EXPECT_FALSE(IsValidExchange("0001", "ON"));
  EXPECT_FALSE(IsValidExchange("599", "ON"));
  EXPECT_FALSE(IsValidExchange("", "ON"));
}

TEST(ExchangeValidation, OtherStations) {
  EXPECT_TRUE(IsValidExchange("001", "DL"));
  EXPECT_TRUE(IsValidExchange("1234", "DL"));
  EXPECT_FALSE(IsValidExchange("12", "DL"));
  EXPECT_FALSE(IsValidExchange("12345", "DL"));
  EXPECT_FALSE(IsValidExchange("12a", "DL"));
  EXPECT_FALSE(IsValidExchange("599", "DL"));
  EXPECT_TRUE(IsValidExchange("0599", "DL"));
  EXPECT_FALSE(IsValidExchange("LGE", "DL"));
  EXPECT_FALSE(IsValidExchange("LGE", "on"));  // lower case is another country
  EXPECT_TRUE(IsValidExchange("123", "on"));
  EXPECT_FALSE(IsValidExchange("1\xB2\x33", "DL"));  // a high byte is no digit
  EXPECT_FALSE(IsValidExchange("", ""));
}

}  // namespace
}  // namespace stats
