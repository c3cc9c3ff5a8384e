// Scoring in processes of the program's own.  The plug-in holds one
// contest per process, and its settings file and journal are files of the
// process's current folder: so that entrants are scored side by side, each
// scoring process runs in a folder of its own, loads the plug-in there and
// scores the entrants it is given, one after another, exactly as the
// program scores them itself.
//
// The parent hands a process its job on standard input; the process
// answers on standard output, one line per entrant as soon as it is
// scored.  Both are text, one record a line, fields apart by tabs, control
// bytes, tabs and backslashes escaped:
//
//   job:     stats-crosscheck scoring job 1
//            plugin <path>
//            cty <path>
//            period <first minute> <first minute after>
//            log <task> <QSO lines> <call> <name> <path> <file> <lines taken out, comma-separated, or ->
//            ...
//            end
//   answer:  scored <task> <score>... (value points multipliers qso-value, blank-separated)
//            failed <task or *> <message>
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "logs.h"
#include "score.h"

namespace crosscheck {

inline constexpr const char* kScoreWorkerOption = "--score-worker";

// One entrant to score: its log and the lines taken out, in order.
struct ScoreTask {
  size_t log = 0;  // index into the logs
  std::vector<size_t> removed;
};

struct ScoreJob {
  std::filesystem::path plugin;
  std::filesystem::path cty;
  int64_t period_start = 0, period_end = 0;
  struct Entry {
    size_t task = 0;
    size_t qsos = 0;
    std::string call, name, path;
    std::filesystem::path file;
    std::vector<size_t> removed;
  };
  std::vector<Entry> entries;
};

std::string WriteScoreJob(const ScoreJob& job);
// Nullopt with *error set when the text is no whole job.
std::optional<ScoreJob> ReadScoreJob(const std::string& text, std::string* error);

// One line of a process's answer.
struct ScoreAnswer {
  bool whole_job = false;  // a failure of the whole job ("failed *")
  size_t task = 0;
  std::optional<std::vector<Score>> scores;  // nullopt: failed, with `error`
  std::string error;
};
std::string WriteScoreAnswer(const ScoreAnswer& answer);
std::optional<ScoreAnswer> ReadScoreAnswer(const std::string& line);

// The scoring process: reads its job from `in`, answers on `out`.  Its
// exit status is 0 when every entrant was scored.
int RunScoreWorker(std::FILE* in, std::FILE* out, std::FILE* err);

struct TaskOutcome {
  bool started = false;  // false: no process could be started for it
  std::optional<std::vector<Score>> scores;
  std::string error;  // when started and not scored
};

// Scores the tasks in `processes` processes of `program` (which runs
// RunScoreWorker when given kScoreWorkerOption), each in its own folder
// under `work`; the tasks are shared out by their logs' sizes.  `scored`
// (may be empty) is told of each entrant scored, from the thread that
// reads its process's answers.  One outcome per task, in task order.
std::vector<TaskOutcome> ScoreInProcesses(const std::filesystem::path& program, const std::filesystem::path& plugin,
                                          const std::filesystem::path& cty, int64_t period_start,
                                          int64_t period_end, const std::vector<StationLog>& logs,
                                          const std::vector<ScoreTask>& tasks, unsigned processes,
                                          const std::filesystem::path& work,
                                          const std::function<void()>& scored = {});

}  // namespace crosscheck
