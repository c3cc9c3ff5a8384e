#include "plugin/lifecycle.h"

#include <algorithm>
#include <array>
#include <optional>

#include "platform/platform.h"
#include "plugin/contest.h"
#include "plugin/notices.h"
#include "model/settings.h"
#include "reports/cabrillo_header.h"
#include "reports/cabrillo_writer.h"
#include "reports/header_form.h"
#include "reports/result.h"
#include "rules/journal_name.h"
#include "ui/operator_windows.h"

namespace stats {
namespace {

constexpr std::array<std::string_view, 7> kRussianCountries = {"UA", "UA2", "UA9", "CE9/KC4",
                                                               "UR", "UN",  "EU"};

// Finds the host's settings file in the host folder and reads its version.
// No file gives "Zelk"; a file without a version line keeps the old text.
void ReadHostVersion(ContestState& state) {
  const std::vector<std::string> names = Os().FindFiles(state.host_folder + "*.ini");
  const bool found = std::any_of(names.begin(), names.end(), [](const std::string& name) {
    return name.find("Zelk2.ini") != std::string::npos;
  });
  if (!found) {
    state.host_version = kDefaultHostVersion;
    return;
  }
  // The file is read from the folder that was searched, so that a host whose
  // current directory differs from its folder still finds its version.
  if (auto contents = Os().ReadFile(state.host_folder + "Zelk2.ini")) {
    if (auto version = HostVersionFromIni(*contents)) state.host_version = *version;
  }
}

}  // namespace

std::optional<std::string> HostVersionFromIni(const std::string& contents) {
  for (const std::string& line : SplitLines(contents)) {
    if (line.find("Zelk=") == std::string::npos) continue;
    return line.size() > 5 ? line.substr(5) : std::string();
  }
  return std::nullopt;
}

bool PrepareCabrilloHeader(const std::string& own_call) {
  CabrilloHeader previous;
  {
    std::lock_guard lock(ContestLock());
    previous = Contest().cabrillo;
  }
  std::string unreadable;
  const auto read = [&unreadable](const std::string& key, const std::string& fallback) {
    return settings::Read(key, fallback, &unreadable);
  };
  const CabrilloHeader loaded = LoadCabrilloHeader(own_call, previous, read);
  {
    std::lock_guard lock(ContestLock());
    Contest().cabrillo = loaded;
  }
  // The station details are in a settings file that could not be read: a
  // log made from the defaults would go out with an empty name, address and
  // sent exchange.  No log in this run; the operator is told why (the
  // settings file's own notice says which file and the system's reason).
  if (!unreadable.empty()) {
    notices::Note("No Cabrillo log in this run: the station details could not be read from " +
                  std::string(settings::kFile));
    std::lock_guard lock(ContestLock());
    Contest().cabrillo_requested = 0;
    return false;
  }

  // The form is modal and may stay open for long: no lock while it runs.
  CabrilloHeader form = loaded;
  if (!CurrentHeaderForm().Run(form)) {
    std::lock_guard lock(ContestLock());
    Contest().cabrillo_requested = 0;
    return false;
  }

  CabrilloHeader confirmed = AcceptCabrilloForm(loaded, form);
  // A refused write is told to the operator by the settings file itself.
  SaveCabrilloHeader(confirmed, [](const std::string& key, const std::string& value) {
    settings::Write(key, value);
  });
  confirmed.soapbox = PrintReadySoapbox(EncodeSoapbox(confirmed.soapbox));
  confirmed.address = PrintReadyAddress(confirmed.address);

  std::lock_guard lock(ContestLock());
  Contest().cabrillo = std::move(confirmed);
  return true;
}

void RemoveContestQso(ContestState& state, const QsoArgs& qso) {
  RemoveQso(state, qso);
  if (state.store.Count() == 0) {
    for (auto& list : state.worked_prefixes) list.clear();
    for (auto& list : state.worked_sections) list.clear();
  }
}

ScoreSummary ScoreContest(ContestState& state) {
  ScoreSummary summary = ComputeScore(state);
  for (size_t k = 0; k < summary.has_row.size(); ++k) {
    if (!summary.has_row[k]) continue;
    state.worked_prefixes[k] = summary.worked_prefixes[k];
    state.worked_sections[k] = summary.worked_sections[k];
  }
  state.claimed_score = summary.score;
  return summary;
}

const char* AnswerResultRequest(std::unique_lock<std::mutex>& lock) {
  ContestState& state = Contest();
  state.result_text.clear();
  const ResultHeading heading{state.start_date_text, state.end_date_text, state.own_call};
  const ScoreSummary summary = ScoreContest(state);
  state.result_text = state.html_result ? FormatResultHtml(heading, summary)
                                        : FormatResultText(heading, summary);
  // A refused write changes nothing else.
  settings::WriteInt("Claimed", summary.score);

  std::string notice;
  if (state.cabrillo_requested != 0) {
    const CabrilloLog log =
        BuildCabrilloLog(state.cabrillo, state.claimed_score, state.host_version, state.store);
    // The file is written from this copy, and the box may stay open for
    // long: the window thread goes on meanwhile.
    lock.unlock();
    notice = WriteCabrilloLog(log);
  } else {
    lock.unlock();
  }
  // Files that could not be written in this run are told in the same box.
  const std::string failed = notices::TakePending();
  if (!failed.empty()) notice = notice.empty() ? failed : failed + "\r\n" + notice;
  if (!notice.empty()) {
    Os().ShowMessage("Output", notice, kMbOk | kMbIconInformation, MessageOwner::kActiveWindow);
  }
  lock.lock();
  return state.result_text.c_str();
}

void StartContestRun(const RunStart& run) {
  {
    std::lock_guard lock(ContestLock());
    ContestState& state = Contest();
    state.host_folder = run.host_folder;
    state.start_date_text = FormatDate(run.start, "%d.%m");
    state.contest_year = FormatDate(run.start, "%Y");
    state.end_date_text = FormatDate(run.end, "%d.%m.%Y");
    ReadHostVersion(state);
    state.store.Clear();
    state.own_country = run.own_country;
    state.own_call = run.own_call;
    if (std::find(kRussianCountries.begin(), kRussianCountries.end(), run.own_country) !=
        kRussianCountries.end()) {
      state.russian = true;
    }
    if (run.own_country == "ON") {
      state.on_station = true;
      state.on_section = settings::Read("ON_Section");
    }
    state.bands_seen.clear();
    state.cabrillo_requested = run.cabrillo;
  }

  ui::ResetInfoRows();

  // The header form is modal: it runs without the lock.
  if (run.cabrillo != 0) {
    PrepareCabrilloHeader(run.own_call);
    settings::Write("Start", "1");
  }

  // "Start" toggles from run to run: a run that starts the window thread
  // stores 1, and the next run only resets it to 0.
  const int start_value = settings::ReadInt("Start");
  {
    std::lock_guard lock(ContestLock());
    Contest().start_value = start_value;
  }
  if (start_value != 0) {
    settings::Write("Start", "0");
  } else if (!ui::IsPreviousQsoWindowOpen()) {
    ui::StartWindowThread();
    settings::Write("Start", "1");
  }

  std::lock_guard lock(ContestLock());
  ContestState& state = Contest();
  // A contest end that is no date gives no journal name: the journal is
  // kept and counted, but no file is written.
  if (CivilTime end; run.end.status != OleDate::Status::kNull && !ToCivil(run.end, &end)) {
    state.journal_file_name.clear();
    state.journal.CreateWithoutFile(JournalFileName("<end date>"),
                                    "the contest's end date is not a valid date");
    return;
  }
  state.journal_file_name = JournalFileName(FormatDate(run.end, kJournalDayFormat));
  state.journal.Create(state.journal_file_name);
}

}  // namespace stats
