#include "replay.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <system_error>

#include "blocks.h"
#include "check.h"
#include "cty.h"
#include "host_rules.h"
#include "input.h"
#include "log.h"
#include "options.h"
#include "period.h"
#include "plugin.h"
#include "system.h"
#include "workfiles.h"
#include "wpx.h"

namespace replay {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "stats-replay";
// From this size on (about 20 000 QSOs) an ADIF log is read in two halves.
constexpr uint64_t kAdifInTwo = uint64_t{4} << 20;

void Write(std::FILE* out, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out);
}

// Every message shows control bytes escaped: texts from a log or a file
// name never reach the terminal as control codes.
void Complain(std::FILE* err, const std::string& text) {
  Write(err, std::string(kProgram) + ": " + Printable(text) + "\n");
}

void Report(std::FILE* err, const std::string& file, const std::vector<Finding>& findings) {
  for (const Finding& f : findings) {
    std::string where = "check: " + file;
    if (f.line > 0) where.append(":").append(std::to_string(f.line));
    Complain(err, where + ": " + f.text);
  }
}

OleDateTime HostDate(const std::optional<QsoTime>& time) {
  if (!time) return {0.0, 2};  // null
  return {time->OleDays(), 0};
}

fs::path DefaultPlugin() {
  const fs::path program = sys::ProgramPath();
  return program.empty() ? fs::path(STATS_LIBRARY_NAME)
                         : program.parent_path() / STATS_LIBRARY_NAME;
}

// The size and a 64-bit hash of a file's bytes, and its last bytes: enough
// to tell a file from the one that stood there before without holding
// either.
struct FileFacts {
  uint64_t size = 0;
  uint64_t hash = 0;
  std::string tail;  // the last kTail bytes
  static constexpr size_t kTail = 64;
  bool operator==(const FileFacts& other) const {
    return size == other.size && hash == other.hash;
  }
};

// FNV-1a over the file's bytes taken eight at a time as one 64-bit word; a
// word may begin in one read and end in the next, so the hash depends on
// the bytes alone, however the reads cut them.
class FileHasher {
 public:
  void Add(const char* bytes, size_t n) {
    size_t i = 0;
    while (pending_ != 0 && i < n) Take(bytes[i++]);
    for (; i + 8 <= n; i += 8) {
      uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      Mix(word);
    }
    while (i < n) Take(bytes[i++]);
  }
  uint64_t Finish() {
    if (pending_ != 0) Mix(word_ ^ (static_cast<uint64_t>(pending_) << 56));
    return hash_;
  }

 private:
  void Take(char byte) {
    word_ |= static_cast<uint64_t>(static_cast<unsigned char>(byte)) << (8 * pending_);
    if (++pending_ == 8) {
      Mix(word_);
      word_ = 0;
      pending_ = 0;
    }
  }
  void Mix(uint64_t word) { hash_ = (hash_ ^ word) * 1099511628211ull; }

  uint64_t hash_ = 14695981039346656037ull;
  uint64_t word_ = 0;
  unsigned pending_ = 0;
};

// The hash only when it is to be compared (hash false: size and tail).
bool ReadFacts(const fs::path& path, FileFacts* facts, bool hash = true) {
  std::string error;
  std::unique_ptr<FileSource> file = FileSource::Open(path, &error);
  if (!file) return false;
  std::string chunk(1 << 16, '\0');
  FileHasher hasher;
  while (const size_t n = file->Read(chunk.data(), chunk.size())) {
    if (hash) hasher.Add(chunk.data(), n);
    facts->size += n;
    if (n >= FileFacts::kTail) {
      facts->tail.assign(chunk, n - FileFacts::kTail, FileFacts::kTail);
    } else {
      facts->tail.append(chunk, 0, n);
      if (facts->tail.size() > FileFacts::kTail) facts->tail.erase(0, facts->tail.size() - FileFacts::kTail);
    }
  }
  if (hash) facts->hash = hasher.Finish();
  return file->Error().empty();
}

// The reading of the log: its problems, the number of its QSOs and the
// first and last time, the check when one is asked for, and the QSOs
// themselves, in the blocks they were read in, for the plug-in.  What the
// host works out for each QSO before handing it to AddData0 (its prefix and
// country) is worked out as the QSOs are handed on.
class LogSurvey final : public BlockVisitor {
 public:
  LogSurvey(std::unique_ptr<SubmissionCheck> check_, const CountryFile& countries)
      : check(std::move(check_)),
        countries_(countries),
        is_listed_([this](std::string_view part) { return countries_.IsListedPrefix(part); }) {}

  // Takes a block the reader filled.
  void Take(QsoBlock&& block) {
    block.Visit(*this);
    blocks.push_back(std::move(block));
  }
  void OnQso(const PackedQso& qso) override {
    if (qsos == 0 || qso.time < first) first = qso.time;
    if (qsos == 0 || last < qso.time) last = qso.time;
    ++qsos;
    if (check) check->OnQso(qso);
  }
  void OnProblem(const ReadProblem& problem) override { problems.push_back(problem); }
  void OnHeader(const HeaderLine& header) override {
    if (check) check->OnHeader(header);
  }

  // Gives each QSO with its prefix and country, in file order, and lets go
  // of each block once its QSOs are given.  The prefixes and countries of
  // the next blocks are worked out on a second thread meanwhile.
  template <typename Feed>
  void HandOn(Feed&& feed) {
    struct Noter final : BlockVisitor {
      const LogSurvey& survey;
      PackedTexts& notes;
      Noter(const LogSurvey& s, PackedTexts& n) : survey(s), notes(n) {}
      void OnQso(const PackedQso& qso) override { survey.Note(qso, notes); }
    };
    struct Feeder final : BlockVisitor {
      Feed& feed;
      PackedTexts::Reader notes;
      Feeder(Feed& f, const PackedTexts& texts) : feed(f), notes(texts) {}
      void OnQso(const PackedQso& qso) override {
        const std::string_view prefix = notes.Next();
        const std::string_view country = notes.Next();
        feed(qso, prefix, country);
      }
    };
    PrepareAhead(
        blocks,
        [this](QsoBlock& block) {
          block.notes.Reserve(QsoBlock::kSize / 8);
          Noter noter(*this, block.notes);
          block.Visit(noter);
        },
        [&feed](QsoBlock& block) {
          Feeder feeder(feed, block.notes);
          block.Visit(feeder);
          block.Release();
          block.notes = PackedTexts();
        });
  }

  std::unique_ptr<SubmissionCheck> check;
  std::vector<ReadProblem> problems;
  long long qsos = 0;
  QsoTime first, last;
  std::vector<QsoBlock> blocks;

 private:
  const CountryFile& countries_;
  const PrefixTest is_listed_;
  // The QSO's prefix and country, as the host works them out.
  void Note(const PackedQso& qso, PackedTexts& notes) const {
    if (qso.prefix.empty()) {
      notes.Add(WpxPrefix(qso.call, is_listed_));
    } else {
      notes.Add(qso.prefix);
    }
    notes.Add(countries_.CountryPrefix(qso.call));
  }
};

// An output file of the plug-in as it stood before the run.
struct OutputFile {
  std::string what;  // "the bad-QSO journal"
  fs::path path;
  bool existed = false;
  fs::file_time_type time;
  FileFacts facts;
};

OutputFile Before(const std::string& what, const fs::path& path) {
  OutputFile file;
  file.what = what;
  file.path = path;
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) {
    file.time = fs::last_write_time(path, ec);
    file.existed = !ec && ReadFacts(path, &file.facts);
  }
  return file;
}

// Whether the plug-in wrote the file in this run, whole: it is a regular
// file, it is not the one that stood there before (it is new, or its time or
// its contents changed), and it ends as a complete file of its kind ends.
bool WrittenWhole(const OutputFile& before, std::string_view ending) {
  std::error_code ec;
  if (!fs::is_regular_file(before.path, ec)) return false;
  FileFacts facts;
  // A file that did not stand there before is new: no hash to compare.
  if (!ReadFacts(before.path, &facts, before.existed)) return false;
  const fs::file_time_type time = fs::last_write_time(before.path, ec);
  if (ec) return false;
  if (before.existed && time == before.time && facts == before.facts) return false;
  const std::string_view tail = facts.tail;
  return tail.size() >= ending.size() && tail.substr(tail.size() - ending.size()) == ending;
}

// The figure that follows label in the result, text or HTML form; -1 when
// the result has no such figure.
long ResultFigure(const std::string& result, const std::string& label) {
  for (const std::string& before : {label + "\t ", label + "</center></th><td><center>"}) {
    const size_t at = result.find(before);
    if (at == std::string::npos) continue;
    size_t i = at + before.size();
    long value = 0;
    bool digits = false;
    for (; i < result.size() && result[i] >= '0' && result[i] <= '9' && value < 1000000000L; ++i) {
      value = value * 10 + (result[i] - '0');
      digits = true;
    }
    if (digits) return value;
  }
  return -1;
}

// The journal's lines after the header that are not duplicate reports.
long BadLines(const std::string& journal) {
  long count = 0;
  size_t start = journal.find("\r\n");
  while (start != std::string::npos && start + 2 < journal.size()) {
    const size_t end = journal.find("\r\n", start + 2);
    if (end == std::string::npos) break;
    const std::string_view line(journal.data() + start + 2, end - start - 2);
    const std::string_view dupe = "   DUPE !!!";
    if (line.size() < dupe.size() || line.substr(line.size() - dupe.size()) != dupe) ++count;
    start = end;
  }
  return count;
}

// The journal's name; without a known end the plug-in leaves the date out.
std::string JournalName(const std::optional<QsoTime>& end) {
  return end ? JournalFileName(*end) : std::string("BadQSO_RazadUREVARERE63_.txt");
}

}  // namespace

int Run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  std::string error;
  const std::optional<Options> parsed = ParseOptions(args, &error);
  if (!parsed) {
    Complain(err, error);
    Write(err, std::string("Try '") + kProgram + " --help' for more information.\n");
    return kExitUsage;
  }
  const Options& options = *parsed;
  if (options.help) {
    Write(out, UsageText());
    return kExitOk;
  }
  if (options.version) {
    Write(out, std::string(kProgram) + " " + STATS_REPLAY_VERSION + "\n");
    return kExitOk;
  }

  // Everything is read before the working folder is entered, so that
  // relative paths mean what they meant on the command line.
  std::string cty_text;
  if (!ReadRegularFile(options.cty, &cty_text, &error)) {
    Complain(err, "cannot read the country file " + options.cty + ": " + error +
                      (options.cty == kDefaultCountryFile
                           ? " (install the hamradio-files package, or name another with --cty)"
                           : ""));
    return kExitInput;
  }
  const std::optional<CountryFile> countries = CountryFile::Parse(cty_text, &error);
  if (!countries) {
    Complain(err, options.cty + ": " + error);
    return kExitInput;
  }
  // The log is read once, piece by piece, before the first QSO goes to the
  // plug-in: the run needs the problems, the own call, the first and last
  // day and the check first.  Its QSOs are kept packed until then.
  std::error_code absolute_ec;
  const fs::path log_path = fs::absolute(options.log_file, absolute_ec);
  const auto open_log = [&]() {
    std::unique_ptr<FileSource> source = FileSource::Open(log_path, &error);
    if (!source) Complain(err, "cannot read " + options.log_file + ": " + error);
    return source;
  };
  std::unique_ptr<FileSource> source = open_log();
  if (!source) return kExitInput;
  const bool cabrillo_input = DetectFormat(options.log_file, *source) == LogFormat::kCabrillo;
  const auto read_failed = [&](const ByteSource& from) {
    if (from.Error().empty()) return false;
    Complain(err, "cannot read " + options.log_file + ": " + from.Error());
    return true;
  };

  const ContestPeriod period(options.start, options.end, options.end_has_time);
  LogSurvey survey(
      options.check ? std::make_unique<SubmissionCheck>(cabrillo_input, period) : nullptr,
      *countries);
  if (!(source = open_log())) return kExitInput;
  const auto take = [&](QsoBlock&& block) { survey.Take(std::move(block)); };
  // A long ADIF log is read in two halves at once, from a second handle
  // placed in its middle.
  std::unique_ptr<FileSource> tail;
  std::error_code size_ec;
  const uint64_t log_size = fs::file_size(log_path, size_ec);
  if (!cabrillo_input && !size_ec && log_size >= kAdifInTwo) {
    std::string tail_open_error;
    tail = FileSource::Open(log_path, &tail_open_error);
    if (tail && !tail->SkipTo(log_size / 2)) tail.reset();
  }
  std::string log_own_call;
  if (tail) {
    std::string tail_error;
    log_own_call = ReadAdifInTwo(*source, *tail, log_size / 2, true, take, &tail_error);
    if (!tail_error.empty()) {
      Complain(err, "cannot read " + options.log_file + ": " + tail_error);
      return kExitInput;
    }
  } else {
    log_own_call = ReadInBlocks(cabrillo_input ? StreamCabrillo : StreamAdif, *source, true, take);
  }
  if (read_failed(*source)) return kExitInput;
  source.reset();
  for (const ReadProblem& problem : survey.problems) {
    Complain(err, options.log_file + ":" + std::to_string(problem.line) + ": " + problem.reason +
                      "; skipped");
  }

  if (survey.qsos == 0 && survey.problems.empty()) {
    Complain(err, "no QSO found in " + options.log_file);
  }
  const std::string own_call = options.own_call.value_or(log_own_call);
  if (own_call.empty()) {
    Complain(err, "the log does not name the own call; give it with --call");
  }
  const std::string own_country = options.own_country.value_or(countries->CountryPrefix(own_call));
  std::optional<QsoTime> start = options.start, end = options.end;
  if (survey.qsos > 0) {
    if (!start) start = survey.first.Midnight();
    if (!end) end = survey.last.Midnight();
  }

  if (survey.check) Report(err, options.log_file, survey.check->Findings());

  std::error_code ec;
  const fs::path plugin_path =
      fs::absolute(options.plugin.empty() ? DefaultPlugin() : fs::path(options.plugin), ec);
  if (!options.dir.empty()) {
    fs::create_directories(options.dir, ec);
    fs::current_path(options.dir, ec);
    if (ec) {
      Complain(err, "cannot work in the folder " + options.dir + ": " + ec.message());
      return kExitInput;
    }
  }
  for (const auto& [role, name, output] : PluginFiles(own_call, end, options.cabrillo)) {
    const std::string what = NotRegularFile(name);
    // A folder where an output file goes is the plug-in's to report (the
    // run then ends with the output status); a FIFO or a device there would
    // block it or never end.
    if (!what.empty() && !(output && what == "a folder")) {
      Complain(err, "cannot use " + name + " as " + role + ": it is " + what +
                        ", not a regular file");
      return kExitInput;
    }
  }
  std::unique_ptr<Plugin> plugin = Plugin::Load(plugin_path, &error);
  if (!plugin) {
    Complain(err, "cannot load the plug-in " + plugin_path.string() + ": " + error);
    return kExitInput;
  }

  // The host's folder, where ResetStats0 looks for the host's settings file:
  // the working folder.
  const fs::path work = fs::current_path(ec);
  const std::string host_folder = (work / "").string();
  const OutputFile journal_before = Before("the bad-QSO journal", work / JournalName(end));
  std::optional<OutputFile> cabrillo_before;
  if (options.cabrillo) cabrillo_before = Before("the Cabrillo log", work / CabrilloFileName(own_call));
  const OleDateTime start_date = HostDate(start), end_date = HostDate(end);
  stats::host_args::ResetFields reset;
  reset.host_folder = host_folder.c_str();
  reset.cabrillo = options.cabrillo ? 1 : 0;
  reset.own_call = own_call.c_str();
  reset.start = &start_date;
  reset.end = &end_date;
  reset.own_country = own_country.c_str();
  plugin->Reset(reset);
  if (options.html) plugin->setVersion((std::string(kProgram) + " " + STATS_REPLAY_VERSION).c_str());

  int left_out = 0;
  OleDateTime time;
  std::string list_text;
  const auto feed = [&](const PackedQso& qso, std::string_view prefix, std::string_view country) {
    const std::string outside = period.Outside(qso.time);
    time = {qso.time.OleDays(), 0};
    const auto list_line = [&](std::string_view status, std::string_view added,
                               std::string_view why) {
      std::string& line = list_text;
      line = std::to_string(qso.number);
      for (const std::string_view field : {qso.call, qso.band, qso.mode, qso.exchange_received,
                                           prefix, country, status, added}) {
        line.append("\t").append(Printable(field));
      }
      if (!why.empty()) line.append("\t").append(why);
      line.append("\n");
      Write(out, line);
    };
    if (!outside.empty()) {
      // Not part of the contest: the host is not told of it.
      ++left_out;
      if (options.list) list_line("-", "-", "outside the contest period: " + outside);
      return;
    }

    // Every text of a packed QSO, and the prefix and country, are followed
    // by a NUL: they go to the plug-in as they lie.
    int status = 0;
    if (options.list) {
      // The status the host would show while the call is typed in.
      stats::host_args::CheckFields check;
      check.call = qso.call.data();
      check.mode = qso.mode.data();
      check.prefix = prefix.data();
      check.country = country.data();
      check.band = qso.band.data();
      check.band2 = qso.band.data();
      status = plugin->Check(check);
    }
    stats::host_args::QsoFields fields;
    fields.own_call = qso.own_call.empty() ? own_call.c_str() : qso.own_call.data();
    fields.call = qso.call.data();
    fields.time = &time;
    fields.frequency_hz = qso.frequency_hz;
    fields.mode = qso.mode.data();
    fields.rst_sent = qso.rst_sent.data();
    fields.rst_received = qso.rst_received.data();
    fields.exchange_sent = qso.exchange_sent.data();
    fields.exchange_received = qso.exchange_received.data();
    fields.prefix = prefix.data();
    fields.country = country.data();
    fields.band = qso.band.data();
    const int added = plugin->Add(fields);
    if (options.list) list_line(std::to_string(status), std::to_string(added), "");
  };
  survey.HandOn(feed);
  if (left_out > 0) {
    Complain(err, std::to_string(left_out) + (left_out == 1 ? " QSO" : " QSOs") +
                      " outside the contest period " + period.Text() + " left out");
  }

  int ignored = 0;
  const char* result = plugin->GetResult0(&ignored);
  const std::string text = result != nullptr ? result : "";
  Write(out, text);
  // The text form ends its lines itself; the HTML form is one line without.
  if (!text.empty() && text.back() != '\n') Write(out, "\n");
  // The log the plug-in wrote, checked as a log robot would: read on one
  // thread and checked on another, while this one unloads the plug-in (it
  // lets its store go and waits for its window thread to end).
  const std::string written = CabrilloFileName(own_call);
  std::optional<std::vector<Finding>> findings;
  const auto check_written = [&] {
    std::error_code exists_ec;
    std::string open_error;
    if (!fs::exists(written, exists_ec)) return;
    std::unique_ptr<FileSource> file = FileSource::Open(written, &open_error);
    if (!file) return;
    SubmissionCheck check(true, period);
    ReadInBlocks(StreamCabrillo, *file, check.WantsAllFields(),
                 [&](QsoBlock&& block) { block.Visit(check); });
    if (file->Error().empty()) findings = check.Findings();
  };
  std::future<void> checking;
  if (options.cabrillo) {
    try {
      checking = std::async(std::launch::async, check_written);
    } catch (const std::system_error&) {
      check_written();  // no second thread to be had
    }
  }
  plugin.reset();
  if (checking.valid()) checking.get();
  if (findings) Report(err, written, *findings);
  if (std::fflush(out) != 0 || std::ferror(out) != 0) {
    Complain(err, std::string("cannot write the result: ") + std::strerror(errno));
    return kExitInput;
  }

  // The plug-in tells the operator of a file it could not write; the exit
  // status tells the caller.  The journal must hold a line for every bad
  // QSO that the result counts.
  int status = kExitOk;
  std::string contents;
  const long bad = ResultFigure(text, "Bad QSO");
  if (!WrittenWhole(journal_before, "\r\n") ||
      !ReadRegularFile(journal_before.path, &contents, &error) ||
      (bad >= 0 && BadLines(contents) != bad)) {
    Complain(err, journal_before.what + " " + journal_before.path.filename().string() +
                      " could not be written");
    status = kExitOutput;
  }
  if (cabrillo_before && !WrittenWhole(*cabrillo_before, "END-OF-LOG:\r\n")) {
    Complain(err, cabrillo_before->what + " " + cabrillo_before->path.filename().string() +
                      " could not be written");
    status = kExitOutput;
  }
  return status;
}

}  // namespace replay
