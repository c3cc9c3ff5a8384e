// Scores a log as the host does and writes the result text to a file:
//
//   testhost.exe score Plugins\Stats.dll <log.adi> <cty.dat> <result file>
//
// The current folder is the host's folder (ResetStats0's host folder); the
// plug-in is loaded by the path given, as a host loads it from its Plugins
// folder.  The log is read with stats-replay's readers and each QSO gets
// the band, mode, prefix and country that the host works out, so that the
// result can be compared byte for byte with a stats-replay run on the same
// log.  The result goes to a file, not to standard output, where the test
// host says how the scenario went.
#include <windows.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "tools/testhost/scenario.h"

#include "cty.h"
#include "host_qso.h"
#include "input.h"
#include "log.h"
#include "wpx.h"

namespace testhost {
namespace {

// The first and last time of the log's QSOs, and how many there are.
class Survey final : public replay::LogReceiver {
 public:
  void OnQso(const replay::LogQso& qso) override {
    if (qsos == 0 || qso.time < first) first = qso.time;
    if (qsos == 0 || last < qso.time) last = qso.time;
    ++qsos;
  }
  void OnProblem(const replay::ReadProblem& problem) override {
    Check(false, "the log reads without problems (line " + std::to_string(problem.line) + ": " +
                     problem.reason + ")");
  }
  bool WantsAllFields() const override { return false; }

  long long qsos = 0;
  replay::QsoTime first, last;
};

// Each QSO to AddData0 with its prefix and country.
class Feeder final : public replay::LogReceiver {
 public:
  Feeder(Plugin& plugin, const replay::CountryFile& countries, const std::string& own_call)
      : plugin_(plugin), countries_(countries), own_call_(own_call) {}
  void OnQso(const replay::LogQso& qso) override {
    const stats::host_args::HostQso host = replay::ToHostQso(qso, countries_, own_call_);
    stats::host_args::CallQso(plugin_.AddData0, host);
  }
  void OnProblem(const replay::ReadProblem& problem) override { (void)problem; }

 private:
  Plugin& plugin_;
  const replay::CountryFile& countries_;
  const std::string& own_call_;
};

std::unique_ptr<replay::FileSource> Open(const std::wstring& path) {
  std::string error;
  std::unique_ptr<replay::FileSource> source = replay::FileSource::Open(path, &error);
  Check(source != nullptr, "read " + ToUtf8(path) + ": " + error);
  return source;
}

int Score(const Context& context) {
  if (!Check(context.args.size() == 3, "arguments: <log> <country file> <result file>")) return 1;
  const std::wstring log_path = WindowsPath(context.args[0]);
  const std::wstring result_path = WindowsPath(context.args[2]);

  std::string cty_text, error;
  if (!Check(replay::ReadRegularFile(WindowsPath(context.args[1]), &cty_text, &error),
             "read the country file: " + error)) {
    return 1;
  }
  const std::optional<replay::CountryFile> countries =
      replay::CountryFile::Parse(cty_text, &error);
  if (!Check(countries.has_value(), "the country file: " + error)) return 1;

  std::unique_ptr<replay::FileSource> source = Open(log_path);
  if (!source) return 1;
  Survey survey;
  const std::string own_call = replay::StreamAdif(*source, survey);
  if (!Check(source->Error().empty(), "read the log: " + source->Error()) ||
      !Check(survey.qsos > 0, "the log holds QSOs")) {
    return 1;
  }
  if (!(source = Open(log_path))) return 1;

  Plugin plugin(context.dll_path);
  if (!plugin.loaded()) return 1;
  std::wstring folder(MAX_PATH, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
  if (!Check(length > 0 && length < folder.size(), "the current folder")) return 1;
  folder.resize(length);
  if (folder.back() != L'\\') folder.push_back(L'\\');
  const std::string host_folder = ToAnsi(folder);
  const std::string own_country = countries->CountryPrefix(own_call);
  const OleDateTime start{survey.first.Midnight().OleDays(), 0};
  const OleDateTime end{survey.last.Midnight().OleDays(), 0};
  stats::host_args::ResetFields reset;
  reset.host_folder = host_folder.c_str();
  reset.own_call = own_call.c_str();
  reset.start = &start;
  reset.end = &end;
  reset.own_country = own_country.c_str();
  stats::host_args::CallReset(plugin.ResetStats0, reset);

  Feeder feeder(plugin, *countries, own_call);
  replay::StreamAdif(*source, feeder);
  Check(source->Error().empty(), "read the log again: " + source->Error());
  int ignored = 0;
  const char* result = plugin.GetResult0(&ignored);
  if (!Check(result != nullptr, "GetResult0 gives a result")) return 1;
  Check(WriteBytes(result_path, result), "write " + ToUtf8(result_path));
  return 0;
}

const ScenarioRegistration registration("score", Score);

}  // namespace
}  // namespace testhost
