// The fixture of the rules' tests: contest data of the test's own, started
// as a run of ON4XX in Germany ending on 2017-01-07 starts it (the journal
// BadQSO_RazadUREVARERE63_07_01_2017.txt in a scratch folder), and the
// host's QSOs and call checks handed to the rules as the exports hand them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "rules/contest_data.h"
#include "rules/intake.h"
#include "tests/support/host_data.h"
#include "tests/support/scratch.h"

namespace stats::testing {

inline constexpr const char* kRulesJournal = "BadQSO_RazadUREVARERE63_07_01_2017.txt";

// A host text as the exports view it: a null text is empty.
inline std::string_view HostView(const char* text) {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

// What AddData0 and RemoveData0 hand to the rules of the host's QSO.
inline QsoArgs ArgsOf(const host_args::QsoFields& f) {
  QsoArgs q;
  q.own_call = HostView(f.own_call);
  q.call = HostView(f.call);
  q.time = host_args::ParseDate(f.time);
  q.frequency_hz = f.frequency_hz;
  q.mode = HostView(f.mode);
  q.rst_sent = HostView(f.rst_sent);
  q.rst_received = HostView(f.rst_received);
  q.exchange_sent = HostView(f.exchange_sent);
  q.exchange_received = HostView(f.exchange_received);
  q.prefix = HostView(f.prefix);
  q.country = HostView(f.country);
  q.extra = HostView(f.extra);
  q.band = HostView(f.band);
  return q;
}

// What CheckCallFunc0 hands to the rules; a null band stays null.
inline CallCheckArgs ArgsOf(const CheckData& c) {
  CallCheckArgs args;
  args.call = c.call;
  args.prefix = c.prefix;
  args.country = c.country;
  if (c.band != nullptr) args.band = std::string_view(c.band);
  if (c.band2 != nullptr) args.band2 = std::string_view(c.band2);
  return args;
}

class RulesTest : public ScratchTest {
 protected:
  void SetUp() override {
    ScratchTest::SetUp();
    data_.own_country = "DL";
    data_.journal.Create(kRulesJournal);
  }

  int Add(const host_args::HostQso& q) { return AddQso(data_, ArgsOf(q.Fields())); }
  void Remove(const host_args::HostQso& q) { RemoveQso(data_, ArgsOf(q.Fields())); }
  int Status(const CheckData& c) const { return CheckCall(data_.store, ArgsOf(c)); }
  std::string Journal() const { return ReadText(dir() / kRulesJournal); }
  const ContestData& State() const { return data_; }

  ContestData data_;
};

}  // namespace stats::testing
