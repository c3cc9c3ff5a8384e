#include <gtest/gtest.h>

#include "wpx.h"

namespace replay {
namespace {

struct Case {
  const char* call;
  const char* prefix;
};

TEST(WpxPrefix, TableOfCalls) {
  const Case cases[] = {
      // up to and including the last digit
      {"ON4ABC", "ON4"},
      {"DL1ABC", "DL1"},
      {"K1ABC", "K1"},
      {"W2A", "W2"},
      {"2E0XYZ", "2E0"},
      {"9A1A", "9A1"},
      {"OT17A", "OT17"},
      {"YB10ABC", "YB10"},
      {"3DA0XY", "3DA0"},
      {"4X4AA", "4X4"},
      // letters in upper case, blanks around ignored
      {" on4abc ", "ON4"},
      // portable designators are ignored
      {"ON4ABC/P", "ON4"},
      {"DL1ABC/M", "DL1"},
      {"G3XYZ/MM", "G3"},
      {"K1ABC/AM", "K1"},
      {"F5ABC/QRP", "F5"},
      // a single digit after a slash replaces the call's digit
      {"K1ABC/2", "K2"},
      {"ON4ABC/3", "ON3"},
      {"W6XYZ/4/P", "W4"},
      // a prefix before or after the slash wins, 0 added without a digit
      {"PA/ON4ABC", "PA0"},
      {"ON4ABC/PA", "PA0"},
      {"F/ON4ABC/P", "F0"},
      {"KH6/K1ABC", "KH6"},
      {"K1ABC/KH6", "KH6"},
      {"VP2E/K1ABC", "VP2"},
      // no digit: the first two letters and 0
      {"RAEM", "RA0"},
      {"RAEM/P", "RA0"},
      {"", ""},
      {"/P", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WpxPrefix(c.call), c.prefix) << "call " << c.call;
  }
}

}  // namespace
}  // namespace replay
