#include <gtest/gtest.h>

#include "options.h"

namespace replay {
namespace {

std::optional<Options> Parse(std::vector<std::string> args, std::string* error) {
  return ParseOptions(args, error);
}

TEST(Options, ValuesAndFlags) {
  std::string error;
  const std::optional<Options> o =
      Parse({"--list", "--plugin", "lib/Stats.so", "--call=on4xyz", "--country", "ON",
             "--start", "2017-01-06", "--end=20170107", "--html", "--cabrillo", "--dir", "out",
             "--cty", "my.dat", "log.adi"},
            &error);
  ASSERT_TRUE(o) << error;
  EXPECT_TRUE(o->list && o->html && o->cabrillo);
  EXPECT_EQ(o->plugin, "lib/Stats.so");
  EXPECT_EQ(o->own_call, "ON4XYZ");
  EXPECT_EQ(o->own_country, "ON");
  EXPECT_EQ(o->start, (QsoTime{2017, 1, 6, 0, 0, 0}));
  EXPECT_EQ(o->end, (QsoTime{2017, 1, 7, 0, 0, 0}));
  EXPECT_EQ(o->dir, "out");
  EXPECT_EQ(o->cty, "my.dat");
  EXPECT_EQ(o->log_file, "log.adi");

  const std::optional<Options> defaults = Parse({"log.adi"}, &error);
  ASSERT_TRUE(defaults);
  EXPECT_TRUE(defaults->cty.empty());  // looked for beside the program, then the system's
  EXPECT_FALSE(defaults->own_call || defaults->own_country || defaults->start || defaults->end);
  EXPECT_TRUE(defaults->plugin.empty() && defaults->dir.empty());

  const std::optional<Options> dashed = Parse({"--", "--odd-name.adi"}, &error);
  ASSERT_TRUE(dashed);
  EXPECT_EQ(dashed->log_file, "--odd-name.adi");
  EXPECT_TRUE(Parse({"--help"}, &error));
  EXPECT_TRUE(Parse({"--version"}, &error));
}

TEST(Options, BadUsage) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{}, "no log file given"},
      {{"a.adi", "b.adi"}, "more than one log file ('a.adi', 'b.adi')"},
      {{"--frobnicate", "a.adi"}, "unknown option '--frobnicate'"},
      {{"-x", "a.adi"}, "unknown option '-x'"},
      {{"a.adi", "--plugin"}, "option --plugin needs a value"},
      {{"--dir=", "a.adi"}, "option --dir needs a value"},
      {{"--list=1", "a.adi"}, "option --list takes no value"},
      {{"--start", "06.01.2017", "a.adi"}, "option --start: '06.01.2017' is not a date (YYYY-MM-DD)"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseOptions(c.args, &error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(Options, ContestDatesWithTimes) {
  EXPECT_EQ(ParseContestDate("2017-01-06 13:12"), (QsoTime{2017, 1, 6, 13, 12, 0}));
  EXPECT_EQ(ParseContestDate("2017-01-06T1312"), (QsoTime{2017, 1, 6, 13, 12, 0}));
  EXPECT_FALSE(ParseContestDate("2017-01-06 25:00"));
  EXPECT_FALSE(ParseContestDate("2017-01-06 "));
}

}  // namespace
}  // namespace replay
