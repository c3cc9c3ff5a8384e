#include "matching.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>

namespace crosscheck {
namespace {

// Pairs of characters that decoding mixes up: CW's elements heard short or
// long, PSK's look-alikes and neighbours.
constexpr std::string_view kConfused[] = {
    "EI", "IS", "SH", "H5", "AN", "UV", "V4", "DB", "B6", "ND", "KR", "WJ", "J1", "GZ",
    "O0", "TM", "MO", "2U", "3V", "5S", "8B", "1I", "0Q", "6G", "2Z", "AR", "KC", "DK",
};

bool Confused(char a, char b) {
  for (std::string_view pair : kConfused) {
    if ((pair[0] == a && pair[1] == b) || (pair[0] == b && pair[1] == a)) return true;
  }
  return false;
}

bool Digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
  while (digits.size() > 1 && digits[0] == '0') digits.remove_prefix(1);
  return digits;
}

std::vector<std::string_view> Columns(std::string_view text) {
  std::vector<std::string_view> columns;
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t blank = std::min(text.find(' ', pos), text.size());
    if (blank > pos) columns.push_back(text.substr(pos, blank - pos));
    pos = blank + 1;
  }
  return columns;
}

std::string TimeOf(const Qso& q) {
  const auto two = [](int n) { return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)}; };
  return two(q.time.hour) + two(q.time.minute);
}

std::string Signed(int64_t minutes) {
  std::string text = minutes > 0 ? "+" : "";
  text.append(std::to_string(minutes)).append(" min");
  return text;
}

struct Ref {
  uint32_t log = 0;
  uint32_t qso = 0;
  auto operator<=>(const Ref&) const = default;
};

// A QSO as the matching steps see it.
struct Entry {
  uint32_t lo = 0, hi = 0;  // the two calls' ids, the lower first
  int band = 0, mode = 0;
  int side = 0;             // 0: logged by the station of `lo`
  int64_t minute = 0;       // the log's time, corrected by its offset
  Ref ref;
  auto Key() const { return std::tie(lo, hi, band, mode); }
};

bool EntryLess(const Entry& a, const Entry& b) {
  return std::tie(a.lo, a.hi, a.band, a.mode, a.side, a.minute, a.ref) <
         std::tie(b.lo, b.hi, b.band, b.mode, b.side, b.minute, b.ref);
}

class Checker {
 public:
  Checker(const std::vector<StationLog>& logs, const ContestDefinition& contest,
          const CheckOptions& options)
      : logs_(logs), contest_(contest), window_(options.window_minutes > 0 ? options.window_minutes : contest.window_minutes) {
    result_.logs.resize(logs.size());
    first_day_ = options.first_day;
  }

  CheckResult Run() {
    const auto start = std::chrono::steady_clock::now();
    Prepare();
    EstimateOffsets();
    Period();
    Match();
    Dupes();
    const auto matched = std::chrono::steady_clock::now();
    SearchBusted();
    Unmatched();
    Costs();
    const auto end = std::chrono::steady_clock::now();
    result_.match_seconds = std::chrono::duration<double>(matched - start).count();
    result_.bust_seconds = std::chrono::duration<double>(end - matched).count();
    return std::move(result_);
  }

 private:
  Finding& At(Ref r) { return result_.logs[r.log].findings[r.qso]; }
  const Qso& QsoAt(Ref r) const { return logs_[r.log].qsos[r.qso]; }
  int64_t Offset(Ref r) const { return result_.logs[r.log].offsets[r.qso]; }
  int64_t Corrected(Ref r) const { return QsoAt(r).minute - Offset(r); }

  uint32_t Intern(const std::string& call) {
    const auto [it, fresh] = ids_.emplace(call, static_cast<uint32_t>(calls_.size()));
    if (fresh) {
      calls_.push_back(call);
      station_of_.push_back(-1);
      heard_in_.push_back(0);
    }
    return it->second;
  }

  // Ids for every call, the log used for each call, and the invalid lines.
  void Prepare() {
    for (size_t l = 0; l < logs_.size(); ++l) {
      result_.logs[l].findings.resize(logs_[l].qsos.size());
      const uint32_t id = Intern(logs_[l].call);
      // The logs come sorted by call and time written: the last one wins.
      if (station_of_[id] >= 0) {
        result_.logs[station_of_[id]].used = false;
        result_.logs[station_of_[id]].superseded_by = static_cast<int>(l);
      }
      station_of_[id] = static_cast<int>(l);
      log_ids_.push_back(id);
    }
    qso_ids_.resize(logs_.size());
    decided_.resize(logs_.size());
    agreeing_.resize(logs_.size());
    for (size_t l = 0; l < logs_.size(); ++l) decided_[l].assign(logs_[l].qsos.size(), 0);
    for (size_t l = 0; l < logs_.size(); ++l) {
      const bool used = result_.logs[l].used;
      std::vector<uint32_t>& ids = qso_ids_[l];
      ids.resize(logs_[l].qsos.size());
      std::vector<uint32_t> heard;
      for (size_t i = 0; i < logs_[l].qsos.size(); ++i) {
        const Qso& q = logs_[l].qsos[i];
        ids[i] = Intern(q.call);
        Finding& f = result_.logs[l].findings[i];
        if (!IsCallSign(q.call)) {
          Invalid(f, std::string(1, '\'').append(q.call).append("' is no call sign"));
          if (q.band >= 0 && q.mode >= 0 && used) misshapen_.push_back({static_cast<uint32_t>(l), static_cast<uint32_t>(i)});
        } else if (q.call == logs_[l].call) {
          Invalid(f, "the station's own call");
        } else if (q.band < 0) {
          Invalid(f, q.band_text.empty() ? "no band" : "band " + q.band_text + " is not in the contest");
        } else if (q.mode < 0) {
          Invalid(f, q.mode_text.empty() ? "no mode" : "mode " + q.mode_text + " is not in the contest");
        } else if (used) {
          heard.push_back(ids[i]);
        }
      }
      std::sort(heard.begin(), heard.end());
      heard.erase(std::unique(heard.begin(), heard.end()), heard.end());
      for (uint32_t id : heard) ++heard_in_[id];
    }
  }

  static void Invalid(Finding& f, std::string why) {
    f.verdict = Verdict::kInvalid;
    f.detail = std::move(why);
  }

  bool Open(Ref r) const { return result_.logs[r.log].used && result_.logs[r.log].findings[r.qso].verdict == Verdict::kOk && !Decided(r); }
  bool Decided(Ref r) const { return decided_[r.log][r.qso] != 0; }
  void Decide(Ref r) { decided_[r.log][r.qso] = 1; }

  // The QSOs of used logs still to be decided whose partner sent a log, as
  // matching entries.
  std::vector<Entry> Entries(bool corrected) const {
    std::vector<Entry> entries;
    for (size_t l = 0; l < logs_.size(); ++l) {
      if (!result_.logs[l].used) continue;
      const uint32_t own = log_ids_[l];
      for (size_t i = 0; i < logs_[l].qsos.size(); ++i) {
        const Ref r{static_cast<uint32_t>(l), static_cast<uint32_t>(i)};
        if (!Open(r)) continue;
        const uint32_t other = qso_ids_[l][i];
        const int partner = station_of_[other];
        if (partner < 0 || partner == static_cast<int>(l)) continue;
        const Qso& q = logs_[l].qsos[i];
        Entry e;
        e.lo = std::min(own, other);
        e.hi = std::max(own, other);
        e.band = q.band;
        e.mode = q.mode;
        e.side = own == e.lo ? 0 : 1;
        e.minute = corrected ? Corrected(r) : q.minute;
        e.ref = r;
        entries.push_back(e);
      }
    }
    std::sort(entries.begin(), entries.end(), EntryLess);
    return entries;
  }

  // Calls f(begin, middle, end) for each group of entries of one pair of
  // calls, band and mode: [begin, middle) is side 0, [middle, end) side 1.
  template <typename F>
  static void ForEachGroup(const std::vector<Entry>& entries, F f) {
    size_t begin = 0;
    while (begin < entries.size()) {
      size_t end = begin;
      size_t middle = begin;
      while (end < entries.size() && entries[end].Key() == entries[begin].Key()) {
        if (entries[end].side == 0) middle = end + 1;
        ++end;
      }
      if (middle > begin && middle < end) f(begin, middle, end);
      begin = end;
    }
  }

  // Each log's clock against its partners': every QSO gives the time
  // differences to its partner's QSOs with this station (on the band and
  // mode, up to a day and two hours apart); the differences that at least
  // ten QSOs agree on (within two minutes) are the log's candidate offsets,
  // no offset always being one.  Each QSO takes the candidate it agrees
  // with that most QSOs agree on, a QSO without a partner the one of the
  // QSO before it; a run of QSOs in file order with one offset stands when
  // at least ten of its QSOs agree, else it takes the offset of the run
  // before.  Estimated twice, the second time against the partners'
  // clocks as corrected by the first.
  void EstimateOffsets() {
    constexpr int64_t kFarthest = 1440 + 120;
    constexpr int kSupport = 10;
    for (LogCheck& log : result_.logs) log.offsets.assign(log.findings.size(), 0);
    for (int pass = 0; pass < 2; ++pass) {
      const std::vector<Entry> entries = Entries(false);
      struct Sample {
        int64_t apart;
        uint32_t qso;
        bool operator<(const Sample& o) const { return std::tie(apart, qso) < std::tie(o.apart, o.qso); }
      };
      std::vector<std::vector<Sample>> samples(logs_.size());
      ForEachGroup(entries, [&](size_t begin, size_t middle, size_t end) {
        for (size_t a = begin; a < middle; ++a) {
          for (size_t b = middle; b < end; ++b) {
            const Entry& x = entries[a];
            const Entry& y = entries[b];
            const int64_t raw = x.minute - y.minute;
            if (raw > kFarthest || raw < -kFarthest) continue;
            samples[x.ref.log].push_back({raw + result_.logs[y.ref.log].offsets[y.ref.qso], x.ref.qso});
            samples[y.ref.log].push_back({-raw + result_.logs[x.ref.log].offsets[x.ref.qso], y.ref.qso});
          }
        }
      });
      std::vector<std::vector<int64_t>> next(logs_.size());
      for (size_t l = 0; l < logs_.size(); ++l) next[l] = LogOffsets(l, &samples[l], kSupport);
      for (size_t l = 0; l < logs_.size(); ++l) result_.logs[l].offsets = std::move(next[l]);
    }
    for (size_t l = 0; l < logs_.size(); ++l) {
      LogCheck& log = result_.logs[l];
      const std::vector<Qso>& qsos = logs_[l].qsos;
      for (size_t i = 0; i < qsos.size(); ++i) {
        if (log.offsets[i] == 0) continue;
        if (log.clock.empty() || log.clock.back().offset_minutes != log.offsets[i] || (i > 0 && log.offsets[i - 1] != log.offsets[i])) {
          log.clock.push_back({qsos[i].line, qsos[i].line, log.offsets[i], 0});
        }
        log.clock.back().last_line = qsos[i].line;
        log.clock.back().support += agreeing_[l].count(static_cast<uint32_t>(i)) != 0;
      }
    }
  }

  template <typename Sample>
  std::vector<int64_t> LogOffsets(size_t l, std::vector<Sample>* samples_in, int support) {
    std::vector<Sample>& s = *samples_in;
    const size_t n = logs_[l].qsos.size();
    std::vector<int64_t> offsets(n, 0);
    agreeing_[l].clear();
    if (s.empty()) return offsets;
    std::sort(s.begin(), s.end());
    // The QSOs agreeing on a difference within [low, low + 2].
    const auto agreeing = [&](int64_t low) {
      std::vector<uint32_t> qsos;
      for (auto it = std::lower_bound(s.begin(), s.end(), Sample{low, 0}); it != s.end() && it->apart <= low + 2; ++it) qsos.push_back(it->qso);
      std::sort(qsos.begin(), qsos.end());
      qsos.erase(std::unique(qsos.begin(), qsos.end()), qsos.end());
      return qsos;
    };
    // Candidates, best supported first; no offset is always one.
    struct Candidate {
      int64_t offset;
      std::vector<uint32_t> qsos;
    };
    std::vector<Candidate> candidates;
    std::vector<int64_t> lows;
    for (size_t i = 0; i < s.size(); ++i) {
      if (i == 0 || s[i].apart != s[i - 1].apart) lows.push_back(s[i].apart);
    }
    std::vector<std::pair<size_t, int64_t>> ranked;
    for (int64_t low : lows) ranked.push_back({agreeing(low).size(), low});
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
    candidates.push_back({0, agreeing(-1)});
    for (const auto& [count, low] : ranked) {
      if (static_cast<int>(count) < support || candidates.size() > 4) break;
      std::vector<uint32_t> qsos = agreeing(low);
      // The median difference of the cluster.
      std::vector<int64_t> values;
      for (auto it = std::lower_bound(s.begin(), s.end(), Sample{low, 0}); it != s.end() && it->apart <= low + 2; ++it) values.push_back(it->apart);
      const int64_t offset = values[values.size() / 2];
      const bool near_known = std::any_of(candidates.begin(), candidates.end(), [&](const Candidate& c) { return std::abs(c.offset - offset) <= 2; });
      if (!near_known) candidates.push_back({offset, std::move(qsos)});
    }
    std::sort(candidates.begin() + 1, candidates.end(), [](const Candidate& a, const Candidate& b) { return a.qsos.size() > b.qsos.size(); });
    if (candidates.size() == 1) return offsets;
    // Each QSO's vote: the best supported candidate it agrees with.
    std::vector<int> vote(n, -1);
    std::vector<size_t> order(candidates.size());
    for (size_t c = 0; c < order.size(); ++c) order[c] = c;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return candidates[a].qsos.size() > candidates[b].qsos.size(); });
    for (size_t c : order) {
      for (uint32_t q : candidates[c].qsos) {
        if (vote[q] < 0) vote[q] = static_cast<int>(c);
      }
    }
    // The QSOs in file order, each without a vote taking the one before.
    std::vector<uint32_t> file_order(n);
    for (size_t i = 0; i < n; ++i) file_order[i] = static_cast<uint32_t>(i);
    const std::vector<Qso>& qsos = logs_[l].qsos;
    std::stable_sort(file_order.begin(), file_order.end(), [&](uint32_t a, uint32_t b) { return qsos[a].line < qsos[b].line; });
    int current = -1;
    for (uint32_t q : file_order) {
      if (vote[q] >= 0) {
        current = vote[q];
        break;
      }
    }
    std::vector<int> assigned(n, 0);
    for (uint32_t q : file_order) {
      if (vote[q] >= 0) current = vote[q];
      assigned[q] = current;
    }
    // Runs too weakly supported take the run before (the first run, the
    // one after).
    struct Run {
      size_t begin, end;  // positions in file_order
      int candidate;
      int votes;
    };
    std::vector<Run> runs;
    for (size_t k = 0; k < n; ++k) {
      const uint32_t q = file_order[k];
      if (runs.empty() || runs.back().candidate != assigned[q]) runs.push_back({k, k, assigned[q], 0});
      runs.back().end = k + 1;
      runs.back().votes += vote[q] == assigned[q];
    }
    for (size_t r = 0; r < runs.size(); ++r) {
      if (runs[r].votes >= support || runs[r].candidate == 0) continue;
      int with = 0;
      if (r > 0) {
        with = runs[r - 1].candidate;
      } else if (r + 1 < runs.size()) {
        with = runs[r + 1].candidate;
      }
      runs[r].candidate = with;
    }
    for (const Run& run : runs) {
      for (size_t k = run.begin; k < run.end; ++k) {
        const uint32_t q = file_order[k];
        offsets[q] = candidates[run.candidate].offset;
        if (vote[q] == run.candidate && run.candidate != 0) agreeing_[l].insert(q);
      }
    }
    return offsets;
  }

  void Period() {
    if (first_day_ == 0) {
      // The day most QSOs fall in, counted from the contest's start time.
      std::map<int64_t, long> days;
      for (size_t l = 0; l < logs_.size(); ++l) {
        if (!result_.logs[l].used) continue;
        for (size_t i = 0; i < logs_[l].qsos.size(); ++i) {
          const Ref r{static_cast<uint32_t>(l), static_cast<uint32_t>(i)};
          if (!Open(r)) continue;
          const int64_t m = Corrected(r) - contest_.start_minute;
          ++days[m >= 0 ? m / 1440 : (m - 1439) / 1440];
        }
      }
      long most = 0;
      for (const auto& [day, count] : days) {
        if (count > most) {
          most = count;
          first_day_ = day;
        }
      }
    }
    result_.period_start = first_day_ * 1440 + contest_.start_minute;
    result_.period_end = result_.period_start + contest_.length_minutes;
    for (size_t l = 0; l < logs_.size(); ++l) {
      for (size_t i = 0; i < logs_[l].qsos.size(); ++i) {
        const Ref r{static_cast<uint32_t>(l), static_cast<uint32_t>(i)};
        if (!Open(r)) continue;
        const int64_t m = Corrected(r);
        if (m < result_.period_start || m >= result_.period_end) {
          Finding& f = At(r);
          f.verdict = Verdict::kOutOfPeriod;
          f.detail = std::string(m < result_.period_start ? "before" : "after") + " the contest period";
          if (Offset(r) != 0) f.detail += " (the log's time corrected by " + Signed(-Offset(r)) + ")";
        }
      }
    }
  }

  // A repeat the dupe rule does not allow, once the QSOs are matched: of two
  // QSOs with one station on a band (and mode) closer than the repeat time,
  // a matched one stands before one the partner's log does not show; of
  // two alike, the earlier.  An unmatched QSO that gives way to a matched
  // one is left to the later steps (not in log, busted call...), unless it
  // is the same QSO entered twice (within the window, the same exchanges):
  // then the first entry takes the match.
  void Dupes() {
    for (size_t l = 0; l < logs_.size(); ++l) {
      if (!result_.logs[l].used) continue;
      const std::vector<Qso>& qsos = logs_[l].qsos;
      std::vector<uint32_t> order;
      for (size_t i = 0; i < qsos.size(); ++i) {
        const Verdict v = result_.logs[l].findings[i].verdict;
        if (v != Verdict::kInvalid && v != Verdict::kOutOfPeriod) order.push_back(static_cast<uint32_t>(i));
      }
      const bool by_mode = contest_.dupe == DupeScope::kBandMode;
      const auto key = [&](uint32_t i) {
        return std::make_tuple(qso_ids_[l][i], qsos[i].band, by_mode ? qsos[i].mode : 0);
      };
      const auto ref = [&](uint32_t i) { return Ref{static_cast<uint32_t>(l), i}; };
      std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        return std::make_tuple(key(a), Corrected(ref(a)), qsos[a].line) < std::make_tuple(key(b), Corrected(ref(b)), qsos[b].line);
      });
      std::optional<uint32_t> kept;
      for (size_t k = 0; k < order.size(); ++k) {
        const uint32_t q = order[k];
        if (!kept || key(*kept) != key(q)) {
          kept = q;
          continue;
        }
        const int64_t apart = Corrected(ref(q)) - Corrected(ref(*kept));
        const int64_t period = contest_.repeat_minutes;
        const bool again = period > 0 && (contest_.repeat_in_periods
                                              ? (Corrected(ref(q)) - result_.period_start) / period !=
                                                    (Corrected(ref(*kept)) - result_.period_start) / period
                                              : apart >= period);
        if (again) {
          kept = q;
          continue;
        }
        const bool kept_matched = Decided(ref(*kept));
        if (!kept_matched && Decided(ref(q))) {
          if (apart > window_ || qsos[q].sent != qsos[*kept].sent || qsos[q].received != qsos[*kept].received) {
            // Another try, a while later or with other serials: the
            // earlier one is no second entry of this QSO.
            kept = q;
            continue;
          }
          // The same QSO entered twice: the first entry takes the match,
          // the second is the dupe.
          const Ref partner{static_cast<uint32_t>(At(ref(q)).partner_log), static_cast<uint32_t>(At(ref(q)).partner_qso)};
          At(partner) = Finding{};
          At(ref(q)) = Finding{};
          Decide(ref(*kept));
          Matched(ref(*kept), partner);
        }
        Finding& f = At(ref(q));
        f.verdict = Verdict::kDupe;
        f.detail = "dupe of line " + std::to_string(qsos[*kept].line);
        if (contest_.repeat_minutes > 0) {
          f.detail.append(", ").append(std::to_string(apart)).append(" min after it");
          if (contest_.repeat_in_periods) f.detail.append(" in the same period");
        }
        if (f.partner_log >= 0) f.detail.append("; ").append(logs_[f.partner_log].call).append(" logged it too");
        Decide(ref(q));
      }
    }
  }

  void Match() {
    const std::vector<Entry> entries = Entries(true);
    ForEachGroup(entries, [&](size_t begin, size_t middle, size_t end) {
      struct Pair {
        int64_t apart;
        Ref a, b;
      };
      std::vector<Pair> pairs;
      for (size_t a = begin; a < middle; ++a) {
        for (size_t b = middle; b < end; ++b) {
          const int64_t apart = std::abs(entries[a].minute - entries[b].minute);
          if (apart <= window_) pairs.push_back({apart, entries[a].ref, entries[b].ref});
        }
      }
      std::sort(pairs.begin(), pairs.end(), [](const Pair& x, const Pair& y) {
        return std::tie(x.apart, x.a, x.b) < std::tie(y.apart, y.a, y.b);
      });
      for (const Pair& p : pairs) {
        if (Decided(p.a) || Decided(p.b)) continue;
        Decide(p.a);
        Decide(p.b);
        Matched(p.a, p.b);
      }
    });
  }

  void Link(Ref from, Ref to) {
    Finding& f = At(from);
    f.partner_log = static_cast<int>(to.log);
    f.partner_qso = static_cast<int>(to.qso);
  }

  // Two lines of one QSO.
  void Matched(Ref a, Ref b) {
    Link(a, b);
    Link(b, a);
    const Qso& qa = QsoAt(a);
    const Qso& qb = QsoAt(b);
    const bool a_copied = ExchangeAgrees(contest_, qa.received, qb.sent);
    const bool b_copied = ExchangeAgrees(contest_, qb.received, qa.sent);
    const int64_t raw = std::abs(qa.minute - qb.minute);
    const bool offset = raw > window_;
    for (const auto& [self, other, self_ok, other_ok] :
         {std::make_tuple(a, b, a_copied, b_copied), std::make_tuple(b, a, b_copied, a_copied)}) {
      Finding& f = At(self);
      const Qso& qs = QsoAt(self);
      const Qso& qo = QsoAt(other);
      if (!self_ok) {
        f.verdict = Verdict::kBustedExchange;
        f.detail = "received " + qs.received + ", " + logs_[other.log].call + " sent " + qo.sent;
      } else if (!other_ok) {
        f.verdict = Verdict::kPartnerBustedExchange;
        f.detail = "sent " + qs.sent + ", " + logs_[other.log].call + " received " + qo.received;
      } else if (offset) {
        f.verdict = Verdict::kTimeOffset;
      }
      if (offset) {
        const int64_t own = Offset(self);
        const int64_t theirs = Offset(other);
        std::string clock = own != 0 ? "this log's clock " + Signed(own) : logs_[other.log].call + "'s clock " + Signed(theirs);
        if (own != 0 && theirs != 0) clock += ", " + logs_[other.log].call + "'s " + Signed(theirs);
        f.detail += (f.detail.empty() ? "" : "; ") + std::string("matched at ") + TimeOf(qo) + " after " + clock;
      }
    }
  }

  // The unmatched QSOs that logged a call, by that call, band and mode.
  struct Heard {
    uint32_t call, band, mode;
    int64_t minute;
    Ref ref;
  };

  // The unmatched QSOs that logged a call, by that call, band and mode;
  // with `sources`, also those whose call has no call sign's shape (a call
  // copied wrong may lose its digit).
  std::vector<Heard> UnmatchedByCall() const {
    std::vector<Heard> heard;
    for (size_t l = 0; l < logs_.size(); ++l) {
      if (!result_.logs[l].used) continue;
      for (size_t i = 0; i < logs_[l].qsos.size(); ++i) {
        const Ref r{static_cast<uint32_t>(l), static_cast<uint32_t>(i)};
        if (!Open(r)) continue;
        const Qso& q = QsoAt(r);
        heard.push_back({qso_ids_[l][i], static_cast<uint32_t>(q.band), static_cast<uint32_t>(q.mode), Corrected(r), r});
      }
    }
    std::sort(heard.begin(), heard.end(), [](const Heard& x, const Heard& y) {
      return std::tie(x.call, x.band, x.mode, x.minute, x.ref) < std::tie(y.call, y.band, y.mode, y.minute, y.ref);
    });
    return heard;
  }

  // The calls near `call` whose logs show `station` in the window,
  // unmatched; those whose exchanges agree with the line's first, then the
  // nearest calls, then the nearest times.
  struct Candidate {
    int disagree;  // exchanges that disagree, of the two ways: 0 to 2
    int weight;    // 2 per edit, less 1 per confusion
    int64_t apart;
    Ref busted;  // the line with the call copied wrong
    Ref other;   // the line of the station actually worked
  };

  void SearchBusted() {
    const std::vector<Heard> heard = UnmatchedByCall();
    std::vector<Heard> sources = heard;
    for (const Ref r : misshapen_) {
      const Qso& q = QsoAt(r);
      sources.push_back({qso_ids_[r.log][r.qso], static_cast<uint32_t>(q.band), static_cast<uint32_t>(q.mode), Corrected(r), r});
    }
    std::vector<Candidate> candidates;
    for (const Heard& h : sources) {
      const Ref q = h.ref;
      const uint32_t station = log_ids_[q.log];
      const std::string& logged = calls_[h.call];
      // Those who logged this station on the band and mode, in the window.
      const Heard low{station, h.band, h.mode, h.minute - window_, Ref{0, 0}};
      auto it = std::lower_bound(heard.begin(), heard.end(), low, [](const Heard& x, const Heard& y) {
        return std::tie(x.call, x.band, x.mode, x.minute, x.ref) < std::tie(y.call, y.band, y.mode, y.minute, y.ref);
      });
      for (; it != heard.end() && it->call == station && it->band == h.band && it->mode == h.mode &&
             it->minute <= h.minute + window_;
           ++it) {
        const uint32_t worked = log_ids_[it->ref.log];
        if (worked == h.call || it->ref.log == q.log) continue;
        const CallDistance d = DistanceBetween(logged, calls_[worked]);
        if (d.edits > 2) continue;
        const Qso& qb = QsoAt(q);
        const Qso& qo = QsoAt(it->ref);
        const int disagree = !ExchangeAgrees(contest_, qb.received, qo.sent) + !ExchangeAgrees(contest_, qo.received, qb.sent);
        candidates.push_back({disagree, 2 * d.edits - d.confusions, std::abs(it->minute - h.minute), q, it->ref});
      }
    }
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
      return std::tie(x.disagree, x.weight, x.apart, x.busted, x.other) <
             std::tie(y.disagree, y.weight, y.apart, y.busted, y.other);
    });
    // The near calls of each busted line, for its report.
    std::map<Ref, std::vector<uint32_t>> near;
    for (const Candidate& c : candidates) near[c.busted].push_back(log_ids_[c.other.log]);
    for (const Candidate& c : candidates) {
      if (Decided(c.busted) || Decided(c.other)) continue;
      Decide(c.busted);
      Decide(c.other);
      Link(c.busted, c.other);
      Link(c.other, c.busted);
      const Qso& qb = QsoAt(c.busted);
      const Qso& qo = QsoAt(c.other);
      const std::string& actual = logs_[c.other.log].call;
      Finding& fb = At(c.busted);
      fb.verdict = Verdict::kBustedCall;
      fb.detail = "logged " + qb.call + ", worked " + actual + " (its log: " + TimeOf(qo) + "); candidates:";
      std::vector<uint32_t>& calls = near[c.busted];
      std::vector<uint32_t> listed;
      for (uint32_t id : calls) {
        if (std::find(listed.begin(), listed.end(), id) != listed.end()) continue;
        listed.push_back(id);
        fb.detail += " " + calls_[id] + " (" + Shown(id) + ")";
      }
      Finding& fo = At(c.other);
      if (!ExchangeAgrees(contest_, qo.received, qb.sent)) {
        fo.verdict = Verdict::kBustedExchange;
        fo.detail = "received " + qo.received + ", " + logs_[c.busted.log].call + " sent " + qb.sent + "; ";
      } else {
        fo.verdict = Verdict::kPartnerBustedCall;
      }
      fo.detail += logs_[c.busted.log].call + " logged this station as " + qb.call;
    }
  }

  std::string Shown(uint32_t id) const {
    const int n = heard_in_[id];
    return std::string(station_of_[id] >= 0 ? "sent a log, " : "no log, ") + "logged by " + std::to_string(n);
  }

  // The partner's line nearest in time within the window, on the band and
  // mode, whose call is within two characters of this station's and which
  // is another QSO, matched: the partner's busted copy of this call.
  bool SharedLine(Ref r, size_t partner, Finding& f) const {
    const Qso& q = QsoAt(r);
    const std::string& own = logs_[r.log].call;
    std::optional<uint32_t> best;
    int64_t best_apart = 0;
    for (size_t i = 0; i < logs_[partner].qsos.size(); ++i) {
      const Ref o{static_cast<uint32_t>(partner), static_cast<uint32_t>(i)};
      const Qso& qo = QsoAt(o);
      if (qo.band != q.band || qo.mode != q.mode || qo.call == own) continue;
      const Finding& fo = result_.logs[partner].findings[i];
      if (!Decided(o) || (fo.verdict != Verdict::kOk && fo.verdict != Verdict::kTimeOffset)) continue;
      const int64_t apart = std::abs(Corrected(o) - Corrected(r));
      if (apart > window_ || (best && apart >= best_apart)) continue;
      if (DistanceBetween(own, qo.call).edits > 2) continue;
      best = static_cast<uint32_t>(i);
      best_apart = apart;
    }
    if (!best) return false;
    const Qso& qo = logs_[partner].qsos[*best];
    f.verdict = Verdict::kPartnerBustedCall;
    f.partner_log = static_cast<int>(partner);
    f.partner_qso = static_cast<int>(*best);
    f.detail = logs_[partner].call + " logged " + qo.call + " at " + TimeOf(qo) + ", a QSO " + qo.call + " confirms";
    return true;
  }

  void Unmatched() {
    for (size_t l = 0; l < logs_.size(); ++l) {
      if (!result_.logs[l].used) continue;
      for (size_t i = 0; i < logs_[l].qsos.size(); ++i) {
        const Ref r{static_cast<uint32_t>(l), static_cast<uint32_t>(i)};
        if (!Open(r)) continue;
        const uint32_t id = qso_ids_[l][i];
        Finding& f = At(r);
        if (station_of_[id] >= 0) {
          if (contest_.shared_partner_line && SharedLine(r, static_cast<size_t>(station_of_[id]), f)) continue;
          f.verdict = Verdict::kNotInLog;
          f.detail = "not in " + calls_[id] + "'s log";
        } else if (heard_in_[id] >= 2) {
          f.verdict = Verdict::kNoLog;
          f.detail = calls_[id] + " sent no log; in " + std::to_string(heard_in_[id]) + " logs";
        } else {
          f.verdict = Verdict::kUnique;
          f.detail = calls_[id] + " is in no other log";
        }
      }
    }
  }

  void Costs() {
    for (LogCheck& log : result_.logs) {
      for (Finding& f : log.findings) {
        const Cost& cost = contest_.CostOf(f.verdict);
        f.counted = f.verdict == Verdict::kOk || f.verdict == Verdict::kTimeOffset || cost.counted;
        f.penalty = cost.penalty;
      }
    }
  }

  const std::vector<StationLog>& logs_;
  const ContestDefinition& contest_;
  const int window_;
  int64_t first_day_ = 0;
  CheckResult result_;
  std::unordered_map<std::string, uint32_t> ids_;
  std::vector<std::string> calls_;
  std::vector<int> station_of_;  // the used log of each call; -1: none
  std::vector<int> heard_in_;    // how many used logs have a valid QSO with the call
  std::vector<uint32_t> log_ids_;
  std::vector<std::vector<uint32_t>> qso_ids_;
  std::vector<std::set<uint32_t>> agreeing_;  // per log: the QSOs whose partners confirm its offset
  std::vector<std::vector<char>> decided_;  // matched, or settled as a busted call
  std::vector<Ref> misshapen_;  // lines whose call has no call sign's shape
};

}  // namespace

bool IsCallSign(std::string_view call) {
  if (call.size() < 3 || call.size() > 20 || call.front() == '/' || call.back() == '/') return false;
  bool letter = false, digit = false;
  for (size_t i = 0; i < call.size(); ++i) {
    const char c = call[i];
    if (c >= 'A' && c <= 'Z') {
      letter = true;
    } else if (c >= '0' && c <= '9') {
      digit = true;
    } else if (c != '/' || call[i - 1] == '/') {
      return false;
    }
  }
  return letter && digit;
}

CallDistance DistanceBetween(std::string_view a, std::string_view b) {
  constexpr int kFar = 3;
  if (a.size() > b.size() + 2 || b.size() > a.size() + 2) return {kFar, 0};
  // Optimal string alignment: edits and, of equal edits, most confusions,
  // kept as one cost (edits * 8 - confusions).
  const size_t n = a.size(), m = b.size();
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = 0; i <= n; ++i) d[i][0] = static_cast<int>(i) * 8;
  for (size_t j = 0; j <= m; ++j) d[0][j] = static_cast<int>(j) * 8;
  for (size_t i = 1; i <= n; ++i) {
    for (size_t j = 1; j <= m; ++j) {
      const int change = a[i - 1] == b[j - 1] ? 0 : (Confused(a[i - 1], b[j - 1]) ? 7 : 8);
      int best = std::min({d[i - 1][j] + 8, d[i][j - 1] + 8, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) best = std::min(best, d[i - 2][j - 2] + 8);
      d[i][j] = best;
    }
  }
  const int cost = d[n][m];
  const int edits = (cost + 7) / 8;
  if (edits >= kFar) return {kFar, 0};
  return {edits, edits * 8 - cost};
}

bool ExchangeAgrees(const ContestDefinition& contest, std::string_view received, std::string_view sent) {
  const std::vector<std::string_view> r = Columns(received);
  const std::vector<std::string_view> s = Columns(sent);
  if (r.size() != s.size()) return false;
  for (size_t i = 0; i < r.size(); ++i) {
    const FieldKind kind = i < contest.exchange.size() ? contest.exchange[i] : FieldKind::kExact;
    const bool numbers = kind == FieldKind::kSerial || kind == FieldKind::kSerialOrSection;
    if (numbers && Digits(r[i]) && Digits(s[i])) {
      if (WithoutLeadingZeros(r[i]) != WithoutLeadingZeros(s[i])) return false;
    } else if (r[i] != s[i]) {
      return false;
    }
  }
  return true;
}

void ArrangeLogs(std::vector<StationLog>* logs) {
  std::stable_sort(logs->begin(), logs->end(), [](const StationLog& a, const StationLog& b) {
    return std::tie(a.call, a.written, a.name, a.path) < std::tie(b.call, b.written, b.name, b.path);
  });
}

CheckResult CheckLogs(const std::vector<StationLog>& logs, const ContestDefinition& contest,
                      const CheckOptions& options) {
  return Checker(logs, contest, options).Run();
}

}  // namespace crosscheck
