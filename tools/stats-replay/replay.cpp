#include "replay.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "check.h"
#include "cty.h"
#include "host_rules.h"
#include "input.h"
#include "locate.h"
#include "log.h"
#include "options.h"
#include "period.h"
#include "plugin.h"
#include "system.h"
#include "workfiles.h"
#include "wpx.h"

// The project's version (made by CMake).
#include "stats_version.h"

namespace replay {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "stats-replay";

void Write(std::FILE* out, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), out);
}

// Every message shows control bytes escaped: texts from a log or a file
// name never reach the terminal as control codes.
void Complain(std::FILE* err, const std::string& text) {
  Write(err, std::string(kProgram) + ": " + Printable(text) + "\n");
}

// The findings of the first 10 of each kind, or all of them.
constexpr size_t kListedPerKind = 10;

struct CheckTotals {
  size_t errors = 0;
};

void Report(std::FILE* err, const std::string& file, const std::vector<Finding>& findings,
            bool all, CheckTotals* totals) {
  Write(err, CheckReport(file, findings, all ? 0 : kListedPerKind));
  for (const Finding& f : findings) {
    if (f.severity == Severity::kError) ++totals->errors;
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

// The first reading of the log: its problems, the number of its QSOs and
// the first and last time, and the check when one is asked for.  Without a
// check the QSOs' texts beyond the call are not needed.
class LogSurvey final : public LogReceiver {
 public:
  explicit LogSurvey(std::unique_ptr<SubmissionCheck> check_) : check(std::move(check_)) {}
  void OnQso(const LogQso& qso) override {
    if (qsos == 0 || qso.time < first) first = qso.time;
    if (qsos == 0 || last < qso.time) last = qso.time;
    ++qsos;
    if (check) check->OnQso(qso);
  }
  void OnProblem(const ReadProblem& problem) override { problems.push_back(problem); }
  void OnHeader(const HeaderLine& header) override {
    if (check) check->OnHeader(header);
  }
  bool WantsAllFields() const override { return check != nullptr; }

  std::unique_ptr<SubmissionCheck> check;
  std::vector<ReadProblem> problems;
  long long qsos = 0;
  QsoTime first, last;
};

// The second reading of the log: each QSO goes to `feed` with its prefix
// and country, as the host works them out.  The problems were told after
// the first reading.
template <typename Feed>
class LogFeeder final : public LogReceiver {
 public:
  LogFeeder(const CountryFile& countries, Feed& feed)
      : countries_(countries),
        feed_(feed),
        is_listed_([this](std::string_view part) { return countries_.IsListedPrefix(part); }) {}
  void OnQso(const LogQso& qso) override {
    // The prefix is the rules', whatever PFX the log gives: the multipliers
    // do not depend on which program wrote the file.
    const std::string prefix = WpxPrefix(qso.call, is_listed_);
    feed_(qso, prefix, countries_.CountryPrefix(qso.call));
  }
  void OnProblem(const ReadProblem& problem) override { (void)problem; }

 private:
  const CountryFile& countries_;
  Feed& feed_;
  const PrefixTest is_listed_;
};

// An output file of the plug-in as it stood before the run.
struct OutputFile {
  std::string what;  // "the bad-QSO journal"
  fs::path path;
  bool existed = false;
  fs::file_time_type time;
  uintmax_t size = 0;
  std::optional<sys::FileId> id;
};

OutputFile Before(const std::string& what, const fs::path& path) {
  OutputFile file;
  file.what = what;
  file.path = path;
  std::error_code time_ec, size_ec;
  if (fs::is_regular_file(path, time_ec)) {
    file.time = fs::last_write_time(path, time_ec);
    file.size = fs::file_size(path, size_ec);
    file.id = sys::IdentifyFile(path);
    file.existed = !time_ec && !size_ec;
  }
  return file;
}

// Whether the file ends with `ending`.
bool EndsWith(const fs::path& path, uintmax_t size, std::string_view ending) {
  if (size < ending.size()) return false;
  std::string error;
  std::unique_ptr<FileSource> file = FileSource::Open(path, &error);
  if (!file || !file->SkipTo(size - ending.size())) return false;
  std::string tail(ending.size(), '\0');
  size_t got = 0;
  while (got < tail.size()) {
    const size_t n = file->Read(tail.data() + got, tail.size() - got);
    if (n == 0) break;
    got += n;
  }
  return file->Error().empty() && got == tail.size() && tail == ending;
}

// Whether the plug-in wrote the file in this run, whole: it is a regular
// file, it is not the one that stood there before (it is new, or it was
// replaced, or its time or size changed), and it ends as a complete file of
// its kind ends.  The plug-in replaces its files through a rename, so a
// file it wrote is another file than the one before, even within the
// clock's resolution.
bool WrittenWhole(const OutputFile& before, std::string_view ending) {
  std::error_code ec;
  if (!fs::is_regular_file(before.path, ec)) return false;
  const fs::file_time_type time = fs::last_write_time(before.path, ec);
  if (ec) return false;
  const uintmax_t size = fs::file_size(before.path, ec);
  if (ec) return false;
  if (before.existed && time == before.time && size == before.size &&
      sys::IdentifyFile(before.path) == before.id) {
    return false;
  }
  return EndsWith(before.path, size, ending);
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

// The score of the result, text ("Score = 288 * (242 + 64)  = 88128 ") or
// HTML form ("Score:</th>...<center>288 * (242 + 64) = 88128</center>");
// nullopt when the result has none.
std::optional<long> ResultScore(const std::string& result) {
  const size_t at = result.find("Score");
  if (at == std::string::npos) return std::nullopt;
  const size_t end = std::min(result.find('\n', at), result.find("</center>", at));
  const std::string_view figures = std::string_view(result).substr(at, end - at);
  const size_t equals = figures.rfind('=');
  if (equals == std::string_view::npos) return std::nullopt;
  size_t i = equals + 1;
  while (i < figures.size() && figures[i] == ' ') ++i;
  const bool negative = i < figures.size() && figures[i] == '-';
  if (negative) ++i;
  long value = 0;
  bool digits = false;
  for (; i < figures.size() && figures[i] >= '0' && figures[i] <= '9' && value < 1000000000L; ++i) {
    value = value * 10 + (figures[i] - '0');
    digits = true;
  }
  if (!digits) return std::nullopt;
  return negative ? -value : value;
}

// The bytes of a file from `from` to its end; empty when it cannot be read.
std::string ReadFrom(const fs::path& path, uintmax_t from) {
  std::string error;
  std::unique_ptr<FileSource> file = FileSource::Open(path, &error);
  if (!file || !file->SkipTo(from)) return {};
  std::string bytes, piece(4096, '\0');
  while (const size_t n = file->Read(piece.data(), piece.size())) bytes.append(piece, 0, n);
  return bytes;
}

// Follows the bad-QSO journal while the QSOs go in: the lines that one
// AddData0 call adds are that QSO's, and each becomes a finding of the
// check with the journal's reason, unless the check found the same already
// (a missing exchange, a duplicate, a section of the wrong shape).
class JournalWatch {
 public:
  JournalWatch(fs::path path, SubmissionCheck* check) : path_(std::move(path)), check_(check) {
    size_ = Size();
  }
  void After(const LogQso& qso) {
    const uintmax_t size = Size();
    if (size <= size_) {
      size_ = size;
      return;
    }
    const std::string added = ReadFrom(path_, size_);
    size_ = size;
    for (size_t start = 0; start < added.size();) {
      size_t end = added.find("\r\n", start);
      if (end == std::string::npos) end = added.size();
      const std::string_view line = std::string_view(added).substr(start, end - start);
      start = end + 2;
      std::optional<Finding> finding = JournalFinding(qso.line, qso.call, line);
      if (!finding) continue;
      const bool known =
          (finding->text.find("NO RX NUMBER") != std::string::npos &&
           check_->Has(qso.line, FindingKind::kMissingExchange)) ||
          (finding->text.find("DUPE") != std::string::npos &&
           check_->Has(qso.line, FindingKind::kDuplicate)) ||
          (finding->text.find("UBA section") != std::string::npos &&
           check_->Has(qso.line, FindingKind::kExchange));
      if (!known) check_->Add(std::move(*finding));
    }
  }

 private:
  uintmax_t Size() const {
    std::error_code ec;
    const uintmax_t size = fs::file_size(path_, ec);
    return ec ? 0 : size;
  }
  fs::path path_;
  SubmissionCheck* check_;
  uintmax_t size_ = 0;
};

// The folder the plug-in runs in when the host's folder is to be left as
// it is: removed with all it holds when the run is over, once the program
// has gone back to the folder it started in.  Remove() tells a failure;
// the destructor of a folder not yet removed only cleans up.
class PrivateFolder {
 public:
  PrivateFolder(fs::path folder, fs::path back_to)
      : folder_(std::move(folder)), back_to_(std::move(back_to)) {}
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  ~PrivateFolder() {
    std::string ignored;
    Remove(&ignored);
  }
  bool Remove(std::string* error) {
    if (removed_) return true;
    removed_ = true;
    std::error_code ec;
    fs::current_path(back_to_, ec);
    fs::remove_all(folder_, ec);
    if (ec) *error = "cannot remove the work folder " + folder_.string() + ": " + ec.message();
    return !ec;
  }
  const fs::path& path() const { return folder_; }

 private:
  fs::path folder_;
  fs::path back_to_;
  bool removed_ = false;
};

// Copies a file of the host's folder into the plug-in's folder when one
// stands there; false with *error set when it cannot be copied.
bool CopyIn(const fs::path& from, const fs::path& to, std::string* error) {
  std::error_code ec;
  if (!fs::exists(from, ec)) return true;
  fs::create_directories(to.parent_path(), ec);
  if (!ec) fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
  if (ec) *error = "cannot copy " + from.string() + ": " + ec.message();
  return !ec;
}

// Puts a file the plug-in wrote into the host's folder: written beside
// its place and renamed over it, so that an earlier file stays whole until
// the new one is.  False with *error set.
bool CopyOut(const fs::path& from, const fs::path& to, std::string* error) {
  const fs::path temporary = to.string() + ".tmp";
  std::error_code ec;
  fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(temporary, to, ec);
  if (ec) {
    *error = ec.message();
    std::error_code ignored;
    if (fs::is_regular_file(temporary, ignored)) fs::remove(temporary, ignored);
  }
  return !ec;
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
    Write(out, std::string(kProgram) + " " + STATS_VERSION_TEXT + "\n");
    return kExitOk;
  }

  // Everything is read before the working folder is entered, so that
  // relative paths mean what they meant on the command line.
  // The country file: --cty, else the first found beside the program or
  // in the system's places.
  fs::path cty_path = options.cty;
  if (cty_path.empty()) {
    const fs::path program = sys::ProgramPath();
    const std::optional<fs::path> found = FindCountryFile(
        CountryFilePlaces(program.empty() ? fs::path() : program.parent_path(),
                          sys::SystemCountryFiles()),
        [](const fs::path& place) {
          std::error_code ec;
          return fs::exists(place, ec);
        },
        &error);
    if (!found) {
      Complain(err, error);
      return kExitInput;
    }
    cty_path = *found;
  }
  std::string cty_text;
  if (!ReadRegularFile(cty_path, &cty_text, &error)) {
    Complain(err, "cannot read the country file " + cty_path.string() + ": " + error);
    return kExitInput;
  }
  const std::optional<CountryFile> countries = CountryFile::Parse(cty_text, &error);
  if (!countries) {
    Complain(err, cty_path.string() + ": " + error);
    return kExitInput;
  }
  const CountryOf country_of = [&countries](const std::string& call) {
    return countries->CountryPrefix(call);
  };
  // The log is read twice, piece by piece, never held whole: first for
  // what the run needs before the first QSO goes to the plug-in (the
  // problems, the own call, the first and last day, the check), then, once
  // the plug-in is reset, for the QSOs themselves.
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
  const auto read_log = cabrillo_input ? StreamCabrillo : StreamAdif;

  const ContestPeriod period(options.start, options.end, options.end_has_time);
  const PrefixTest is_listed = [&](std::string_view part) {
    return countries->IsListedPrefix(part);
  };
  LogSurvey survey(options.check
                       ? std::make_unique<SubmissionCheck>(cabrillo_input, period, country_of,
                                                          is_listed)
                       : nullptr);
  if (!(source = open_log())) return kExitInput;
  const std::string log_own_call = read_log(*source, survey);
  if (read_failed(*source)) return kExitInput;
  // The second reading starts again from the same open file: it reads the
  // file the first one read, in whatever folder the run goes on, even when
  // the plug-in replaces a file of that name (a POSIX system keeps the old
  // one for its open handle).
  if (!source->SkipTo(0)) {
    Complain(err, "cannot read " + options.log_file + ": cannot return to its start");
    return kExitInput;
  }
  for (const ReadProblem& problem : survey.problems) {
    Complain(err, options.log_file + ":" + std::to_string(problem.line) + ": " + problem.reason +
                      (problem.skipped ? "; skipped" : ""));
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

  std::error_code ec;
  const fs::path plugin_path =
      fs::absolute(options.plugin.empty() ? DefaultPlugin() : fs::path(options.plugin), ec);
  // The host's folder: where the settings file is read and where the
  // journal and the Cabrillo log end up.
  const fs::path started_in = fs::current_path(ec);
  fs::path host = started_in;
  if (!options.dir.empty()) {
    fs::create_directories(options.dir, ec);
    host = fs::absolute(options.dir, ec);
    if (!ec && !fs::is_directory(host, ec)) ec = std::make_error_code(std::errc::not_a_directory);
    if (ec) {
      Complain(err, "cannot work in the folder " + options.dir + ": " + ec.message());
      return kExitInput;
    }
  }
  const std::vector<WorkFile> work_files = PluginFiles(own_call, end, options.cabrillo);
  for (const auto& [role, name, output] : work_files) {
    const std::string what = NotRegularFile(host / name);
    // A folder where an output file goes is the plug-in's to report (the
    // run then ends with the output status); a FIFO or a device there would
    // block it or never end.
    if (!what.empty() && !(output && what == "a folder")) {
      Complain(err, "cannot use " + name + " as " + role + ": it is " + what +
                        ", not a regular file");
      return kExitInput;
    }
  }
  // The plug-in names its files relative to the current folder.  In
  // place, that is the host's folder; otherwise a private folder with a
  // copy of the settings files, so that the plug-in's writes to its
  // settings (the Start key, the claimed score, the header form, window
  // positions) never reach the host's.
  std::optional<PrivateFolder> private_folder;
  if (!options.in_place) {
    const fs::path folder = sys::MakePrivateFolder(kProgram, &error);
    if (folder.empty()) {
      Complain(err, "cannot make a work folder: " + error);
      return kExitInput;
    }
    private_folder.emplace(folder, started_in);
    for (const WorkFile& file : work_files) {
      if (!file.output && !CopyIn(host / file.name, folder / file.name, &error)) {
        Complain(err, error);
        return kExitInput;
      }
    }
  }
  fs::current_path(private_folder ? private_folder->path() : host, ec);
  if (ec) {
    Complain(err, "cannot work in the folder " +
                      (private_folder ? private_folder->path() : host).string() + ": " +
                      ec.message());
    return kExitInput;
  }
  std::unique_ptr<Plugin> plugin = Plugin::Load(plugin_path, &error);
  if (!plugin) {
    Complain(err, "cannot load the plug-in " + plugin_path.string() + ": " + error);
    return kExitInput;
  }

  // The host's folder, where ResetStats0 looks for the host's settings
  // file (it then opens it by its name in the current folder).
  const fs::path work = fs::current_path(ec);
  const std::string host_folder = (host / "").string();
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
  std::optional<JournalWatch> journal_watch;
  if (survey.check) journal_watch.emplace(journal_before.path, survey.check.get());
  if (options.html) plugin->setVersion((std::string(kProgram) + " " + STATS_VERSION_TEXT).c_str());

  int left_out = 0;
  OleDateTime time;
  std::string list_text;
  const auto feed = [&](const LogQso& qso, const std::string& prefix, const std::string& country) {
    const std::string outside = period.Outside(qso.time);
    time = {qso.time.OleDays(), 0};
    const auto list_line = [&](std::string_view status, std::string_view added,
                               std::string_view why) {
      std::string& line = list_text;
      line = std::to_string(qso.number);
      for (const std::string_view field :
           {std::string_view(qso.call), std::string_view(qso.band), std::string_view(qso.mode),
            std::string_view(qso.exchange_received), std::string_view(prefix),
            std::string_view(country), status, added}) {
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

    int status = 0;
    if (options.list) {
      // The status the host would show while the call is typed in.
      stats::host_args::CheckFields check;
      check.call = qso.call.c_str();
      check.mode = qso.mode.c_str();
      check.prefix = prefix.c_str();
      check.country = country.c_str();
      check.band = qso.band.c_str();
      check.band2 = qso.band.c_str();
      status = plugin->Check(check);
    }
    stats::host_args::QsoFields fields;
    fields.own_call = qso.own_call.empty() ? own_call.c_str() : qso.own_call.c_str();
    fields.call = qso.call.c_str();
    fields.time = &time;
    fields.frequency_hz = qso.frequency_hz;
    fields.mode = qso.mode.c_str();
    fields.rst_sent = qso.rst_sent.c_str();
    fields.rst_received = qso.rst_received.c_str();
    fields.exchange_sent = qso.exchange_sent.c_str();
    fields.exchange_received = qso.exchange_received.c_str();
    fields.prefix = prefix.c_str();
    fields.country = country.c_str();
    fields.band = qso.band.c_str();
    const int added = plugin->Add(fields);
    if (journal_watch) journal_watch->After(qso);
    if (options.list) list_line(std::to_string(status), std::to_string(added), "");
  };
  LogFeeder<decltype(feed)> feeder(*countries, feed);
  read_log(*source, feeder);
  if (read_failed(*source)) return kExitInput;
  // Closed before the plug-in writes its Cabrillo log, which may be the
  // log read (a system may refuse to replace an open file).
  source.reset();
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
  // The plug-in is done: unloading it lets its store go and ends its
  // window thread.
  plugin.reset();
  const std::optional<long> score = ResultScore(text);
  CheckTotals totals;
  if (survey.check) {
    if (const std::optional<SubmissionCheck::Claimed> claimed = survey.check->ClaimedScore(); claimed && score) {
      if (std::optional<Finding> f = ClaimedScoreFinding(*claimed, *score)) survey.check->Add(*f);
    }
    Report(err, options.log_file, survey.check->Findings(), options.check_all, &totals);
  }
  // The Cabrillo log this run wrote is checked as a log robot would; a file
  // of that name from an earlier run is not this run's to report.
  const bool cabrillo_written =
      cabrillo_before && WrittenWhole(*cabrillo_before, "END-OF-LOG:\r\n");
  if (cabrillo_written) {
    std::string open_error;
    if (std::unique_ptr<FileSource> file = FileSource::Open(cabrillo_before->path, &open_error)) {
      SubmissionCheck check(true, period, country_of);
      StreamCabrillo(*file, check);
      if (const std::optional<SubmissionCheck::Claimed> claimed = check.ClaimedScore(); claimed && score) {
        if (std::optional<Finding> f = ClaimedScoreFinding(*claimed, *score)) check.Add(*f);
      }
      if (file->Error().empty()) {
        Report(err, CabrilloFileName(own_call), check.Findings(), options.check_all, &totals);
      }
    }
  }
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
  std::vector<const OutputFile*> whole;
  if (!WrittenWhole(journal_before, "\r\n") ||
      !ReadRegularFile(journal_before.path, &contents, &error) ||
      (bad >= 0 && BadLines(contents) != bad)) {
    Complain(err, journal_before.what + " " + journal_before.path.filename().string() +
                      " could not be written");
    status = kExitOutput;
  } else {
    whole.push_back(&journal_before);
  }
  if (cabrillo_before && !cabrillo_written) {
    Complain(err, cabrillo_before->what + " " + cabrillo_before->path.filename().string() +
                      " could not be written");
    status = kExitOutput;
  } else if (cabrillo_before) {
    whole.push_back(&*cabrillo_before);
  }
  // Only whole files reach the host's folder: one the plug-in could not
  // finish leaves the earlier file there as it was.
  std::vector<std::string> wrote;
  for (const OutputFile* file : whole) {
    const fs::path target = host / file->path.filename();
    if (private_folder && !CopyOut(file->path, target, &error)) {
      Complain(err, "cannot write " + file->what + " " + target.string() + ": " + error);
      status = kExitOutput;
      continue;
    }
    wrote.push_back("wrote " + file->what + " " + target.string());
  }
  for (const std::string& line : wrote) Complain(err, line);
  if (private_folder && !private_folder->Remove(&error)) Complain(err, error);
  if (status == kExitOk && options.strict && totals.errors > 0) status = kExitCheck;
  return status;
}

}  // namespace replay
