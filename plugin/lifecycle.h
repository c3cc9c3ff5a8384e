// The start of a contest run (ResetStats0) and what the other exports hand on
// to, in the project's own types.
#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "plugin/contest.h"
#include "model/oledate.h"
#include "rules/intake.h"
#include "rules/score.h"

namespace stats {

struct RunStart {
  std::string host_folder;  // ends with a path separator; "*.ini" is appended
  int cabrillo = 0;         // nonzero: a Cabrillo log is wanted
  std::string own_call;
  OleDate start;
  OleDate end;
  std::string own_country;
};

// Starts a contest run.  Takes the contest-state lock itself, and lets go of
// it while the header form is open and while the window thread is started.
void StartContestRun(const RunStart& run);

// Prepares the header record for own_call and runs the header form; true
// when the operator confirmed it.  A cancelled form clears the Cabrillo
// request flag.  Runs without the contest-state lock held (the form is
// modal), and takes it itself while it touches the state.
bool PrepareCabrilloHeader(const std::string& own_call);

// Removes one QSO (rules/intake.h); once the store is empty the worked lists
// are emptied too.  Called with the contest-state lock held.
void RemoveContestQso(ContestState& state, const QsoArgs& qso);

// Scores the contest, keeps the claimed score and takes over the worked
// lists of the bands that have a row.  Called with the lock held.
ScoreSummary ScoreContest(ContestState& state);

// GetResult0: builds the result text (text or HTML form) into the contest
// state, writes the claimed score to the settings file and, when a Cabrillo
// log is wanted, writes it and tells the operator.  Called with the lock
// held; lets go of it while the log is written and the message box is open,
// and holds it again when it returns.  Returns the text for the host.
const char* AnswerResultRequest(std::unique_lock<std::mutex>& lock);

// The host version text from the host's settings file: the rest of the first
// line that contains "Zelk=", from its sixth character on; nullopt when the
// file has no such line.
std::optional<std::string> HostVersionFromIni(const std::string& contents);

inline constexpr const char* kDefaultHostVersion = "Zelk";

}  // namespace stats
