// The score as a contest run keeps it: the claimed score and the worked
// lists of the contest state, over QSOs given through the exports.
#include <algorithm>
#include <climits>
#include <map>
#include <random>
#include <set>

#include "plugin/contest.h"
#include "plugin/lifecycle.h"
#include "rules/intake.h"
#include "rules/score.h"
#include "tests/support/test_support.h"

namespace stats {
namespace {

using testing::Date;
using testing::PluginTest;
using testing::Qso;
using testing::Reset;

class Scoring : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    Reset().Call();
  }
  // The score as GetResult0 takes it: the claimed score and the worked
  // lists are kept in the contest state.
  ScoreSummary Score() { return ScoreContest(Contest()); }
};

Qso Station(const std::string& call, const std::string& prefix, const std::string& band,
            const std::string& country = "DL", const std::string& exchange = "001") {
  Qso q;
  q.call = call;
  q.prefix = prefix;
  q.band = band;
  q.country = country;
  q.exchange_received = exchange;
  return q;
}

std::vector<std::string> Bands(const ScoreSummary& s) {
  std::vector<std::string> bands;
  for (const BandRow& r : s.rows) bands.push_back(r.band);
  return bands;
}

TEST_F(Scoring, EmptyLog) {
  const ScoreSummary s = Score();
  EXPECT_TRUE(s.rows.empty());
  EXPECT_EQ(s.total_qsos + s.total_points + s.total_prefixes + s.total_sections, 0);
  EXPECT_EQ(s.dupes + s.bad_qsos + s.score, 0);
  EXPECT_EQ(Contest().claimed_score, 0);
}

TEST_F(Scoring, WorkedExample) {
  EXPECT_EQ(Station("ON4AA", "ON4", "20m", "ON", "BXE").Add(), 1);
  EXPECT_EQ(Station("DL1AB", "DL1", "20m").Add(), 1);
  EXPECT_EQ(Station("ON4BB", "ON4", "20m", "ON", "LGE").Add(), 1);
  EXPECT_EQ(Station("ON4AA", "ON4", "20m", "ON", "BXE").Add(), 1);
  Qso forty = Station("DL1AB", "DL1", "40m");
  forty.frequency_hz = 7040000;
  EXPECT_EQ(forty.Add(), 1);
  const ScoreSummary s = Score();
  ASSERT_EQ(s.rows.size(), 2u);
  EXPECT_EQ(s.rows[0].band, "40m");
  EXPECT_EQ(std::vector<int>({s.rows[0].qsos, s.rows[0].points, s.rows[0].new_prefixes,
                              s.rows[0].uba_sections}),
            std::vector<int>({1, 1, 1, 0}));
  EXPECT_EQ(s.rows[1].band, "20m");
  EXPECT_EQ(std::vector<int>({s.rows[1].qsos, s.rows[1].points, s.rows[1].new_prefixes,
                              s.rows[1].uba_sections}),
            std::vector<int>({3, 3, 2, 2}));
  EXPECT_EQ(std::vector<int>({s.total_qsos, s.total_points, s.total_prefixes, s.total_sections,
                              s.dupes, s.bad_qsos, s.score}),
            std::vector<int>({4, 4, 3, 2, 1, 0, 20}));
  EXPECT_EQ(Contest().claimed_score, 20);
  EXPECT_EQ(Contest().worked_prefixes[3], (std::vector<std::string>{"ON4", "DL1"}));
  EXPECT_EQ(Contest().worked_sections[3], (std::vector<std::string>{"BXE", "LGE"}));
  EXPECT_EQ(Contest().worked_prefixes[2], (std::vector<std::string>{"DL1"}));
  EXPECT_EQ(testing::ReadText(dir() / "BadQSO_RazadUREVARERE63_07_01_2017.txt"),
            "UBA PFX UBN file \r\n"
            "QSO:  14070  BPSK63  2017-01-06 1312  DL1OWN  599  001  ON4AA  599  BXE   DUPE !!!\r\n");
}

TEST_F(Scoring, BandsOfRejectedAndOddQsosGetRowsOfTheirOwn) {
  Qso rejected = Station("F5XX", "F5", "80m");
  rejected.mode = "RTTY";
  rejected.Add();
  Station("F5YY", "F5", "30m").Add();  // wrong band: rejected, but seen
  Station("G3AA", "G3", "20M").Add();  // passes intake, no band index
  Station("G3AA", "G3", "80m").Add();
  Station("G3AB", "G3", "40m").Add();
  const ScoreSummary s = Score();
  EXPECT_EQ(Bands(s), (std::vector<std::string>{"80m", "40m", "30m", "20M"}));
  EXPECT_EQ(s.rows[2].qsos + s.rows[2].new_prefixes, 0);
  EXPECT_EQ(s.rows[3].qsos, 1);
  EXPECT_EQ(s.rows[3].new_prefixes, 1);
  // The same prefix on two bands counts twice.
  EXPECT_EQ(s.total_prefixes, 3);
  EXPECT_EQ(s.bad_qsos, 2);
  EXPECT_TRUE(Contest().worked_prefixes[3].empty());  // "20M" is no contest band
  EXPECT_EQ(s.score, 3 * 3);
}

TEST_F(Scoring, PrefixesAndSectionsAreExactTexts) {
  Station("ON4AA", "ON4", "20m", "ON", "BXE").Add();
  Station("ON4AB", "on4", "20m", "ON", "bxe").Add();  // the section is upper-cased
  Station("DL1AA", "", "20m").Add();                  // the empty prefix counts once
  Station("DL1AC", "", "20m").Add();
  const ScoreSummary s = Score();
  EXPECT_EQ(s.total_prefixes, 3);
  EXPECT_EQ(s.total_sections, 1);
  EXPECT_EQ(Contest().worked_prefixes[3], (std::vector<std::string>{"ON4", "on4", ""}));
}

TEST_F(Scoring, UncountedQsosAndEmptyCalls) {
  Station("ON4BB", "ON4", "20m", "ON", "12").Add();  // bad section
  Station("", "XX", "20m").Add();                     // empty call: ignored entirely
  Station("", "XX", "20m").Add();
  const ScoreSummary s = Score();
  EXPECT_EQ(s.total_qsos, 0);
  EXPECT_EQ(s.total_prefixes, 0);
  EXPECT_EQ(s.dupes, 0);
  // The section line is a bad QSO; the empty call's duplicate line is not.
  EXPECT_EQ(s.bad_qsos, 1);
  EXPECT_EQ(Score().bad_qsos, 1);
}

TEST_F(Scoring, AThreeFoldDuplicateIsNoBadQso) {
  Qso q;
  q.Add();
  q.Add();
  q.Add();
  const ScoreSummary s = Score();
  EXPECT_EQ(s.dupes, 2);
  EXPECT_EQ(s.bad_qsos, 0);
  EXPECT_EQ(s.total_qsos, 1);
}

TEST_F(Scoring, WorkedListsOfBandsWithoutARowAreKept) {
  Station("DL1AA", "DL1", "20m").Add();
  Score();
  Reset().Call();  // a new run keeps the lists
  Station("DL1AA", "DL1", "40m").Add();
  Score();
  EXPECT_EQ(Contest().worked_prefixes[3], (std::vector<std::string>{"DL1"}));
  EXPECT_EQ(Contest().worked_prefixes[2], (std::vector<std::string>{"DL1"}));
}

// Random hosts: adds and removals of QSOs drawn from a small set, so that
// duplicates, near-identical calls and bad sections are frequent.  After
// every step the store's flags and the journal's duplicate lines must be
// those of a fresh run over the QSOs still stored, and the score that of a
// count from scratch.
class RandomHost : public Scoring {
 protected:
  struct Expected {
    std::vector<CInfo> records;
    std::vector<std::string> dupe_lines;
  };

  // What a fresh run gives when the stored records are offered again.
  Expected FreshRun() {
    ContestState fresh;
    fresh.journal.Create("fresh.txt");
    for (size_t i = 0; i < Contest().store.Count(); ++i) AddQso(fresh, ArgsOf(Contest().store.At(i)));
    Expected e;
    for (size_t i = 0; i < fresh.store.Count(); ++i) e.records.push_back(fresh.store.At(i));
    for (const JournalLine& line : fresh.journal.Lines()) {
      if (line.dupe) e.dupe_lines.push_back(line.text);
    }
    return e;
  }

  static QsoArgs ArgsOf(const CInfo& r) {
    QsoArgs q;
    q.own_call = "DL1OWN";
    q.call = r.call;
    q.time = r.time;
    q.frequency_hz = static_cast<uint32_t>(r.frequency_khz) * 1000u;
    q.mode = r.mode;
    q.rst_sent = r.rst_sent;
    q.rst_received = r.rst_received;
    q.exchange_sent = r.exchange_sent;
    q.exchange_received = r.exchange_received;
    q.prefix = r.prefix;
    q.country = r.country;
    q.extra = r.extra;
    q.band = r.band;
    return q;
  }

  std::vector<std::string> JournalDupeLines() {
    std::vector<std::string> lines;
    const std::string text = testing::ReadText(dir() / "BadQSO_RazadUREVARERE63_07_01_2017.txt");
    for (const std::string& line : SplitLines(text)) {
      if (line.size() >= 11 && line.compare(line.size() - 11, 11, "   DUPE !!!") == 0) {
        lines.push_back(line);
      }
    }
    return lines;
  }

  // The score counted from scratch over the store.
  static std::vector<int> Recount(const QsoStore& store) {
    std::map<std::string, std::pair<std::set<std::string>, std::set<std::string>>> bands;
    int points = 0, dupes = 0;
    for (size_t i = 0; i < store.Count(); ++i) {
      const CInfo& r = store.At(i);
      if (r.call.empty()) continue;
      dupes += r.dupe;
      if (r.not_counted) continue;
      ++points;
      bands[r.band].first.insert(r.prefix);
      if (!r.uba_section.empty()) bands[r.band].second.insert(r.uba_section);
    }
    int prefixes = 0, sections = 0;
    for (const auto& [band, sets] : bands) {
      prefixes += static_cast<int>(sets.first.size());
      sections += static_cast<int>(sets.second.size());
    }
    return {points, prefixes, sections, dupes, points * (prefixes + sections)};
  }
};

TEST_F(RandomHost, AddsAndRemovalsKeepFlagsJournalAndScoreConsistent) {
  std::mt19937 random(20170106);
  const std::vector<Qso> pool = [] {
    std::vector<Qso> p;
    const char* calls[] = {"DL1AB", "DL1ABC", "ON4AA", "ON4AAA"};
    const char* bands[] = {"20m", "40m", "20M"};
    for (const char* call : calls) {
      for (const char* band : bands) {
        for (int minute : {12, 13}) {
          Qso q = Station(call, std::string(call).substr(0, 3), band);
          if (call[0] == 'O') {
            q.country = "ON";
            q.exchange_received = minute == 12 ? "LGE" : "QQQ";
          }
          q.time = Date(2017, 1, 6, 13, minute);
          p.push_back(q);
        }
      }
    }
    Qso rejected = Station("DL1AB", "DL1", "20m");
    rejected.mode = "RTTY";
    rejected.time = Date(2017, 1, 6, 14, 0);
    p.push_back(rejected);
    return p;
  }();

  // Removals nearly as often as adds keep the log small, so that each step's
  // fresh run stays cheap while groups of repeats still form.
  size_t largest = 0;
  for (int step = 0; step < 1000; ++step) {
    const Qso& q = pool[random() % pool.size()];
    if (random() % 100 < 45) {
      q.Remove();
    } else {
      q.Add();
    }
    const Expected e = FreshRun();
    largest = std::max(largest, e.records.size());
    ASSERT_EQ(Contest().store.Count(), e.records.size());
    for (size_t i = 0; i < e.records.size(); ++i) {
      const CInfo& r = Contest().store.At(i);
      ASSERT_EQ(r.dupe, e.records[i].dupe) << "step " << step << " record " << i;
      ASSERT_EQ(r.not_counted, e.records[i].not_counted) << "step " << step << " record " << i;
      ASSERT_EQ(r.bad_section, e.records[i].bad_section) << "step " << step;
    }
    ASSERT_EQ(JournalDupeLines(), e.dupe_lines) << "step " << step;
    const ScoreSummary s = Score();
    ASSERT_EQ(std::vector<int>({s.total_points, s.total_prefixes, s.total_sections, s.dupes,
                                s.score}),
              Recount(Contest().store))
        << "step " << step;
  }
  EXPECT_GE(largest, 12u);  // the walk did build up groups of repeats
}

}  // namespace
}  // namespace stats
