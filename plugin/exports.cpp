// The exported entry points under their plain names and aliases.
//
// Each export turns the host's C arguments into the project's types (a null
// text is the empty text), takes the contest-state lock where it touches the
// state, hands on to the logic, and lets no exception through: whatever goes
// wrong inside, the host gets the result it expects.
#include <exception>
#include <mutex>
#include <string>

#include "platform/failure_log.h"
#include "platform/platform.h"
#include "plugin/exports.h"
#include "plugin/host_args.h"
#include "plugin/contest.h"
#include "plugin/lifecycle.h"
#include "plugin/notices.h"
#include "reports/result.h"
#include "rules/exchange.h"
#include "rules/intake.h"
#include "ui/operator_windows.h"

// The host's argument layouts carry many arguments this contest never reads.
#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

using namespace stats;

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

// A view of a host text for the length of the call; a null text is empty.
std::string_view View(const char* text) {
  return text != nullptr ? std::string_view(text) : std::string_view();
}

std::optional<std::string_view> OptionalView(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string_view(text);
}

// Runs an export's body; an exception stops here, is logged with the
// export's name, and the host gets the fallback.
template <typename Result, typename Body>
Result Guarded(const char* name, Result fallback, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    failure_log::RecordCaught(name);
  }
  return fallback;
}

QsoArgs ToQso(const host_args::QsoFields& f) {
  QsoArgs q;
  q.own_call = View(f.own_call);
  q.call = View(f.call);
  q.time = host_args::ParseDate(f.time);
  q.frequency_hz = f.frequency_hz;
  q.mode = View(f.mode);
  q.rst_sent = View(f.rst_sent);
  q.rst_received = View(f.rst_received);
  q.exchange_sent = View(f.exchange_sent);
  q.exchange_received = View(f.exchange_received);
  q.prefix = View(f.prefix);
  q.country = View(f.country);
  q.extra = View(f.extra);
  q.band = View(f.band);
  return q;
}

const std::string kEmpty;

}  // namespace

extern "C" {

int STATS_CALL ResetStats0(STATS_RESET_PARAMS) {
  return Guarded("ResetStats0", 1, [&] {
    const host_args::ResetFields f = host_args::ParseReset(STATS_RESET_ARGS);
    RunStart run;
    run.host_folder = Text(f.host_folder);
    run.cabrillo = f.cabrillo;
    run.own_call = Text(f.own_call);
    run.start = host_args::ParseDate(f.start);
    run.end = host_args::ParseDate(f.end);
    run.own_country = Text(f.own_country);
    notices::NewRun();
    StartContestRun(run);
    notices::ShowPending();
    return 1;
  });
}

int STATS_CALL AddData0(STATS_ADD_DATA_PARAMS) {
  return Guarded("AddData0", 0, [&] {
    const QsoArgs qso = ToQso(host_args::ParseQso(STATS_ADD_DATA_ARGS));
    int added;
    {
      std::lock_guard lock(ContestLock());
      added = AddQso(Contest(), qso);
    }
    notices::ShowPending();
    return added;
  });
}

int STATS_CALL RemoveData0(STATS_ADD_DATA_PARAMS) {
  return Guarded("RemoveData0", 1, [&] {
    const QsoArgs qso = ToQso(host_args::ParseQso(STATS_ADD_DATA_ARGS));
    {
      std::lock_guard lock(ContestLock());
      RemoveContestQso(Contest(), qso);
    }
    notices::ShowPending();
    ui::PostRefresh();
    return 1;
  });
}

int STATS_CALL CheckCallFunc0(STATS_CHECK_CALL_PARAMS) {
  return Guarded("CheckCallFunc0", static_cast<int>(kCallKnownPrefix), [&] {
    const host_args::CheckFields f = host_args::ParseCheck(STATS_CHECK_CALL_ARGS);
    CallCheckArgs args;
    args.call = View(f.call);
    args.prefix = View(f.prefix);
    args.country = View(f.country);
    args.band = OptionalView(f.band);
    args.band2 = OptionalView(f.band2);
    CallStatus status;
    {
      std::lock_guard lock(ContestLock());
      status = CheckCall(Contest().store, args);
    }
    if (status != kCallBandsDiffer) ui::PostRefreshIfIdle();
    return static_cast<int>(status);
  });
}

int STATS_CALL CheckCall0(STATS_CHECK_CALL_PARAMS) {
  return CheckCallFunc0(STATS_CHECK_CALL_ARGS);
}

const char* STATS_CALL GetResult0(int* p1) {
  const char* text = Guarded("GetResult0", kEmpty.c_str(), [&] {
    std::unique_lock lock(ContestLock());
    return AnswerResultRequest(lock);
  });
  if (p1 != nullptr) *p1 = -1;
  return text;
}

int STATS_CALL StatsIsValidExchg0(STATS_VALID_EXCHG_PARAMS) {
  return Guarded("StatsIsValidExchg0", 0,
                 [&] { return IsValidExchange(Text(p1), Text(p3)) ? 1 : 0; });
}

int STATS_CALL IsValidExchg0(STATS_VALID_EXCHG_PARAMS) {
  return StatsIsValidExchg0(STATS_VALID_EXCHG_ARGS);
}

int STATS_CALL StatsGetExchgCount0(STATS_EXCHG_COUNT_PARAMS) { return 1; }

int STATS_CALL GetExchgCount0(STATS_EXCHG_COUNT_PARAMS) { return 1; }

int STATS_CALL GetNumberOfSets() { return 1; }

const char* STATS_CALL GetSetName(int p1) { return p1 == 0 ? kSetName : ""; }

void STATS_CALL SetupSet0() {
  Guarded("SetupSet0", 0, [] {
    Os().ShowMessage(nullptr, "No additional setup for this plugin", kMbOk,
                     MessageOwner::kMainWindow);
    return 0;
  });
}

unsigned long STATS_CALL setVersion(const char* p1) {
  return Guarded("setVersion", 0ul, [] {
    std::lock_guard lock(ContestLock());
    Contest().html_result = true;
    return 0ul;
  });
}

}  // extern "C"
