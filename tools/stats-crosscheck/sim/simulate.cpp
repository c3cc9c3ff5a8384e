#include "simulate.h"

#include <algorithm>
#include <random>
#include <set>
#include <sstream>
#include <tuple>
#include <unordered_set>

namespace sim {
namespace {

// Only the generator's own output, which the C++ standard fixes: the same
// seed makes the same contest everywhere.
class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : static_cast<uint32_t>(engine_() % n); }
  double Unit() { return static_cast<double>(engine_()) / 4294967296.0; }
  bool Chance(double p) { return Unit() < p; }

 private:
  std::mt19937 engine_;
};

constexpr const char* kSections[] = {"LGE", "ANT", "BRC", "GNT", "KTK", "MNS", "NOL", "ODE", "TLS", "WLD"};
// Prefixes with their share of the stations.
constexpr struct {
  const char* prefix;
  int weight;
} kPrefixes[] = {{"ON4", 8}, {"ON5", 5}, {"ON3", 4}, {"OT4", 1}, {"DL1", 6}, {"DL5", 4}, {"DK2", 3}, {"PA3", 5},
                 {"PA0", 3}, {"F5", 4},  {"F4", 3},  {"G4", 4},  {"G0", 3},  {"M0", 2},  {"I2", 3},  {"IK4", 3},
                 {"EA3", 3}, {"SP9", 3}, {"OK1", 3}, {"OM3", 2}, {"YU1", 2}, {"UR5", 3}, {"UA3", 4}, {"RA9", 2},
                 {"9A2", 2}, {"S51", 2}, {"HA5", 2}, {"YO8", 2}, {"LZ1", 2}, {"SM5", 2}, {"OH2", 2}, {"K1", 2},
                 {"W4", 2},  {"VE3", 1}, {"JA1", 1}, {"PY2", 1}};
// Bands with their share of the QSOs, and a frequency on each.
constexpr struct {
  const char* band;
  int khz;
  int weight;
} kBands[] = {{"160m", 1838, 4}, {"80m", 3580, 18}, {"40m", 7040, 28}, {"20m", 14070, 34}, {"15m", 21070, 11},
              {"10m", 28120, 5}};

// Characters that PSK decoding turns into others (neighbours in the
// varicode or on the screen), and the rest of the alphabet.
char Confuse(char c, Random& random) {
  static const std::map<char, std::string> kLike = {
      {'O', "0Q"}, {'0', "O"}, {'I', "1L"}, {'1', "I"}, {'B', "8D"}, {'8', "B"}, {'S', "5"}, {'5', "S"},
      {'Z', "2"},  {'2', "Z"}, {'G', "6"},  {'6', "G"}, {'E', "I"},  {'H', "S"}, {'N', "M"}, {'M', "N"},
      {'U', "V"},  {'V', "U"}, {'D', "B"},  {'T', "E"}, {'A', "R"},  {'R', "A"}, {'K', "R"}, {'W', "V"}};
  const auto it = kLike.find(c);
  if (it != kLike.end() && random.Chance(0.7)) return it->second[random.Below(static_cast<uint32_t>(it->second.size()))];
  const std::string any = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  char other = c;
  while (other == c) other = any[random.Below(static_cast<uint32_t>(any.size()))];
  return other;
}

struct Station {
  std::string call;
  bool belgian = false;
  std::string section;
  bool sends_log = true;
  double activity = 1;
  int clock = 0;          // minutes; 0: right
  int slip_from = -1;     // index of the QSO (in time order) from which the date is a day behind
};

struct Event {
  int minute = 0;  // since the contest start
  int a = 0, b = 0;
  int band = 0;
  bool unique = false;  // b is no station: a one-off call
  std::string unique_call;
};

std::string Three(int n) {
  std::string t = std::to_string(n);
  return t.size() < 3 ? std::string(3 - t.size(), '0') + t : t;
}

std::string FileName(const std::string& call) {
  std::string name = call;
  std::replace(name.begin(), name.end(), '/', '_');
  return name + ".log";
}

// One line as a station logs it.
struct Line {
  int minute = 0;      // as the station's clock has it, since the contest start
  int band = 0;
  std::string call;    // as logged
  std::string sent, received;
  std::string truth;
  std::string worked;
  int order = 0;       // the event's order, to keep file order stable
};

std::string Stamp(int minute) {
  // The contest starts 2026-01-03 13:00; a minute before midnight of the
  // 2nd or after that of the 4th does not occur.
  int m = minute + 13 * 60;
  int day = 3;
  while (m >= 1440) {
    m -= 1440;
    ++day;
  }
  while (m < 0) {
    m += 1440;
    --day;
  }
  std::string t = "2026-01-0" + std::to_string(day) + " ";
  t += static_cast<char>('0' + m / 600);
  t += static_cast<char>('0' + m / 60 % 10);
  t += static_cast<char>('0' + m % 60 / 10);
  t += static_cast<char>('0' + m % 10);
  return t;
}

}  // namespace

Contest Simulate(const Options& options) {
  Random random(options.seed);
  const Rates& rates = options.rates;
  // The stations: those that send a log, and as many again in proportion
  // that do not.
  const int total = static_cast<int>(options.logs / (1.0 - rates.no_log) + 0.5);
  std::vector<Station> stations;
  std::set<std::string> calls;
  int prefix_weights = 0;
  for (const auto& p : kPrefixes) prefix_weights += p.weight;
  while (static_cast<int>(stations.size()) < total) {
    int pick = static_cast<int>(random.Below(static_cast<uint32_t>(prefix_weights)));
    size_t k = 0;
    while (pick >= kPrefixes[k].weight) pick -= kPrefixes[k++].weight;
    std::string call = kPrefixes[k].prefix;
    const int letters = 2 + static_cast<int>(random.Below(2));
    for (int i = 0; i < letters; ++i) call += static_cast<char>('A' + random.Below(26));
    if (!calls.insert(call).second) continue;
    Station s;
    s.call = call;
    s.belgian = call.rfind("ON", 0) == 0 || call.rfind("OT", 0) == 0;
    if (s.belgian) s.section = kSections[random.Below(std::size(kSections))];
    // A few big stations, many small ones.
    s.activity = 0.2 + 3.0 * random.Unit() * random.Unit() * random.Unit();
    stations.push_back(s);
  }
  // Which stations send no log, so that exactly options.logs do.
  std::vector<int> order(stations.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  for (size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[random.Below(static_cast<uint32_t>(i))]);
  for (size_t i = static_cast<size_t>(options.logs); i < order.size(); ++i) stations[order[i]].sends_log = false;

  // The QSOs: pairs drawn by activity, each pair once per band.
  std::vector<double> cumulative;
  double weight_sum = 0;
  for (const Station& s : stations) cumulative.push_back(weight_sum += s.activity);
  const auto draw = [&]() {
    const double x = random.Unit() * weight_sum;
    const size_t i = static_cast<size_t>(std::upper_bound(cumulative.begin(), cumulative.end(), x) - cumulative.begin());
    return static_cast<int>(std::min(i, stations.size() - 1));
  };
  int band_weights = 0;
  for (const auto& b : kBands) band_weights += b.weight;
  const long wanted = static_cast<long>(options.logs) * options.mean_qsos / 2 * 100 / 85;
  std::unordered_set<uint64_t> worked;
  std::vector<Event> events;
  long attempts = 0;
  while (static_cast<long>(events.size()) < wanted && attempts++ < wanted * 20) {
    Event e;
    e.a = draw();
    e.b = draw();
    if (e.a == e.b) continue;
    int pick = static_cast<int>(random.Below(static_cast<uint32_t>(band_weights)));
    while (pick >= kBands[e.band].weight) pick -= kBands[e.band++].weight;
    const uint64_t pair = (static_cast<uint64_t>(std::min(e.a, e.b)) << 36) | (static_cast<uint64_t>(std::max(e.a, e.b)) << 4) |
                          static_cast<uint64_t>(e.band);
    if (!worked.insert(pair).second) continue;
    e.minute = static_cast<int>(random.Below(24 * 60));
    events.push_back(e);
  }
  // One-off stations, each heard by one log only.
  const long uniques = static_cast<long>(static_cast<double>(events.size()) * rates.unique);
  for (long u = 0; u < uniques; ++u) {
    Event e;
    e.a = draw();
    if (!stations[e.a].sends_log) continue;
    e.unique = true;
    std::string call;
    do {
      call = std::string("EA") + static_cast<char>('1' + random.Below(9)) + static_cast<char>('A' + random.Below(26)) +
             static_cast<char>('A' + random.Below(26)) + static_cast<char>('A' + random.Below(26));
    } while (calls.count(call) != 0);
    calls.insert(call);
    e.unique_call = call;
    e.band = 3;
    e.minute = static_cast<int>(random.Below(24 * 60));
    events.push_back(e);
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& x, const Event& y) { return x.minute < y.minute; });

  // Each station's clock.
  std::vector<int> qso_count(stations.size(), 0);
  for (const Event& e : events) {
    ++qso_count[e.a];
    if (!e.unique) ++qso_count[e.b];
  }
  for (size_t i = 0; i < stations.size(); ++i) {
    Station& s = stations[i];
    if (!s.sends_log || qso_count[i] < 40) continue;
    const double r = random.Unit();
    if (r < rates.clock_minutes) {
      s.clock = (12 + static_cast<int>(random.Below(29))) * (random.Chance(0.5) ? 1 : -1);
    } else if (r < rates.clock_minutes + rates.clock_hour) {
      s.clock = random.Chance(0.5) ? 60 : -60;
    } else if (r < rates.clock_minutes + rates.clock_hour + rates.date_slip) {
      s.slip_from = qso_count[i] / 3 + static_cast<int>(random.Below(static_cast<uint32_t>(qso_count[i] / 3)));
    }
  }

  // The lines of each log, from the events in time order.
  std::vector<std::vector<Line>> lines(stations.size());
  std::vector<int> serial(stations.size(), 0);
  std::vector<int> nth(stations.size(), 0);
  const auto sent_by = [&](int s) { return stations[s].belgian ? stations[s].section : Three(++serial[s]); };
  const auto clock_of = [&](int s, int minute) {
    const Station& st = stations[s];
    int m = minute + st.clock;
    if (st.slip_from >= 0 && nth[s] >= st.slip_from) m -= 1440;
    ++nth[s];
    return m;
  };
  const auto busted = [&](const std::string& call) {
    std::string wrong = call;
    for (int tries = 0; tries < 20 && (wrong == call || calls.count(wrong) != 0); ++tries) {
      wrong = call;
      // Not the prefix's digit, mostly the suffix.
      const size_t at = wrong.size() - 1 - random.Below(static_cast<uint32_t>(std::min<size_t>(3, wrong.size() - 2)));
      wrong[at] = Confuse(wrong[at], random);
    }
    return wrong;
  };
  const auto wrong_exchange = [&](const std::string& exchange) {
    std::string wrong = exchange;
    while (wrong == exchange) wrong[random.Below(static_cast<uint32_t>(wrong.size()))] = Confuse(wrong[0], random);
    for (char& c : wrong) {
      if (exchange[0] >= '0' && exchange[0] <= '9' && (c < '0' || c > '9')) c = '0' + static_cast<char>(random.Below(10));
    }
    return wrong == exchange ? (exchange == "001" ? std::string("002") : std::string("001")) : wrong;
  };
  for (size_t k = 0; k < events.size(); ++k) {
    const Event& e = events[k];
    Line la, lb;
    la.band = lb.band = e.band;
    la.order = lb.order = static_cast<int>(k);
    if (e.unique) {
      la.minute = clock_of(e.a, e.minute);
      la.call = e.unique_call;
      la.worked = e.unique_call;
      la.sent = sent_by(e.a);
      la.received = Three(1 + static_cast<int>(random.Below(50)));
      la.truth = "unique";
      lines[e.a].push_back(la);
      continue;
    }
    const bool a_logs = stations[e.a].sends_log, b_logs = stations[e.b].sends_log;
    la.minute = clock_of(e.a, e.minute);
    lb.minute = clock_of(e.b, e.minute + (random.Chance(0.3) ? 1 : 0));
    la.sent = sent_by(e.a);
    lb.sent = sent_by(e.b);
    la.received = lb.sent;
    lb.received = la.sent;
    la.call = la.worked = stations[e.b].call;
    lb.call = lb.worked = stations[e.a].call;
    la.truth = b_logs ? "ok" : "no-log";
    lb.truth = a_logs ? "ok" : "no-log";
    // At most one error per QSO, on a side whose partner sent a log.
    const double r = random.Unit();
    const bool side_a = random.Chance(0.5);
    Line& x = side_a ? la : lb;
    Line& y = side_a ? lb : la;
    const bool x_logs = side_a ? a_logs : b_logs;
    const bool y_logs = side_a ? b_logs : a_logs;
    bool x_written = x_logs, y_written = y_logs;
    if (x_logs && y_logs) {
      if (r < rates.one_sided) {
        y_written = false;
        x.truth = "not-in-log";
      } else if (r < rates.one_sided + rates.busted_call) {
        x.call = busted(x.call);
        x.truth = "busted-call";
        y.truth = "partner-busted-call";
      } else if (r < rates.one_sided + rates.busted_call + rates.busted_exchange) {
        x.received = wrong_exchange(x.received);
        x.truth = "busted-exchange";
        y.truth = "partner-busted-exchange";
      }
    }
    if (a_logs && (side_a ? x_written : y_written)) lines[e.a].push_back(la);
    if (b_logs && (side_a ? y_written : x_written)) lines[e.b].push_back(lb);
  }

  Contest contest;
  for (size_t s = 0; s < stations.size(); ++s) {
    if (!stations[s].sends_log) continue;
    const Station& st = stations[s];
    std::vector<Line>& ls = lines[s];
    // Lines entered twice, the copy a minute or two later.
    std::vector<Line> with_dupes;
    for (const Line& l : ls) {
      with_dupes.push_back(l);
      if (l.truth == "ok" && random.Chance(rates.dupe)) {
        Line d = l;
        d.minute += 1 + static_cast<int>(random.Below(2));
        d.truth = "dupe";
        with_dupes.push_back(d);
      }
    }
    const std::string name = FileName(st.call);
    std::string text = "START-OF-LOG: 3.0\nCONTEST: UBA-PSK63-PREFIX\nCALLSIGN: " + st.call +
                       "\nCATEGORY-OPERATOR: SINGLE-OP\nCATEGORY-MODE: DIGI\nCREATED-BY: contest-sim\n";
    int line = 6;
    for (const Line& l : with_dupes) {
      ++line;
      text += "QSO: " + std::to_string(kBands[l.band].khz) + " PM " + Stamp(l.minute) + " " + st.call + " 599 " + l.sent +
              " " + l.call + " 599 " + l.received + "\n";
      TruthLine t;
      t.log = name;
      t.line = line;
      t.truth = l.truth;
      t.worked = l.worked;
      // The UBA policy: own errors cost, the partner's do not.
      t.counted = l.truth == "ok" || l.truth == "no-log" || l.truth == "unique" || l.truth == "partner-busted-call" ||
                  l.truth == "partner-busted-exchange";
      contest.truth.push_back(t);
    }
    text += "END-OF-LOG:\n";
    contest.files[name] = text;
  }
  std::sort(contest.truth.begin(), contest.truth.end(),
            [](const TruthLine& x, const TruthLine& y) { return std::tie(x.log, x.line) < std::tie(y.log, y.line); });
  return contest;
}

std::string TruthTable(const std::vector<TruthLine>& truth) {
  std::string t = "log\tline\ttruth\tcounted\tworked\n";
  for (const TruthLine& l : truth) {
    t += l.log + "\t" + std::to_string(l.line) + "\t" + l.truth + "\t" + (l.counted ? "1" : "0") + "\t" + l.worked + "\n";
  }
  return t;
}

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  size_t pos = 0;
  while (true) {
    const size_t tab = line.find('\t', pos);
    fields.push_back(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos));
    if (tab == std::string::npos) break;
    pos = tab + 1;
  }
  return fields;
}

}  // namespace

bool ParseTruth(const std::string& text, std::vector<TruthLine>* truth, std::string* error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    if (++number == 1) continue;
    const std::vector<std::string> f = Fields(line);
    if (f.size() != 5 || (f[3] != "0" && f[3] != "1")) {
      *error = "truth.tsv:" + std::to_string(number) + ": not a line of 5 columns";
      return false;
    }
    TruthLine t;
    t.log = f[0];
    t.line = std::atoi(f[1].c_str());
    t.truth = f[2];
    t.counted = f[3] == "1";
    t.worked = f[4];
    truth->push_back(t);
  }
  return true;
}

bool CompareVerdicts(const std::vector<TruthLine>& truth, const std::string& verdicts_tsv, Comparison* out,
                     std::string* error) {
  std::map<std::pair<std::string, int>, std::pair<std::string, bool>> found;
  std::istringstream in(verdicts_tsv);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    if (++number == 1) continue;
    const std::vector<std::string> f = Fields(line);
    if (f.size() != 10) {
      *error = "verdicts.tsv:" + std::to_string(number) + ": not a line of 10 columns";
      return false;
    }
    found[{f[0], std::atoi(f[1].c_str())}] = {f[5], f[6] == "1"};
  }
  Comparison& c = *out;
  for (const char* v : {"not-in-log", "busted-call", "partner-busted-call", "busted-exchange", "partner-busted-exchange",
                        "dupe", "no-log", "unique"}) {
    c.classes[v];
  }
  for (const TruthLine& t : truth) {
    ++c.lines;
    const auto it = found.find({t.log, t.line});
    if (it == found.end()) {
      ++c.missing;
      continue;
    }
    std::string verdict = it->second.first;
    if (verdict == "time-offset") verdict = "ok";
    const std::string truth_verdict = t.truth;
    if (truth_verdict == verdict) {
      if (c.classes.count(verdict)) ++c.classes[verdict].both;
    } else {
      if (c.classes.count(truth_verdict)) ++c.classes[truth_verdict].truth_only;
      if (c.classes.count(verdict)) ++c.classes[verdict].check_only;
    }
    const bool good = t.truth == "ok" || t.truth == "no-log" || t.truth == "unique";
    if (good) {
      ++c.good;
      if (!it->second.second) ++c.good_removed;
    }
  }
  return true;
}

std::string ComparisonText(const Comparison& c) {
  const auto figure = [](double x) {
    const long thousandths = static_cast<long>(x * 1000 + 0.5);
    return std::to_string(thousandths / 1000) + "." + std::string(thousandths % 1000 < 100 ? (thousandths % 1000 < 10 ? "00" : "0") : "") +
           std::to_string(thousandths % 1000);
  };
  std::string t = "verdict                  truth  check   both  precision  recall\n";
  for (const auto& [name, f] : c.classes) {
    std::string row = name;
    row.resize(23, ' ');
    const auto col = [](long n, size_t w) {
      const std::string s = std::to_string(n);
      return std::string(s.size() < w ? w - s.size() : 0, ' ') + s;
    };
    t += row + col(f.both + f.truth_only, 7) + col(f.both + f.check_only, 7) + col(f.both, 7) + "      " +
         figure(f.Precision()) + "   " + figure(f.Recall()) + "\n";
  }
  t += "good lines removed: " + std::to_string(c.good_removed) + " of " + std::to_string(c.good) + "\n";
  if (c.missing > 0) t += "lines without a verdict: " + std::to_string(c.missing) + " of " + std::to_string(c.lines) + "\n";
  return t;
}

}  // namespace sim
