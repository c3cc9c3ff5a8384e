#include "workers.h"

#include <algorithm>
#include <charconv>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>

#include "host_rules.h"
#include "input.h"
#include "child_process.h"

namespace crosscheck {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kJobHeading = "stats-crosscheck scoring job 1";

// Tabs, line ends and every other control byte, and the backslash, as
// \xHH: a field never breaks its line, and Windows' text streams leave it
// as it is.
std::string Escape(std::string_view text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || c == '\\') {
      out += "\\x";
      out.push_back(digits[b >> 4]);
      out.push_back(digits[b & 0xF]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 3 >= text.size() || text[i + 1] != 'x') return std::nullopt;
    const int high = HexDigit(text[i + 2]), low = HexDigit(text[i + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 3;
  }
  return out;
}

std::string PathText(const fs::path& path) {
  const std::u8string u = path.u8string();
  return Escape(std::string(u.begin(), u.end()));
}

std::optional<fs::path> TextPath(std::string_view text) {
  const std::optional<std::string> plain = Unescape(text);
  if (!plain) return std::nullopt;
  return fs::path(std::u8string(plain->begin(), plain->end()));
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t from = 0;
  for (;;) {
    const size_t tab = line.find('\t', from);
    fields.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
    if (tab == std::string_view::npos) return fields;
    from = tab + 1;
  }
}

template <typename T>
std::optional<T> Number(std::string_view text) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// The lines of a text, a line end of "\r\n" taken as "\n".
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

void Put(std::FILE* to, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), to);
  std::fflush(to);
}

}  // namespace

std::string WriteScoreJob(const ScoreJob& job) {
  std::string text = std::string(kJobHeading) + "\n";
  text += "plugin\t" + PathText(job.plugin) + "\n";
  text += "cty\t" + PathText(job.cty) + "\n";
  text += "period\t" + std::to_string(job.period_start) + "\t" + std::to_string(job.period_end) + "\n";
  for (const ScoreJob::Entry& e : job.entries) {
    std::string removed;
    for (const size_t i : e.removed) {
      if (!removed.empty()) removed += ',';
      removed += std::to_string(i);
    }
    text += "log\t" + std::to_string(e.task) + "\t" + std::to_string(e.qsos) + "\t" + Escape(e.call) + "\t" +
            Escape(e.name) + "\t" + Escape(e.path) + "\t" + PathText(e.file) + "\t" +
            (removed.empty() ? "-" : removed) + "\n";
  }
  return text + "end\n";
}

std::optional<ScoreJob> ReadScoreJob(const std::string& text, std::string* error) {
  const std::vector<std::string_view> lines = Lines(text);
  ScoreJob job;
  bool plugin = false, cty = false, period = false, ended = false;
  for (size_t n = 0; n < lines.size(); ++n) {
    const auto bad = [&](const std::string& what) {
      *error = "the scoring job's line " + std::to_string(n + 1) + " " + what;
      return std::nullopt;
    };
    if (ended) return bad("comes after its end");
    if (n == 0) {
      if (lines[0] != kJobHeading) return bad("is not \"" + std::string(kJobHeading) + "\"");
      continue;
    }
    const std::vector<std::string_view> f = Fields(lines[n]);
    if (f[0] == "end" && f.size() == 1) {
      ended = true;
    } else if ((f[0] == "plugin" || f[0] == "cty") && f.size() == 2) {
      const std::optional<fs::path> path = TextPath(f[1]);
      if (!path) return bad("has a bad path");
      (f[0] == "plugin" ? job.plugin : job.cty) = *path;
      (f[0] == "plugin" ? plugin : cty) = true;
    } else if (f[0] == "period" && f.size() == 3) {
      const std::optional<int64_t> start = Number<int64_t>(f[1]), end = Number<int64_t>(f[2]);
      if (!start || !end || *end <= *start) return bad("has no period");
      job.period_start = *start;
      job.period_end = *end;
      period = true;
    } else if (f[0] == "log" && f.size() == 8) {
      ScoreJob::Entry e;
      const std::optional<size_t> task = Number<size_t>(f[1]), qsos = Number<size_t>(f[2]);
      std::optional<std::string> call = Unescape(f[3]), name = Unescape(f[4]), path = Unescape(f[5]);
      const std::optional<fs::path> file = TextPath(f[6]);
      if (!task || !qsos || !call || !name || !path || !file) return bad("is no log");
      e.task = *task;
      e.qsos = *qsos;
      e.call = std::move(*call);
      e.name = std::move(*name);
      e.path = std::move(*path);
      e.file = *file;
      if (f[7] != "-") {
        size_t from = 0;
        for (;;) {
          const size_t comma = f[7].find(',', from);
          const std::optional<size_t> i = Number<size_t>(f[7].substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
          if (!i || *i >= e.qsos) return bad("takes out a line the log does not have");
          e.removed.push_back(*i);
          if (comma == std::string_view::npos) break;
          from = comma + 1;
        }
      }
      job.entries.push_back(std::move(e));
    } else {
      return bad("is not understood");
    }
  }
  if (!ended || !plugin || !cty || !period) {
    *error = "the scoring job is not whole";
    return std::nullopt;
  }
  return job;
}

std::string WriteScoreAnswer(const ScoreAnswer& answer) {
  const std::string task = answer.whole_job ? "*" : std::to_string(answer.task);
  if (!answer.scores) return "failed\t" + task + "\t" + Escape(answer.error) + "\n";
  std::string line = "scored\t" + task;
  for (const Score& s : *answer.scores) {
    line += "\t" + std::to_string(s.value) + " " + std::to_string(s.points) + " " + std::to_string(s.multipliers) +
            " " + std::to_string(s.qso_value);
  }
  return line + "\n";
}

std::optional<ScoreAnswer> ReadScoreAnswer(const std::string& line) {
  const std::vector<std::string_view> f = Fields(line);
  if (f.size() < 2) return std::nullopt;
  ScoreAnswer a;
  if (f[0] == "failed" && f.size() == 3) {
    a.whole_job = f[1] == "*";
    if (!a.whole_job) {
      const std::optional<size_t> task = Number<size_t>(f[1]);
      if (!task) return std::nullopt;
      a.task = *task;
    }
    std::optional<std::string> error = Unescape(f[2]);
    if (!error) return std::nullopt;
    a.error = std::move(*error);
    return a;
  }
  if (f[0] != "scored" || f.size() < 3) return std::nullopt;
  const std::optional<size_t> task = Number<size_t>(f[1]);
  if (!task) return std::nullopt;
  a.task = *task;
  std::vector<Score> scores;
  for (size_t k = 2; k < f.size(); ++k) {
    Score s;
    long* parts[] = {&s.value, &s.points, &s.multipliers, &s.qso_value};
    std::string_view rest = f[k];
    for (long* part : parts) {
      const size_t blank = rest.find(' ');
      const std::optional<long> v = Number<long>(rest.substr(0, blank));
      if (!v) return std::nullopt;
      *part = *v;
      rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
      if (blank == std::string_view::npos && part != parts[3]) return std::nullopt;
    }
    if (!rest.empty()) return std::nullopt;
    scores.push_back(s);
  }
  a.scores = std::move(scores);
  return a;
}

int RunScoreWorker(std::FILE* in, std::FILE* out, std::FILE* err) {
  std::string text;
  char buffer[1 << 16];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
  const auto fail = [&](const std::string& message) {
    Put(out, WriteScoreAnswer({true, 0, std::nullopt, message}));
    Put(err, "stats-crosscheck: scoring process: " + replay::Printable(message) + "\n");
    return 1;
  };
  std::string error;
  const std::optional<ScoreJob> job = ReadScoreJob(text, &error);
  if (!job) return fail(error);
  std::string cty_text;
  if (!replay::ReadRegularFile(job->cty.string(), &cty_text, &error)) {
    return fail("cannot read the country file " + job->cty.string() + ": " + error);
  }
  std::error_code ec;
  const fs::path folder = fs::current_path(ec);
  if (ec) return fail("cannot tell its folder: " + ec.message());
  std::unique_ptr<PluginScorer> scorer =
      PluginScorer::Load(job->plugin, cty_text, folder, job->period_start, job->period_end, &error);
  if (!scorer) return fail(error);
  int status = 0;
  for (const ScoreJob::Entry& e : job->entries) {
    StationLog log;
    log.call = e.call;
    log.name = e.name;
    log.path = e.path;
    log.file = e.file;
    log.qsos.resize(e.qsos);
    ScoreAnswer answer;
    answer.task = e.task;
    answer.scores = scorer->Removals(log, e.removed, &answer.error);
    if (!answer.scores) status = 1;
    Put(out, WriteScoreAnswer(answer));
  }
  return status;
}

std::vector<TaskOutcome> ScoreInProcesses(const fs::path& program, const fs::path& plugin, const fs::path& cty,
                                          int64_t period_start, int64_t period_end,
                                          const std::vector<StationLog>& logs, const std::vector<ScoreTask>& tasks,
                                          unsigned processes, const fs::path& work,
                                          const std::function<void()>& scored) {
  std::vector<TaskOutcome> outcomes(tasks.size());
  processes = std::max(1u, std::min<unsigned>(processes, static_cast<unsigned>(tasks.size())));
  // The largest logs first, each to the process with the fewest QSOs yet.
  std::vector<size_t> by_size(tasks.size());
  std::iota(by_size.begin(), by_size.end(), size_t{0});
  std::stable_sort(by_size.begin(), by_size.end(), [&](size_t a, size_t b) {
    return logs[tasks[a].log].qsos.size() > logs[tasks[b].log].qsos.size();
  });
  std::vector<ScoreJob> jobs(processes);
  std::vector<size_t> load(processes, 0);
  for (const size_t t : by_size) {
    const size_t p = static_cast<size_t>(std::min_element(load.begin(), load.end()) - load.begin());
    const StationLog& log = logs[tasks[t].log];
    load[p] += log.qsos.size() + 1;
    jobs[p].entries.push_back({t, log.qsos.size(), log.call, log.name, log.path, log.file, tasks[t].removed});
  }
  std::vector<std::jthread> readers;
  for (unsigned p = 0; p < processes; ++p) {
    ScoreJob& job = jobs[p];
    job.plugin = plugin;
    job.cty = cty;
    job.period_start = period_start;
    job.period_end = period_end;
    std::sort(job.entries.begin(), job.entries.end(),
              [](const ScoreJob::Entry& a, const ScoreJob::Entry& b) { return a.task < b.task; });
    const fs::path folder = work / ("scorer-" + std::to_string(p + 1));
    std::error_code ec;
    fs::create_directories(folder, ec);
    std::string error;
    std::unique_ptr<sys::ChildProcess> child;
    if (!ec) child = sys::ChildProcess::Start(program, {kScoreWorkerOption}, folder, &error);
    if (!child) continue;  // its tasks are left unstarted
    for (const ScoreJob::Entry& e : job.entries) outcomes[e.task].started = true;
    readers.emplace_back([&outcomes, &job, &scored, text = WriteScoreJob(job), child = std::move(child)] {
      const bool sent = child->Write(text);
      child->CloseInput();
      std::string pending;
      std::string whole_job_error;
      const auto take = [&](const std::string& line) {
        const std::optional<ScoreAnswer> a = ReadScoreAnswer(line);
        if (!a) return;
        if (a->whole_job) {
          whole_job_error = a->error;
          return;
        }
        // Only a task of this job: another thread fills the others.
        const auto mine = std::lower_bound(job.entries.begin(), job.entries.end(), a->task,
                                           [](const ScoreJob::Entry& e, size_t task) { return e.task < task; });
        if (mine == job.entries.end() || mine->task != a->task) return;
        TaskOutcome& o = outcomes[a->task];
        if (o.scores || !o.error.empty()) return;
        o.scores = a->scores;
        o.error = a->error;
        if (scored) scored();
      };
      char buffer[1 << 14];
      for (size_t n; (n = child->Read(buffer, sizeof buffer)) > 0;) {
        pending.append(buffer, n);
        size_t from = 0;
        for (size_t end; (end = pending.find('\n', from)) != std::string::npos; from = end + 1) {
          std::string line = pending.substr(from, end - from);
          if (!line.empty() && line.back() == '\r') line.pop_back();
          take(line);
        }
        pending.erase(0, from);
      }
      std::string how;
      const int status = child->Wait(&how);
      std::string why = !whole_job_error.empty() ? whole_job_error
                        : !sent                  ? "its scoring process did not take its job"
                        : status < 0             ? "its scoring process " + how
                                                 : "its scoring process ended with status " + std::to_string(status) +
                                         " before it was scored";
      for (const ScoreJob::Entry& e : job.entries) {
        TaskOutcome& o = outcomes[e.task];
        if (!o.scores && o.error.empty()) o.error = "cannot score " + e.path + ": " + why;
      }
    });
  }
  readers.clear();  // joins
  return outcomes;
}

}  // namespace crosscheck
