#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include "matching.h"
#include "outputs.h"

namespace crosscheck {
namespace {

ContestDefinition Contest(std::string_view name) {
  std::string error;
  return ParseContest(BuiltinContestText(name), name, &error).value();
}

// Logs written by hand: each QSO a call, a time "HHMM" on the contest day
// (or "D-1 HHMM" the day before), a band and mode, and the exchange.
class Contests : public testing::Test {
 protected:
  // LZ Open: 2017-08-19 07:00 to 11:00, 80m CW.
  static constexpr int64_t kDay = 42966;  // 2017-08-19 in days since 1899-12-30

  static inline const std::filesystem::file_time_type kWritten = std::filesystem::file_time_type::clock::now();

  // The tests hold references to the logs they fill: room for all of them.
  Contests() { logs_.reserve(64); }

  StationLog& Log(const std::string& call) {
    StationLog log;
    log.call = call;
    log.name = call + ".log";
    log.path = "logs/" + log.name;
    log.written = kWritten;
    logs_.push_back(std::move(log));
    return logs_.back();
  }
  static void Add(StationLog& log, const std::string& call, int hhmm, const std::string& sent,
                  const std::string& received, int day_offset = 0, int band = 0, int mode = 0) {
    Qso q;
    q.line = static_cast<int>(log.qsos.size()) + 10;
    q.call = call;
    q.time = {2017, 8, 19 + day_offset, hhmm / 100, hhmm % 100, 0};
    q.minute = (kDay + day_offset) * 1440 + (hhmm / 100) * 60 + hhmm % 100;
    q.band = band;
    q.mode = mode;
    // -1: a band or mode the contest does not have.
    q.band_text = band == 0 ? "80m" : "40m";
    q.mode_text = mode == 0 ? "CW" : "SSB";
    q.sent = sent;
    q.received = received;
    log.qsos.push_back(q);
  }
  // Both sides of a good QSO.
  void Both(StationLog& a, StationLog& b, int hhmm, int a_serial, int b_serial) {
    Add(a, b.call, hhmm, Serials(a_serial), Serials(b_serial));
    Add(b, a.call, hhmm, Serials(b_serial), Serials(a_serial));
  }
  static std::string Serials(int n) { return Three(n) + " " + Three(n > 1 ? n - 1 : 0); }
  static std::string Three(int n) {
    std::string t = std::to_string(n);
    return std::string(t.size() < 3 ? 3 - t.size() : 0, '0') + t;
  }

  CheckResult Check(const ContestDefinition& contest, CheckOptions options = {}) {
    ArrangeLogs(&logs_);
    return CheckLogs(logs_, contest, options);
  }
  // The finding of a log's QSO by its call and time.
  const Finding& Of(const CheckResult& r, const std::string& log, const std::string& call, int hhmm) {
    for (size_t l = 0; l < logs_.size(); ++l) {
      if (logs_[l].call != log || !r.logs[l].used) continue;
      for (size_t i = 0; i < logs_[l].qsos.size(); ++i) {
        const Qso& q = logs_[l].qsos[i];
        if (q.call == call && q.time.hour * 100 + q.time.minute == hhmm) return r.logs[l].findings[i];
      }
    }
    ADD_FAILURE() << "no QSO " << log << " " << call << " " << hhmm;
    static const Finding none;
    return none;
  }
  std::string PartnerOf(const Finding& f) const {
    if (f.partner_log < 0) return "";
    return logs_[f.partner_log].call + ":" + std::to_string(logs_[f.partner_log].qsos[f.partner_qso].line);
  }

  std::vector<StationLog> logs_;
};

TEST_F(Contests, ExchangesComparedBothWaysAndWhatTheyCost) {
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  Both(a, b, 700, 1, 1);
  // LZ2BB copied LZ1AA's serial wrong at 07:40.
  Add(a, "LZ2BB", 740, "002 001", "002 001");
  Add(b, "LZ1AA", 741, "002 001", "012 001");
  // The serials compare as numbers, 07 being 7.
  Add(a, "LZ2BB", 810, "3 2", "003 002");
  Add(b, "LZ1AA", 810, "03 02", "003 002");
  for (const char* name : {"lz-open", "uba-psk63-prefix"}) {
    ContestDefinition contest = Contest(name);
    // The UBA policy over the LZ logs: only the costs differ.
    contest.bands = {"80m"};
    contest.modes = {"CW"};
    contest.exchange = {FieldKind::kSerial, FieldKind::kSerial};
    contest.rst = false;
    contest.start_minute = 7 * 60;
    contest.length_minutes = 240;
    contest.repeat_minutes = 30;
    contest.repeat_in_periods = true;
    const CheckResult r = Check(contest);
    EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 700).verdict, Verdict::kOk);
    EXPECT_EQ(PartnerOf(Of(r, "LZ1AA", "LZ2BB", 700)), "LZ2BB:10");
    EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 810).verdict, Verdict::kOk);
    const Finding& busted = Of(r, "LZ2BB", "LZ1AA", 741);
    const Finding& partner = Of(r, "LZ1AA", "LZ2BB", 740);
    EXPECT_EQ(busted.verdict, Verdict::kBustedExchange);
    EXPECT_EQ(busted.detail, "received 012 001, LZ1AA sent 002 001");
    EXPECT_FALSE(busted.counted);
    EXPECT_EQ(partner.verdict, Verdict::kPartnerBustedExchange);
    EXPECT_EQ(partner.detail, "sent 002 001, LZ2BB received 012 001");
    EXPECT_EQ(PartnerOf(partner), "LZ2BB:11");
    // LZ Open: both lose the QSO; UBA: the partner's error does not cost.
    EXPECT_EQ(partner.counted, std::string(name) != "lz-open") << name;
  }
}

TEST_F(Contests, NotInLogUniqueAndNoLog) {
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  StationLog& c = Log("LZ3CC");
  Both(a, b, 700, 1, 1);
  Add(a, "LZ2BB", 745, "002 001", "005 004");  // LZ2BB's log does not show it
  Add(a, "LZ9ZZ", 750, "003 002", "001 000");  // sent no log, heard by two
  Add(c, "LZ9ZZ", 751, "001 000", "002 001");
  Add(c, "LZ8YY", 752, "002 001", "001 000");  // in no other log
  // Out of the window: neither line finds the other.
  Add(b, "LZ3CC", 800, "002 001", "003 002");
  Add(c, "LZ2BB", 815, "003 002", "002 001");
  const CheckResult r = Check(Contest("lz-open"));
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 745).verdict, Verdict::kNotInLog);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 745).detail, "not in LZ2BB's log");
  EXPECT_EQ(Of(r, "LZ1AA", "LZ9ZZ", 750).verdict, Verdict::kNoLog);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ9ZZ", 750).detail, "LZ9ZZ sent no log; in 2 logs");
  EXPECT_EQ(Of(r, "LZ3CC", "LZ8YY", 752).verdict, Verdict::kUnique);
  EXPECT_EQ(Of(r, "LZ2BB", "LZ3CC", 800).verdict, Verdict::kNotInLog);
  EXPECT_EQ(Of(r, "LZ3CC", "LZ2BB", 815).verdict, Verdict::kNotInLog);
  // The window is an option too.
  CheckOptions wide;
  wide.window_minutes = 15;
  const CheckResult w = Check(Contest("lz-open"), wide);
  EXPECT_EQ(Of(w, "LZ2BB", "LZ3CC", 800).verdict, Verdict::kOk);
}

TEST_F(Contests, APartnerLineMayStandForTwoQsosWhenTheContestSaysSo) {
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  StationLog& c = Log("LZ1AB");
  StationLog& d = Log("LZ5DD");
  StationLog& e = Log("LZ7EF");
  // LZ2BB's 07:35 is a QSO LZ1AB confirms; LZ1AA, one character from
  // LZ1AB, logged LZ2BB at 07:36 too.
  Both(b, c, 735, 1, 1);
  Add(a, "LZ2BB", 736, "001 000", "002 001");
  // LZ5DD's 08:00 is confirmed by LZ7EF, three characters from LZ1AA.
  Both(d, e, 800, 1, 1);
  Add(a, "LZ5DD", 800, "002 001", "002 001");
  ContestDefinition shared = Contest("lz-open");
  ASSERT_TRUE(shared.shared_partner_line);
  const CheckResult r = Check(shared);
  const Finding& f = Of(r, "LZ1AA", "LZ2BB", 736);
  EXPECT_EQ(f.verdict, Verdict::kPartnerBustedCall);
  EXPECT_EQ(f.detail, "LZ2BB logged LZ1AB at 0735, a QSO LZ1AB confirms");
  EXPECT_EQ(PartnerOf(f), "LZ2BB:10");
  EXPECT_EQ(Of(r, "LZ2BB", "LZ1AB", 735).verdict, Verdict::kOk);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ5DD", 800).verdict, Verdict::kNotInLog);
  // Without the rule a line is one QSO: the other is not in the log.
  ContestDefinition once = shared;
  once.shared_partner_line = false;
  const CheckResult o = Check(once);
  EXPECT_EQ(Of(o, "LZ1AA", "LZ2BB", 736).verdict, Verdict::kNotInLog);
  EXPECT_FALSE(Contest("uba-psk63-prefix").shared_partner_line);
}

TEST_F(Contests, BustedCallsOnTheRightSide) {
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  StationLog& c = Log("LZ2BC");
  Both(a, c, 700, 1, 1);
  // LZ1AA copied LZ2BB as LZ2BH (H for S is a CW confusion; LZ2BH sent no
  // log); LZ2BB logged LZ1AA right.
  Add(a, "LZ2BH", 710, "002 001", "004 003");
  Add(b, "LZ1AA", 711, "004 003", "002 001");
  // LZ2BB copied LZ3CC's call with a letter dropped and added: LZ3C, and
  // LZ3CC's log shows LZ2BB; LZ3CC's log exists.
  StationLog& d = Log("LZ3CC");
  Add(b, "LZ3C", 720, "005 004", "001 000");
  Add(d, "LZ2BB", 719, "001 000", "005 004");
  const CheckResult r = Check(Contest("lz-open"));
  const Finding& busted = Of(r, "LZ1AA", "LZ2BH", 710);
  EXPECT_EQ(busted.verdict, Verdict::kBustedCall);
  EXPECT_EQ(PartnerOf(busted), "LZ2BB:10");
  EXPECT_EQ(busted.detail, "logged LZ2BH, worked LZ2BB (its log: 0711); candidates: LZ2BB (sent a log, logged by 1)");
  const Finding& other = Of(r, "LZ2BB", "LZ1AA", 711);
  EXPECT_EQ(other.verdict, Verdict::kPartnerBustedCall);
  EXPECT_EQ(other.detail, "LZ1AA logged this station as LZ2BH");
  EXPECT_EQ(PartnerOf(other), "LZ1AA:11");
  EXPECT_EQ(Of(r, "LZ2BB", "LZ3C", 720).verdict, Verdict::kBustedCall);
  EXPECT_EQ(Of(r, "LZ3CC", "LZ2BB", 719).verdict, Verdict::kPartnerBustedCall);
  // A call copied without its digit is no call sign, but still a busted
  // call when the station worked is found.
  Add(a, "LZBBB", 730, "003 002", "006 005");
  Add(b, "LZ1AA", 731, "006 005", "003 002");
  const CheckResult again = Check(Contest("lz-open"));
  EXPECT_EQ(Of(again, "LZ1AA", "LZBBB", 730).verdict, Verdict::kBustedCall);
  EXPECT_EQ(Of(again, "LZ2BB", "LZ1AA", 731).verdict, Verdict::kPartnerBustedCall);
  Add(a, "LZXXX", 740, "004 003", "001 000");
  EXPECT_EQ(Of(Check(Contest("lz-open")), "LZ1AA", "LZXXX", 740).verdict, Verdict::kInvalid);
  // LZ2BC, one letter from LZ2BB too, worked LZ1AA at 07:00 only.
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BC", 700).verdict, Verdict::kOk);
}

TEST_F(Contests, TheNearestCandidateWinsAndEachLineIsUsedOnce) {
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  StationLog& c = Log("LZ2BX");
  // LZ1AA logged "LZ2BS" once; both LZ2BB (one CW-confused letter away)
  // and LZ2BX (one letter) logged LZ1AA then: the confusion ranks first.
  Add(a, "LZ2BS", 710, "002 001", "004 003");
  Add(b, "LZ1AA", 710, "004 003", "002 001");
  Add(c, "LZ1AA", 710, "007 006", "002 001");
  const CheckResult r = Check(Contest("lz-open"));
  const Finding& busted = Of(r, "LZ1AA", "LZ2BS", 710);
  EXPECT_EQ(busted.verdict, Verdict::kBustedCall);
  EXPECT_EQ(PartnerOf(busted), "LZ2BB:10");
  EXPECT_NE(busted.detail.find("candidates: LZ2BB (sent a log, logged by 0) LZ2BX (sent a log, logged by 0)"), std::string::npos)
      << busted.detail;
  EXPECT_EQ(Of(r, "LZ2BB", "LZ1AA", 710).verdict, Verdict::kPartnerBustedCall);
  EXPECT_EQ(Of(r, "LZ2BX", "LZ1AA", 710).verdict, Verdict::kNotInLog);
}

TEST_F(Contests, DupesAndTheRepeatRule) {
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  Both(a, b, 700, 1, 1);
  Both(a, b, 729, 2, 2);  // the same half hour: a dupe on both sides
  Both(a, b, 731, 3, 3);  // the next one: counts again
  Both(a, b, 800, 4, 4);  // and the next
  // LZ1AA's 08:35 is in no log; its 08:45 is LZ2BB's: the matched one
  // stands, the other, more than the window before it, is left to the
  // later steps.
  Add(a, "LZ2BB", 835, "005 004", "009 009");
  Both(a, b, 845, 6, 5);
  // LZ1AA entered its 09:10 QSO twice, the second time a minute later,
  // which LZ2BB's time matches best: the first entry stands all the same.
  Add(a, "LZ2BB", 910, "007 006", "006 005");
  Add(a, "LZ2BB", 911, "007 006", "006 005");
  Add(b, "LZ1AA", 911, "006 005", "007 006");
  const CheckResult r = Check(Contest("lz-open"));
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 729).verdict, Verdict::kDupe);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 729).detail, "dupe of line 10, 29 min after it in the same period; LZ2BB logged it too");
  EXPECT_FALSE(Of(r, "LZ1AA", "LZ2BB", 729).counted);
  EXPECT_EQ(Of(r, "LZ2BB", "LZ1AA", 729).verdict, Verdict::kDupe);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 731).verdict, Verdict::kOk);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 800).verdict, Verdict::kOk);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 835).verdict, Verdict::kNotInLog);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 845).verdict, Verdict::kOk);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 910).verdict, Verdict::kOk);
  EXPECT_EQ(PartnerOf(Of(r, "LZ1AA", "LZ2BB", 910)), "LZ2BB:" + std::to_string(b.qsos.back().line));
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 911).verdict, Verdict::kDupe);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 911).detail, "dupe of line 16, 1 min after it in the same period");
  EXPECT_EQ(PartnerOf(Of(r, "LZ2BB", "LZ1AA", 911)), "LZ1AA:16");

  // Two QSOs with other serials two minutes apart, the second matched:
  // another try, not a second entry; the first is in no log.
  Add(a, "LZ2BB", 1000, "008 007", "007 006");
  Add(a, "LZ2BB", 1002, "009 008", "008 007");
  Add(b, "LZ1AA", 1002, "008 007", "009 008");
  const CheckResult t = Check(Contest("lz-open"));
  EXPECT_EQ(Of(t, "LZ1AA", "LZ2BB", 1000).verdict, Verdict::kNotInLog);
  EXPECT_EQ(Of(t, "LZ1AA", "LZ2BB", 1002).verdict, Verdict::kOk);

  // Counted from the last QSO that counted, 30 minutes on.
  ContestDefinition since = Contest("lz-open");
  since.repeat_in_periods = false;
  const CheckResult s = Check(since);
  EXPECT_EQ(Of(s, "LZ1AA", "LZ2BB", 731).verdict, Verdict::kOk);
  EXPECT_EQ(Of(s, "LZ1AA", "LZ2BB", 800).verdict, Verdict::kDupe);
  EXPECT_EQ(Of(s, "LZ1AA", "LZ2BB", 800).detail, "dupe of line 12, 29 min after it; LZ2BB logged it too");
  EXPECT_EQ(Of(s, "LZ1AA", "LZ2BB", 835).verdict, Verdict::kNotInLog);
  EXPECT_EQ(Of(s, "LZ1AA", "LZ2BB", 845).verdict, Verdict::kOk);

  // Once per band: another band is another QSO.
  ContestDefinition once = Contest("lz-open");
  once.bands = {"80m", "40m"};
  once.repeat_minutes = 0;
  logs_.clear();
  StationLog& x = Log("LZ1AA");
  StationLog& y = Log("LZ2BB");
  Both(x, y, 700, 1, 1);
  Add(x, "LZ2BB", 800, "002 001", "002 001", 0, 1);
  Add(y, "LZ1AA", 800, "002 001", "002 001", 0, 1);
  Both(x, y, 900, 3, 3);
  const CheckResult o = Check(once);
  EXPECT_EQ(Of(o, "LZ1AA", "LZ2BB", 800).verdict, Verdict::kOk);
  EXPECT_EQ(Of(o, "LZ1AA", "LZ2BB", 900).verdict, Verdict::kDupe);
}

TEST_F(Contests, InvalidAndOutOfPeriod) {
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  for (int i = 0; i < 3; ++i) Both(a, b, 700 + 30 * i, i + 1, i + 1);
  Add(a, "LZ2BB", 1100, "009 008", "009 008");  // the first minute after
  Add(a, "LZ2BB", 659, "010 009", "010 009");   // the last minute before
  Add(a, "599", 800, "011 010", "001 000");
  Add(a, "LZ1AA", 801, "012 011", "001 000");
  Add(a, "LZ3CC", 802, "013 012", "001 000", 0, -1);
  Add(a, "LZ3CC", 803, "014 013", "001 000", 0, 0, -1);
  const CheckResult r = Check(Contest("lz-open"));
  EXPECT_EQ(r.period_start, kDay * 1440 + 7 * 60);
  EXPECT_EQ(r.period_end, kDay * 1440 + 11 * 60);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 1100).verdict, Verdict::kOutOfPeriod);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 1100).detail, "after the contest period");
  EXPECT_EQ(Of(r, "LZ1AA", "LZ2BB", 659).verdict, Verdict::kOutOfPeriod);
  EXPECT_EQ(Of(r, "LZ1AA", "599", 800).detail, "'599' is no call sign");
  EXPECT_EQ(Of(r, "LZ1AA", "LZ1AA", 801).detail, "the station's own call");
  EXPECT_EQ(Of(r, "LZ1AA", "LZ3CC", 802).detail, "band 40m is not in the contest");
  EXPECT_EQ(Of(r, "LZ1AA", "LZ3CC", 803).detail, "mode SSB is not in the contest");
  for (int hhmm : {800, 801}) EXPECT_EQ(Of(r, "LZ1AA", hhmm == 800 ? "599" : "LZ1AA", hhmm).verdict, Verdict::kInvalid);
  EXPECT_FALSE(Of(r, "LZ1AA", "LZ3CC", 802).counted);
  // An invalid line is no evidence that LZ3CC exists.
  EXPECT_EQ(Of(r, "LZ2BB", "LZ1AA", 700).verdict, Verdict::kOk);

  // The first day given: everything of the 19th is then after the period.
  CheckOptions day_before;
  day_before.first_day = kDay - 1;
  const CheckResult d = Check(Contest("lz-open"), day_before);
  EXPECT_EQ(Of(d, "LZ1AA", "LZ2BB", 700).verdict, Verdict::kOutOfPeriod);
}

TEST_F(Contests, ClockOffsetsAndDateSlips) {
  // LZ1AA's clock is an hour fast; LZ2BB's date slips back a day from its
  // 13th QSO on; LZ3CC is only 9 QSOs an hour off: too few to say.
  StationLog& a = Log("LZ1AA");
  StationLog& b = Log("LZ2BB");
  StationLog& c = Log("LZ3CC");
  std::vector<StationLog*> others;
  for (int i = 0; i < 25; ++i) others.push_back(&Log("LZ5" + std::string(1, static_cast<char>('A' + i)) + "A"));
  for (int i = 0; i < 25; ++i) {
    StationLog& o = *others[i];
    const int t = 700 + (i / 10) * 100 + (i % 10) * 3;  // 07:00 ... 09:27
    Add(a, o.call, t + 100, Serials(i + 1), Serials(50 + i));
    Add(o, a.call, t, Serials(50 + i), Serials(i + 1));
    Add(b, o.call, t + 1, Serials(i + 1), Serials(80 + i), i >= 12 ? -1 : 0);
    Add(o, b.call, t + 1, Serials(80 + i), Serials(i + 1));
    if (i < 9) {
      Add(c, o.call, t + 101, Serials(i + 1), Serials(20 + i));
      Add(o, c.call, t + 1, Serials(20 + i), Serials(i + 1));
    }
  }
  const CheckResult r = Check(Contest("lz-open"));
  const auto log_of = [&](const std::string& call) -> const LogCheck& {
    for (size_t l = 0; l < logs_.size(); ++l) {
      if (logs_[l].call == call) return r.logs[l];
    }
    static const LogCheck none;
    return none;
  };
  ASSERT_EQ(log_of("LZ1AA").clock.size(), 1u);
  EXPECT_EQ(log_of("LZ1AA").clock[0].offset_minutes, 60);
  EXPECT_EQ(log_of("LZ1AA").clock[0].support, 25);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ5AA", 800).verdict, Verdict::kTimeOffset);
  EXPECT_EQ(Of(r, "LZ1AA", "LZ5AA", 800).detail, "matched at 0700 after this log's clock +60 min");
  EXPECT_TRUE(Of(r, "LZ1AA", "LZ5AA", 800).counted);
  // The partner's line is recovered too, and says whose clock it was.
  EXPECT_EQ(Of(r, "LZ5AA", "LZ1AA", 700).verdict, Verdict::kTimeOffset);
  EXPECT_EQ(Of(r, "LZ5AA", "LZ1AA", 700).detail, "matched at 0800 after LZ1AA's clock +60 min");
  // LZ1AA's last QSO.
  EXPECT_EQ(Of(r, "LZ1AA", "LZ5YA", 1012).verdict, Verdict::kTimeOffset);

  const LogCheck& slipped = log_of("LZ2BB");
  ASSERT_EQ(slipped.clock.size(), 1u);
  EXPECT_EQ(slipped.clock[0].offset_minutes, -1440);
  EXPECT_EQ(slipped.clock[0].first_line, 22);
  EXPECT_EQ(slipped.clock[0].last_line, 34);
  EXPECT_EQ(Of(r, "LZ2BB", "LZ5AA", 701).verdict, Verdict::kOk);
  EXPECT_EQ(Of(r, "LZ2BB", "LZ5MA", 807).verdict, Verdict::kTimeOffset);
  EXPECT_EQ(Of(r, "LZ2BB", "LZ5MA", 807).detail, "matched at 0807 after this log's clock -1440 min");
  EXPECT_EQ(Of(r, "LZ5MA", "LZ2BB", 807).detail, "matched at 0807 after LZ2BB's clock -1440 min");

  EXPECT_TRUE(log_of("LZ3CC").clock.empty());
  EXPECT_EQ(Of(r, "LZ3CC", "LZ5AA", 801).verdict, Verdict::kNotInLog);
}

TEST_F(Contests, TheOrderOfTheLogsDoesNotMatter) {
  // A small contest with some of everything, checked in many orders.
  for (int i = 0; i < 12; ++i) Log("LZ" + std::to_string(i) + "A");
  std::mt19937 random(7);
  for (int t = 0; t < 400; ++t) {
    StationLog& a = logs_[random() % 12];
    StationLog& b = logs_[random() % 12];
    if (&a == &b) continue;
    const int hhmm = 700 + (t / 60) * 100 + t % 60;
    const int kind = static_cast<int>(random() % 10);
    Add(a, kind == 1 ? b.call + "X" : b.call, hhmm, Serials(t), Serials(t + 1));
    if (kind != 2) Add(b, a.call, hhmm + (kind == 3 ? 1 : 0), Serials(t + 1), kind == 4 ? Serials(t + 2) : Serials(t));
  }
  // A second log of one call, written later: it is the one used.
  StationLog& again = Log("LZ3A");
  again.written = kWritten + std::chrono::hours(1);
  again.name = "LZ3A-again.log";
  Add(again, "LZ4A", 710, "001 000", "001 000");
  const ContestDefinition lz = Contest("lz-open");
  ArrangeLogs(&logs_);
  const CheckResult first = CheckLogs(logs_, lz, {});
  const std::string table = VerdictsTable(logs_, first);
  for (int round = 0; round < 5; ++round) {
    std::shuffle(logs_.begin(), logs_.end(), random);
    ArrangeLogs(&logs_);
    EXPECT_EQ(VerdictsTable(logs_, CheckLogs(logs_, lz, {})), table);
  }
  EXPECT_NE(table.find("\nLZ3A-again.log\t"), std::string::npos);
  EXPECT_EQ(table.find("\nLZ3A.log\t"), std::string::npos);
  int superseded = 0;
  for (const LogCheck& l : first.logs) superseded += !l.used;
  EXPECT_EQ(superseded, 1);
}

TEST(VerdictsTable, HeaderAndRows) {
  std::vector<StationLog> logs(2);
  logs[0].call = "LZ1AA";
  logs[0].name = "b\tname.log";
  logs[1].call = "LZ2BB";
  logs[1].name = "a.log";
  Qso q;
  q.line = 7;
  q.call = "LZ2BB";
  q.band_text = "80m";
  q.time = {2017, 8, 19, 7, 5, 0};
  logs[0].qsos = {q};
  q.call = "LZ1AA";
  q.line = 3;
  logs[1].qsos = {q, q};
  logs[1].qsos[1].line = 2;
  CheckResult r;
  r.logs.resize(2);
  r.logs[0].findings = {Finding{Verdict::kBustedExchange, false, 0, 1, 0, "received 1\n"}};
  r.logs[1].findings = {Finding{Verdict::kOk, true, 0, 0, 0, ""}, Finding{Verdict::kDupe, false, 0, -1, -1, "x"}};
  EXPECT_EQ(VerdictsTable(logs, r),
            "log\tline\tcall\tband\ttime\tverdict\tcounted\tpartner_log\tpartner_line\tdetail\n"
            "a.log\t2\tLZ1AA\t80m\t2017-08-19 0705\tdupe\t0\t\t\tx\n"
            "a.log\t3\tLZ1AA\t80m\t2017-08-19 0705\tok\t1\tb\\x09name.log\t7\t\n"
            "b\\x09name.log\t7\tLZ2BB\t80m\t2017-08-19 0705\tbusted-exchange\t0\ta.log\t3\treceived 1\\x0A\n");
}

TEST(CallRules, ShapesDistancesAndExchanges) {
  for (const char* call : {"LZ1AA", "ON4ABC/P", "9A/DD4YR", "K1A", "LZ1000"}) EXPECT_TRUE(IsCallSign(call)) << call;
  for (const char* call : {"", "599", "LZAA", "LZ1AA/", "/LZ1AA", "LZ//1A", "lz1aa", "LZ1 AA", "A1"}) {
    EXPECT_FALSE(IsCallSign(call)) << call;
  }
  const struct {
    const char* a;
    const char* b;
    int edits, confusions;
  } distances[] = {
      {"LZ1AA", "LZ1AA", 0, 0}, {"LZ2BB", "LZ2BH", 1, 0}, {"LZ2BS", "LZ2BH", 1, 1}, {"ON4ABC", "ON4ACB", 1, 0},
      {"LZ3CC", "LZ3C", 1, 0},  {"LZ1AA", "LZ1AAA", 1, 0}, {"LZ1AE", "LZ1AI", 1, 1}, {"DL1ABC", "DL1XYZ", 3, 0},
      {"LZ1AA", "LZ1", 2, 0},   {"K1A", "K1ABCD", 3, 0},   {"LZ2B5", "LZ2BH", 1, 1},
  };
  for (const auto& d : distances) {
    const CallDistance got = DistanceBetween(d.a, d.b);
    EXPECT_EQ(got.edits, d.edits) << d.a << " " << d.b;
    EXPECT_EQ(got.confusions, d.confusions) << d.a << " " << d.b;
    EXPECT_EQ(DistanceBetween(d.b, d.a).edits, d.edits) << d.b << " " << d.a;
  }

  ContestDefinition c;
  c.exchange = {FieldKind::kSerialOrSection};
  EXPECT_TRUE(ExchangeAgrees(c, "001", "1"));
  EXPECT_TRUE(ExchangeAgrees(c, "LGE", "LGE"));
  EXPECT_FALSE(ExchangeAgrees(c, "LGE", "LGA"));
  EXPECT_FALSE(ExchangeAgrees(c, "", "001"));
  EXPECT_FALSE(ExchangeAgrees(c, "001 002", "001"));
  c.exchange = {FieldKind::kExact, FieldKind::kSerial};
  EXPECT_FALSE(ExchangeAgrees(c, "05 7", "5 7"));
  EXPECT_TRUE(ExchangeAgrees(c, "5 007", "5 7"));
}

}  // namespace
}  // namespace crosscheck
