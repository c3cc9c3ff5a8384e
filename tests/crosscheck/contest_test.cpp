#include <gtest/gtest.h>

#include "contest.h"

namespace crosscheck {
namespace {

ContestDefinition Builtin(std::string_view name) {
  std::string error;
  std::optional<ContestDefinition> d = ParseContest(BuiltinContestText(name), name, &error);
  EXPECT_TRUE(d) << error;
  return d.value_or(ContestDefinition{});
}

TEST(ContestDefinition, TheShippedContests) {
  EXPECT_EQ(BuiltinContestNames(), (std::vector<std::string_view>{"uba-psk63-prefix", "lz-open"}));

  const ContestDefinition uba = Builtin("uba-psk63-prefix");
  EXPECT_EQ(uba.name, "uba-psk63-prefix");
  EXPECT_EQ(uba.title, "UBA PSK63 Prefix");
  EXPECT_EQ(uba.bands, (std::vector<std::string>{"160m", "80m", "40m", "20m", "15m", "10m"}));
  EXPECT_EQ(uba.modes, std::vector<std::string>{"BPSK63"});
  EXPECT_EQ(uba.start_minute, 13 * 60);
  EXPECT_EQ(uba.length_minutes, 24 * 60);
  EXPECT_EQ(uba.window_minutes, 10);
  EXPECT_TRUE(uba.rst);
  EXPECT_EQ(uba.exchange, std::vector<FieldKind>{FieldKind::kSerialOrSection});
  // The plug-in's table of sections, in its order, over five lines.
  ASSERT_EQ(uba.sections.size(), 91u);
  EXPECT_EQ(uba.sections.front(), "AAA");
  EXPECT_EQ(uba.sections.back(), "ZTM");
  EXPECT_TRUE(uba.IsSection("LGE"));
  EXPECT_FALSE(uba.IsSection("lge"));
  EXPECT_EQ(uba.dupe, DupeScope::kBand);
  EXPECT_EQ(uba.repeat_minutes, 0);
  EXPECT_EQ(uba.score, ScoreRule::kPlugin);
  // Own errors cost, the partner's do not; uniques and no-log QSOs count.
  for (Verdict v : {Verdict::kNotInLog, Verdict::kBustedCall, Verdict::kBustedExchange, Verdict::kDupe,
                    Verdict::kOutOfPeriod, Verdict::kInvalid}) {
    EXPECT_FALSE(uba.CostOf(v).counted) << VerdictName(v);
  }
  for (Verdict v : {Verdict::kOk, Verdict::kTimeOffset, Verdict::kPartnerBustedCall,
                    Verdict::kPartnerBustedExchange, Verdict::kNoLog, Verdict::kUnique}) {
    EXPECT_TRUE(uba.CostOf(v).counted) << VerdictName(v);
  }
  for (int v = 0; v < kVerdictCount; ++v) EXPECT_EQ(uba.CostOf(static_cast<Verdict>(v)).penalty, 0);

  const ContestDefinition lz = Builtin("lz-open");
  EXPECT_EQ(lz.bands, std::vector<std::string>{"80m"});
  EXPECT_EQ(lz.modes, std::vector<std::string>{"CW"});
  EXPECT_EQ(lz.start_minute, 7 * 60);
  EXPECT_EQ(lz.length_minutes, 4 * 60);
  EXPECT_FALSE(lz.rst);
  EXPECT_EQ(lz.exchange, (std::vector<FieldKind>{FieldKind::kSerial, FieldKind::kSerial}));
  EXPECT_EQ(lz.repeat_minutes, 30);
  EXPECT_TRUE(lz.repeat_in_periods);
  EXPECT_EQ(lz.score, ScoreRule::kQsos);
  EXPECT_FALSE(lz.CostOf(Verdict::kPartnerBustedExchange).counted);
  EXPECT_FALSE(lz.CostOf(Verdict::kPartnerBustedCall).counted);

  EXPECT_TRUE(BuiltinContestText("cq-ww").empty());
}

TEST(ContestDefinition, VerdictNamesAreOneToOne) {
  for (int v = 0; v < kVerdictCount; ++v) {
    const Verdict verdict = static_cast<Verdict>(v);
    EXPECT_EQ(VerdictByName(VerdictName(verdict)), verdict);
  }
  EXPECT_EQ(VerdictName(Verdict::kPartnerBustedExchange), "partner-busted-exchange");
  EXPECT_FALSE(VerdictByName("OK"));
  EXPECT_FALSE(VerdictByName(""));
}

constexpr std::string_view kSmallest =
    "bands = 20m\n"
    "modes = CW\n"
    "start = 00:00\n"
    "hours = 24\n"
    "exchange = exact\n";

TEST(ContestDefinition, TheSmallestFileTakesTheDefaults) {
  std::string error;
  const std::optional<ContestDefinition> d = ParseContest(kSmallest, "rules/my-test.contest", &error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(d->name, "my-test");
  EXPECT_EQ(d->title, "my-test");
  EXPECT_EQ(d->window_minutes, 10);
  EXPECT_TRUE(d->rst);
  EXPECT_EQ(d->score, ScoreRule::kQsos);
  EXPECT_FALSE(d->CostOf(Verdict::kNotInLog).counted);
  EXPECT_TRUE(d->CostOf(Verdict::kPartnerBustedCall).counted);
}

TEST(ContestDefinition, CommentsBlanksLineEndsAndPenalties) {
  const std::string text =
      "# a contest\r\n"
      "\r\n"
      "  title = Test   Sprint   # trailing comment\r"
      "bands = 80m 40m\n"
      "modes = CW\tPH\n"
      "start = 21:30\n"
      "hours = 2\n"
      "window = 3\n"
      "rst = no\n"
      "exchange = serial section\n"
      "sections = ab CD\n"
      "sections = ef\n"
      "dupe = band-mode\n"
      "repeat = 15\n"
      "cost not-in-log = removed penalty 2\n"
      "cost   unique   = removed\n"
      "cost partner-busted-call = removed penalty 1";
  std::string error;
  const std::optional<ContestDefinition> d = ParseContest(text, "sprint.txt", &error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(d->title, "Test   Sprint");
  EXPECT_EQ(d->modes, (std::vector<std::string>{"CW", "PH"}));
  EXPECT_EQ(d->BandIndex("40m"), 1);
  EXPECT_EQ(d->BandIndex("20m"), -1);
  EXPECT_EQ(d->ModeIndex("PH"), 1);
  EXPECT_EQ(d->start_minute, 21 * 60 + 30);
  EXPECT_EQ(d->length_minutes, 120);
  EXPECT_EQ(d->window_minutes, 3);
  EXPECT_EQ(d->sections, (std::vector<std::string>{"AB", "CD", "EF"}));
  EXPECT_EQ(d->dupe, DupeScope::kBandMode);
  EXPECT_EQ(d->repeat_minutes, 15);
  EXPECT_FALSE(d->repeat_in_periods);
  EXPECT_FALSE(d->CostOf(Verdict::kNotInLog).counted);
  EXPECT_EQ(d->CostOf(Verdict::kNotInLog).penalty, 2);
  EXPECT_FALSE(d->CostOf(Verdict::kUnique).counted);
  EXPECT_EQ(d->CostOf(Verdict::kPartnerBustedCall).penalty, 1);
}

// Every mistake is told once, with the file and the line.
TEST(ContestDefinition, BadFilesAreToldWithFileAndLine) {
  const std::string base(kSmallest);
  const struct {
    std::string text;
    const char* error;
  } cases[] = {
      {base + "colour = red\n", "c.contest:6: unknown key 'colour'"},
      {base + "window = 5\nwindow = 6\n", "c.contest:7: window given twice (first on line 6)"},
      {base + "bands = 40m\n", "c.contest:6: bands given twice (first on line 1)"},
      {base + "just words\n", "c.contest:6: 'just words' is no \"key = value\" line"},
      {base + "= 5\n", "c.contest:6: a line with no key before its '='"},
      {base + "title =\n", "c.contest:6: no value given for title"},
      {base + "window = 0\n", "c.contest:6: window '0' is not a number of minutes from 1 to 1440"},
      {base + "window = 5m\n", "c.contest:6: window '5m' is not a number of minutes from 1 to 1440"},
      {base + "repeat = 30 minutes\n", "c.contest:6: repeat is a number of minutes, optionally followed by periods"},
      {base + "shared-line = maybe\n", "c.contest:6: shared-line is yes or no, not 'maybe'"},
      {base + "rst = maybe\n", "c.contest:6: rst is yes or no, not 'maybe'"},
      {base + "dupe = mode\n", "c.contest:6: dupe is band or band-mode, not 'mode'"},
      {base + "score = claimed\n", "c.contest:6: score is plugin or qsos, not 'claimed'"},
      {base + "cost ok = removed\n", "c.contest:6: a QSO found ok always counts"},
      {base + "cost time-offset = removed\n", "c.contest:6: a QSO found time-offset always counts"},
      {base + "cost nil = removed\n", "c.contest:6: unknown verdict 'nil'"},
      {base + "cost dupe = gone\n", "c.contest:6: a cost is counted or removed, optionally followed by penalty N"},
      {base + "cost dupe = removed 2\n", "c.contest:6: a cost is counted or removed, optionally followed by penalty N"},
      {base + "cost dupe = removed penalty -1\n", "c.contest:6: penalty '-1' is not a number of QSOs from 0 to 100"},
      {base + "cost dupe = removed\ncost dupe = counted\n", "c.contest:7: cost dupe given twice (first on line 6)"},
      {base + "cost = removed\n", "c.contest:6: a cost names one verdict: cost VERDICT = counted|removed [penalty N]"},
      {"bands = 20m\nmodes = CW CW\n", "c.contest:2: CW listed twice"},
      {"start = 24:00\n", "c.contest:1: start '24:00' is no time of day (HH:MM, UTC)"},
      {"start = 7:00\n", "c.contest:1: start '7:00' is no time of day (HH:MM, UTC)"},
      {"hours = 0\n", "c.contest:1: hours '0' is not a number of hours from 1 to 240"},
      {"exchange = serial zone\n", "c.contest:1: unknown exchange field 'zone' (exact, serial, section, serial-or-section)"},
      {std::string("bands = 20m\ntitle = a\0b\n", 24), "c.contest:2: the line holds a NUL byte"},
      {"title = \x1b[31m\nfoo\n", "c.contest:2: 'foo' is no \"key = value\" line"},
      {"foo\x1b = 1\n", "c.contest:1: unknown key 'foo\\x1B'"},
      {"modes = CW\nstart = 00:00\nhours = 1\nexchange = exact\n", "c.contest: no bands given"},
      {"bands = 20m\nmodes = CW\nstart = 00:00\nhours = 1\n", "c.contest: no exchange given"},
      {"bands = 20m\nmodes = CW\nstart = 00:00\nhours = 1\nexchange = section\n",
       "c.contest: the exchange has a section, but no sections are given"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseContest(c.text, "c.contest", &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

}  // namespace
}  // namespace crosscheck
