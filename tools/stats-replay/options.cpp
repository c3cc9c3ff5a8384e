#include "options.h"

#include "host_rules.h"

namespace replay {

std::optional<QsoTime> ParseContestDate(const std::string& text) {
  const size_t split = text.find_first_of(" T");
  std::optional<QsoTime> date = ParseDate(text.substr(0, split));
  if (!date || split == std::string::npos) return date;
  std::string time = text.substr(split + 1);
  if (time.size() == 5 && time[2] == ':') time.erase(2, 1);
  if (time.size() != 4 || !ParseTimeOfDay(time, &*date)) return std::nullopt;
  return date;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error) {
  Options options;
  bool only_files = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (only_files || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (arg.size() > 1 && arg[0] == '-' && !only_files) {
        *error = "unknown option '" + arg + "'";
        return std::nullopt;
      }
      if (!options.log_file.empty()) {
        *error = "more than one log file ('" + options.log_file + "', '" + arg + "')";
        return std::nullopt;
      }
      options.log_file = arg;
      continue;
    }
    if (arg == "--") {
      only_files = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    std::optional<std::string> inline_value;
    if (equals != std::string::npos) inline_value = arg.substr(equals + 1);

    bool* flag = name == "--html"       ? &options.html
                 : name == "--cabrillo" ? &options.cabrillo
                 : name == "--list"     ? &options.list
                 : name == "--check"    ? &options.check
                 : name == "--check-all" ? &options.check_all
                 : name == "--strict"   ? &options.strict
                 : name == "--in-place" ? &options.in_place
                 : name == "--help"     ? &options.help
                 : name == "--version"  ? &options.version
                                        : nullptr;
    if (flag != nullptr) {
      if (inline_value) {
        *error = "option " + name + " takes no value";
        return std::nullopt;
      }
      *flag = true;
      continue;
    }
    if (name != "--plugin" && name != "--cty" && name != "--call" && name != "--country" &&
        name != "--start" && name != "--end" && name != "--dir") {
      *error = "unknown option '" + name + "'";
      return std::nullopt;
    }
    std::string value;
    if (inline_value) {
      value = *inline_value;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      *error = "option " + name + " needs a value";
      return std::nullopt;
    }
    if (name == "--plugin") {
      options.plugin = value;
    } else if (name == "--cty") {
      options.cty = value;
    } else if (name == "--call") {
      options.own_call = Upper(Trim(value));
    } else if (name == "--country") {
      options.own_country = std::string(Trim(value));
    } else if (name == "--dir") {
      options.dir = value;
    } else {
      const std::optional<QsoTime> date = ParseContestDate(value);
      if (!date) {
        *error = "option " + name + ": '" + value + "' is not a date (YYYY-MM-DD)";
        return std::nullopt;
      }
      (name == "--start" ? options.start : options.end) = date;
      if (name == "--end") options.end_has_time = value.find_first_of(" T") != std::string::npos;
    }
    if (value.empty() && name != "--country" && name != "--call") {
      *error = "option " + name + " needs a value";
      return std::nullopt;
    }
  }
  options.check = options.check || options.check_all || options.strict;
  if (options.log_file.empty() && !options.help && !options.version) {
    *error = "no log file given";
    return std::nullopt;
  }
  return options;
}

std::string UsageText() {
  return "Usage: stats-replay [OPTION]... LOGFILE\n"
         "Scores an ADIF (.adi) or Cabrillo (.cbr, .log) log through the Stats\n"
         "plug-in, calling it as the logging host does, and prints the result.\n"
         "\n"
         "  --plugin PATH   the plug-in library (default: the Stats library beside\n"
         "                  this program)\n"
         "  --cty FILE      the country file (default: cty.dat beside this program,\n"
         "                  else the system's, on Linux\n"
         "                  /usr/share/hamradio-files/cty.dat)\n"
         "  --call CALL     own call sign (default: from the log)\n"
         "  --country PFX   own country prefix (default: the own call's country)\n"
         "  --start DATE    contest start, YYYY-MM-DD [HH:MM] (default: the first QSO's\n"
         "                  date); an earlier QSO is left out\n"
         "  --end DATE      contest end, YYYY-MM-DD [HH:MM] (default: the last QSO's\n"
         "                  date); a later QSO is left out (a date alone: after that day)\n"
         "  --html          ask for the result as HTML\n"
         "  --cabrillo      ask for the Cabrillo log; its header comes from the\n"
         "                  settings file Plugins/ZEVUVI.ini of the host's folder;\n"
         "                  the log written is checked as with --check\n"
         "  --check         report on standard error what a contest's log robot would\n"
         "                  refuse (errors) or question (warnings), grouped by kind,\n"
         "                  with a verdict: \"ready to send\" or \"N errors, M warnings\"\n"
         "  --check-all     the same, listing every finding (--check lists the first\n"
         "                  10 of each kind)\n"
         "  --strict        the check's errors give exit status 4 (implies --check)\n"
         "  --dir DIR       the host's folder: its settings file is read, and the\n"
         "                  bad-QSO journal and the Cabrillo log are put there\n"
         "                  (default: the current folder)\n"
         "  --in-place      run the plug-in in the host's folder itself, as the host\n"
         "                  does: it then updates the settings file there (by default\n"
         "                  it runs on a copy in a private folder)\n"
         "  --list          before the result, one line per QSO, tab-separated: number,\n"
         "                  call, band, mode, exchange received, prefix, country,\n"
         "                  call status before the QSO, AddData0 result (\"-\" and \"-\"\n"
         "                  and the reason for a QSO outside the contest period)\n"
         "  --help          show this text\n"
         "  --version       show the program's version\n"
         "\n"
         "At the end, one line on standard error names each file written.\n"
         "Exit status: 0 success, 1 the input could not be read, 2 bad usage,\n"
         "3 an output file (the bad-QSO journal or the Cabrillo log) could not be\n"
         "written, 4 (with --strict) the check found errors.\n";
}

}  // namespace replay
