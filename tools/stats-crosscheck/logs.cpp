#include "logs.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "host_rules.h"
#include "input.h"
#include "parallel.h"

namespace crosscheck {
namespace {

namespace fs = std::filesystem;

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    const size_t start = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t') ++pos;
    if (pos > start) tokens.push_back(text.substr(start, pos - start));
  }
  return tokens;
}

class Collector final : public replay::LogReceiver {
 public:
  Collector(const ContestDefinition& contest, StationLog* log) : contest_(contest), log_(log) {}
  void OnQso(const replay::LogQso& q) override {
    Qso qso;
    qso.line = q.line;
    qso.call = replay::Upper(replay::Trim(q.call));
    qso.time = q.time;
    qso.minute = MinuteOf(q.time);
    qso.band_text = q.band;
    qso.mode_text = q.mode;
    qso.band = contest_.BandIndex(q.band);
    qso.mode = contest_.ModeIndex(q.mode);
    qso.sent = ExchangeColumns(contest_, q.rst_sent, q.exchange_sent);
    qso.received = ExchangeColumns(contest_, q.rst_received, q.exchange_received);
    if (first_own_call_.empty()) first_own_call_ = replay::Upper(replay::Trim(q.own_call));
    log_->qsos.push_back(std::move(qso));
  }
  void OnProblem(const replay::ReadProblem& problem) override { log_->problems.push_back(problem); }
  void OnHeader(const replay::HeaderLine& header) override {
    if (header.tag == "CLAIMED-SCORE") log_->claimed_score = header.value;
    if (header.tag == "CATEGORY" || header.tag.rfind("CATEGORY-", 0) == 0) {
      if (!log_->category.empty()) log_->category.push_back(' ');
      log_->category.append(replay::Upper(header.value));
    }
  }
  std::string first_own_call_;

 private:
  static int64_t MinuteOf(const replay::QsoTime& t) {
    const replay::QsoTime day = t.Midnight();
    const auto days = static_cast<int64_t>(day.OleDays() + 0.5);
    return days * 1440 + t.hour * 60 + t.minute;
  }
  const ContestDefinition& contest_;
  StationLog* log_;
};

}  // namespace

std::vector<std::string> ListLogFiles(const std::vector<std::string>& arguments,
                                      std::vector<std::string>* missing) {
  std::vector<std::string> files;
  for (const std::string& argument : arguments) {
    std::error_code ec;
    if (fs::is_directory(argument, ec)) {
      for (fs::directory_iterator it(argument, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code type_ec;
        if (it->is_regular_file(type_ec)) files.push_back(it->path().string());
      }
      if (ec) missing->push_back(argument + ": " + ec.message());
    } else if (fs::exists(argument, ec)) {
      files.push_back(argument);
    } else {
      missing->push_back(argument + ": no such file or folder");
    }
  }
  std::sort(files.begin(), files.end());
  files.erase(std::unique(files.begin(), files.end()), files.end());
  return files;
}

std::string ExchangeColumns(const ContestDefinition& contest, const std::string& rst,
                            const std::string& exchange) {
  std::vector<std::string_view> columns = Tokens(exchange);
  // A Cabrillo half of three columns is read as call, RST and exchange: in
  // a contest without an RST its "RST" is the first exchange column.
  if (!contest.rst && columns.size() + 1 == contest.exchange.size() && !rst.empty()) {
    columns.insert(columns.begin(), rst);
  }
  std::string text;
  for (std::string_view c : columns) {
    if (!text.empty()) text.push_back(' ');
    text.append(replay::Upper(c));
  }
  return text;
}

StationLog ReadStationLog(const std::string& path, const ContestDefinition& contest) {
  StationLog log;
  log.path = path;
  log.name = fs::path(path).filename().string();
  std::error_code ec;
  log.file = fs::absolute(path, ec);
  log.written = fs::last_write_time(path, ec);
  std::string error;
  std::unique_ptr<replay::FileSource> source = replay::FileSource::Open(path, &error);
  if (!source) {
    log.error = error;
    return log;
  }
  const bool cabrillo = replay::DetectFormat(log.name, *source) == replay::LogFormat::kCabrillo;
  source = replay::FileSource::Open(path, &error);
  if (!source) {
    log.error = error;
    return log;
  }
  Collector collector(contest, &log);
  const std::string own_call =
      cabrillo ? replay::StreamCabrillo(*source, collector) : replay::StreamAdif(*source, collector);
  if (!source->Error().empty()) log.error = source->Error();
  log.call = replay::Upper(replay::Trim(own_call));
  if (log.call.empty()) log.call = collector.first_own_call_;
  return log;
}

std::vector<StationLog> ReadStationLogs(const std::vector<std::string>& paths,
                                        const ContestDefinition& contest, unsigned threads,
                                        const std::function<void()>& read) {
  std::vector<StationLog> logs(paths.size());
  ForEachIndex(paths.size(), threads, [&](size_t i) {
    logs[i] = ReadStationLog(paths[i], contest);
    if (read) read();
  });
  return logs;
}

}  // namespace crosscheck
