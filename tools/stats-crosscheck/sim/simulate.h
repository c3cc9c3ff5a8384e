// A simulated UBA PSK63 Prefix contest: one ground truth of who worked whom
// on which band and when, each station's log written from it with labelled
// errors at rates near those of real contests, and the truth of every line
// written beside the logs.  And a scorer of verdicts.tsv against that truth.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sim {

struct Rates {
  double no_log = 0.15;           // stations that send no log
  double busted_call = 0.015;     // per QSO side: the call copied wrong
  double busted_exchange = 0.015; // the exchange copied wrong
  double one_sided = 0.02;        // the QSO is in one log only
  double dupe = 0.01;             // a line entered twice
  double unique = 0.005;          // a QSO with a station heard by no one else
  double clock_minutes = 0.03;    // logs whose clock is 12 to 40 minutes off
  double clock_hour = 0.01;       // an hour off
  double date_slip = 0.01;        // the date one day behind from some QSO on
};

struct Options {
  int logs = 30;         // logs sent; the stations that send none come on top
  uint32_t seed = 1;
  int mean_qsos = 150;   // per log
  Rates rates;
};

// One line of a log as the truth knows it.
struct TruthLine {
  std::string log;      // file name
  int line = 0;
  std::string truth;    // the verdict the line deserves (ok also for a QSO
                        // found only after its clock offset)
  bool counted = true;  // under the UBA policy
  std::string worked;   // the station actually worked
};

struct Contest {
  std::map<std::string, std::string> files;  // name -> Cabrillo text
  std::vector<TruthLine> truth;
};

Contest Simulate(const Options& options);

// truth.tsv: a header, then one line per TruthLine in file and line order.
std::string TruthTable(const std::vector<TruthLine>& truth);
// Reads truth.tsv; false on a malformed table.
bool ParseTruth(const std::string& text, std::vector<TruthLine>* truth, std::string* error);

// How verdicts.tsv compares with the truth: for each error verdict the
// lines the truth and the check agree on, and those only one of them
// names; the good lines removed; the lines neither file knows.
struct ClassFigures {
  long both = 0, truth_only = 0, check_only = 0;
  double Precision() const { return both + check_only == 0 ? 1.0 : double(both) / double(both + check_only); }
  double Recall() const { return both + truth_only == 0 ? 1.0 : double(both) / double(both + truth_only); }
};
struct Comparison {
  std::map<std::string, ClassFigures> classes;
  long good = 0, good_removed = 0;
  long lines = 0, missing = 0;
};
bool CompareVerdicts(const std::vector<TruthLine>& truth, const std::string& verdicts_tsv, Comparison* out,
                     std::string* error);
std::string ComparisonText(const Comparison& c);

}  // namespace sim
