#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <filesystem>
#include <string>

#include "system.h"
#include "workers.h"

namespace crosscheck {

// The test program stands in for stats-crosscheck's scoring process when
// it is started with kScoreWorkerOption (see main below): it answers as
// the name of the job's plug-in says.
//   all:       every entry scored, each score's value its task
//   one-then-3: the first entry scored, then exit status 3
//   whole:     the whole job failed
//   stray:     first answers for tasks of other jobs (a value of 99), then
//              as "all"
int FakeScoreWorker() {
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;) text.append(buffer, n);
  std::string error;
  const std::optional<ScoreJob> job = ReadScoreJob(text, &error);
  if (!job) {
    std::fprintf(stderr, "fake scoring process: %s\n", error.c_str());
    return 2;
  }
  const std::string mode = job->plugin.filename().string();
  if (mode == "whole") {
    const std::string line = WriteScoreAnswer({true, 0, std::nullopt, "no plug-in here"});
    std::fwrite(line.data(), 1, line.size(), stdout);
    return 1;
  }
  if (mode == "stray") {
    for (size_t task = 0; task < 10; ++task) {
      if (std::any_of(job->entries.begin(), job->entries.end(), [&](const ScoreJob::Entry& e) { return e.task == task; })) {
        continue;
      }
      const std::string line = WriteScoreAnswer({false, task, std::vector<Score>(1, Score{99, 1, 1, 1}), ""});
      std::fwrite(line.data(), 1, line.size(), stdout);
    }
  }
  for (const ScoreJob::Entry& e : job->entries) {
    ScoreAnswer a;
    a.task = e.task;
    a.scores = std::vector<Score>(e.removed.size() + 1, Score{static_cast<long>(e.task), 1, 1, 1});
    const std::string line = WriteScoreAnswer(a);
    std::fwrite(line.data(), 1, line.size(), stdout);
    if (mode == "one-then-3") return 3;
  }
  return 0;
}

namespace {

namespace fs = std::filesystem;

TEST(ScoreJobs, ReadBackAsWritten) {
  ScoreJob job;
  job.plugin = fs::path(u8"/opt/stats/Plug ins/Stats.so");
  job.cty = fs::path(u8"C:\\Program Files\\cty.dat");
  job.period_start = 66000 * 1440;
  job.period_end = job.period_start + 1440;
  // Texts with tabs, line ends, backslashes and bytes beyond ASCII stay whole.
  job.entries.push_back({7, 3, "ON4ABC", "on4\tabc.cbr", "logs/on4\nabc.cbr", fs::path(u8"/logs/\u00e9t\u00e9\\x41.log"), {2, 0}});
  job.entries.push_back({2, 0, "OT5Z", "ot5z.log", "ot5z.log", fs::path("/logs/ot5z.log"), {}});
  const std::string text = WriteScoreJob(job);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 7) << text;
  std::string error;
  const std::optional<ScoreJob> back = ReadScoreJob(text, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->plugin, job.plugin);
  EXPECT_EQ(back->cty, job.cty);
  EXPECT_EQ(back->period_start, job.period_start);
  EXPECT_EQ(back->period_end, job.period_end);
  ASSERT_EQ(back->entries.size(), 2u);
  const ScoreJob::Entry& e = back->entries[0];
  EXPECT_EQ(e.task, 7u);
  EXPECT_EQ(e.qsos, 3u);
  EXPECT_EQ(e.name, "on4\tabc.cbr");
  EXPECT_EQ(e.path, "logs/on4\nabc.cbr");
  EXPECT_EQ(e.file, job.entries[0].file);
  EXPECT_EQ(e.removed, (std::vector<size_t>{2, 0}));
  EXPECT_TRUE(back->entries[1].removed.empty());
  // Windows' text streams write "\r\n".
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(ReadScoreJob(crlf, &error)) << error;
}

TEST(ScoreJobs, WhatIsNoWholeJobIsRefused) {
  ScoreJob job;
  job.plugin = "/p/Stats.so";
  job.cty = "/p/cty.dat";
  job.period_start = 10;
  job.period_end = 20;
  job.entries.push_back({0, 2, "ON4ABC", "a.log", "a.log", "/a.log", {1}});
  const std::string text = WriteScoreJob(job);
  std::string error;
  // Cut short: no "end".
  EXPECT_FALSE(ReadScoreJob(text.substr(0, text.size() - 4), &error));
  EXPECT_EQ(error, "the scoring job is not whole");
  EXPECT_FALSE(ReadScoreJob("stats-crosscheck scoring job 2\n" + text.substr(text.find('\n') + 1), &error));
  EXPECT_NE(error.find("line 1"), std::string::npos) << error;
  // A line the log does not have.
  std::string beyond = text;
  beyond.replace(beyond.find("\t1\nend"), 6, "\t2\nend");
  EXPECT_FALSE(ReadScoreJob(beyond, &error));
  EXPECT_EQ(error, "the scoring job's line 5 takes out a line the log does not have");
  EXPECT_FALSE(ReadScoreJob(text + "log\t1\n", &error));
  EXPECT_FALSE(ReadScoreJob(text.substr(0, text.find("period")) + "period\t20\t10\n" +
                                text.substr(text.find("log\t")), &error));
  std::string bad_escape = text;
  bad_escape.replace(bad_escape.find("/a.log"), 1, "\\x4");
  EXPECT_FALSE(ReadScoreJob(bad_escape, &error));
}

TEST(ScoreAnswers, ReadBackAsWritten) {
  ScoreAnswer a;
  a.task = 12;
  a.scores = std::vector<Score>{{88128, 288, 306, 306}, {-1, 0, 1, 1}};
  std::optional<ScoreAnswer> back = ReadScoreAnswer(WriteScoreAnswer(a).substr(0, WriteScoreAnswer(a).size() - 1));
  ASSERT_TRUE(back && back->scores);
  EXPECT_EQ(back->task, 12u);
  ASSERT_EQ(back->scores->size(), 2u);
  EXPECT_EQ((*back->scores)[0].value, 88128);
  EXPECT_EQ((*back->scores)[0].multipliers, 306);
  EXPECT_EQ((*back->scores)[1].value, -1);
  const std::string failed = WriteScoreAnswer({false, 3, std::nullopt, "cannot score a.log:\tgone\n"});
  back = ReadScoreAnswer(failed.substr(0, failed.size() - 1));
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->scores);
  EXPECT_EQ(back->error, "cannot score a.log:\tgone\n");
  back = ReadScoreAnswer("failed\t*\tno plug-in");
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->whole_job);
  for (const char* bad : {"", "scored", "scored\t1", "scored\t1\t1 2 3", "scored\t1\t1 2 3 4 5", "scored\tx\t1 2 3 4",
                          "scored\t1\t1 2 3 4\t", "failed\t1", "hello\t1\t2"}) {
    EXPECT_FALSE(ReadScoreAnswer(bad)) << bad;
  }
}

class ScoringProcesses : public testing::Test {
 protected:
  void SetUp() override {
    work_ = fs::temp_directory_path() / ("crosscheck-workers-" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::remove_all(work_);
    fs::create_directories(work_);
    for (int i = 0; i < 5; ++i) {
      StationLog log;
      log.call = "ON4A" + std::string(1, static_cast<char>('A' + i));
      log.name = log.path = log.call + ".log";
      log.file = work_ / log.name;
      log.qsos.resize(static_cast<size_t>(10 * (i + 1)));
      logs_.push_back(log);
      tasks_.push_back({static_cast<size_t>(i), std::vector<size_t>(static_cast<size_t>(i), 0)});
    }
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(work_, ec);
  }
  std::vector<TaskOutcome> Score(const char* mode, unsigned processes, size_t* told = nullptr) {
    std::mutex lock;
    return ScoreInProcesses(replay::sys::ProgramPath(), fs::path("fake") / mode, "/no/cty.dat", 0, 1440, logs_, tasks_,
                            processes, work_, [&] {
                              const std::lock_guard<std::mutex> hold(lock);
                              if (told) ++*told;
                            });
  }
  fs::path work_;
  std::vector<StationLog> logs_;
  std::vector<ScoreTask> tasks_;
};

TEST_F(ScoringProcesses, EveryTaskComesBackToItsPlace) {
  size_t told = 0;
  const std::vector<TaskOutcome> outcomes = Score("all", 3, &told);
  ASSERT_EQ(outcomes.size(), 5u);
  EXPECT_EQ(told, 5u);
  for (size_t t = 0; t < outcomes.size(); ++t) {
    ASSERT_TRUE(outcomes[t].started);
    ASSERT_TRUE(outcomes[t].scores) << outcomes[t].error;
    EXPECT_EQ(outcomes[t].scores->size(), t + 1);
    EXPECT_EQ(outcomes[t].scores->front().value, static_cast<long>(t));
  }
  // An answer for a task of another process is not taken.
  const std::vector<TaskOutcome> strays = Score("stray", 2);
  for (size_t t = 0; t < strays.size(); ++t) {
    ASSERT_TRUE(strays[t].scores) << strays[t].error;
    EXPECT_EQ(strays[t].scores->front().value, static_cast<long>(t));
  }
  // Each process had a folder of its own.
  EXPECT_TRUE(fs::is_directory(work_ / "scorer-1"));
  EXPECT_TRUE(fs::is_directory(work_ / "scorer-3"));
  EXPECT_FALSE(fs::exists(work_ / "scorer-4"));
}

TEST_F(ScoringProcesses, AProcessThatStopsLeavesItsOtherTasksFailedAndSaysHow) {
  const std::vector<TaskOutcome> outcomes = Score("one-then-3", 1);
  // A process scores its tasks in their order.
  ASSERT_TRUE(outcomes[0].scores);
  for (size_t t = 1; t < 5; ++t) {
    EXPECT_FALSE(outcomes[t].scores);
    EXPECT_EQ(outcomes[t].error, "cannot score " + logs_[t].path +
                                     ": its scoring process ended with status 3 before it was scored");
  }
  const std::vector<TaskOutcome> whole = Score("whole", 2);
  for (size_t t = 0; t < 5; ++t) EXPECT_EQ(whole[t].error, "cannot score " + logs_[t].path + ": no plug-in here");
}

TEST_F(ScoringProcesses, NoProgramLeavesTheTasksUnstarted) {
  const std::vector<TaskOutcome> outcomes =
      ScoreInProcesses(work_ / "no-such-program", "/p", "/c", 0, 1440, logs_, tasks_, 2, work_);
  for (const TaskOutcome& o : outcomes) {
    EXPECT_FALSE(o.started);
    EXPECT_FALSE(o.scores);
  }
}

}  // namespace
}  // namespace crosscheck

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == crosscheck::kScoreWorkerOption) return crosscheck::FakeScoreWorker();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
