#include "cli.h"

#include <charconv>

#include "log.h"

namespace crosscheck {
namespace {

std::optional<long> Whole(const std::string& text, long low, long high) {
  long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error) {
  Options o;
  bool options_end = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
      o.logs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_end = true;
      continue;
    }
    std::optional<std::string> inline_value;
    if (const size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
      inline_value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
    }
    if (arg == "--timings") {
      o.timings = true;
      continue;
    }
    if (arg == "--help" || arg == "-h" || arg == "--version") {
      if (inline_value) {
        *error = "option " + arg + " takes no value";
        return std::nullopt;
      }
      (arg == "--version" ? o.version : o.help) = true;
      continue;
    }
    if (arg != "--out" && arg != "--contest" && arg != "--window" && arg != "--date" && arg != "--threads" &&
        arg != "--plugin" && arg != "--cty" && arg != "--work") {
      *error = "unknown option " + arg;
      return std::nullopt;
    }
    std::string value;
    if (inline_value) {
      value = *inline_value;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      *error = "option " + arg + " needs a value";
      return std::nullopt;
    }
    if (arg == "--out") {
      o.out = value;
    } else if (arg == "--plugin") {
      o.plugin = value;
    } else if (arg == "--work") {
      o.work = value;
    } else if (arg == "--cty") {
      o.cty = value;
    } else if (arg == "--contest") {
      o.contest = value;
    } else if (arg == "--window") {
      const std::optional<long> minutes = Whole(value, 1, 1440);
      if (!minutes) {
        *error = "--window '" + value + "' is not a number of minutes from 1 to 1440";
        return std::nullopt;
      }
      o.window_minutes = static_cast<int>(*minutes);
    } else if (arg == "--threads") {
      const std::optional<long> threads = Whole(value, 1, 256);
      if (!threads) {
        *error = "--threads '" + value + "' is not a number from 1 to 256";
        return std::nullopt;
      }
      o.threads = static_cast<unsigned>(*threads);
    } else {
      const std::optional<replay::QsoTime> day = replay::ParseDate(value);
      if (!day) {
        *error = "--date '" + value + "' is not a date (YYYY-MM-DD)";
        return std::nullopt;
      }
      o.first_day = static_cast<int64_t>(day->OleDays() + 0.5);
    }
  }
  if (o.help || o.version) return o;
  if (o.logs.empty()) {
    *error = "no log named";
    return std::nullopt;
  }
  if (o.out.empty()) {
    *error = "no output folder named (--out DIR)";
    return std::nullopt;
  }
  return o;
}

std::string UsageText() {
  return "Usage: stats-crosscheck [options] LOGS_FOLDER_OR_FILES... --out DIR\n"
         "Checks every log of a contest against every other and writes the verdict of\n"
         "each QSO line (verdicts.tsv) into DIR.\n"
         "\n"
         "  --out DIR          the folder for the outputs (created when missing)\n"
         "  --contest NAME     a contest shipped with the program: uba-psk63-prefix\n"
         "                     (the default) or lz-open; or --contest FILE, a definition\n"
         "  --window MINUTES   the largest time difference of a match (default: the\n"
         "                     contest's)\n"
         "  --date YYYY-MM-DD  the contest's first day (default: the day most QSOs\n"
         "                     fall in)\n"
         "  --threads N        threads reading the logs and making the outputs, and\n"
         "                     processes scoring with the plug-in (default: the\n"
         "                     machine's cores)\n"
         "  --plugin PATH      the plug-in that scores a contest scored by it (default:\n"
         "                     the Stats library beside the program)\n"
         "  --cty FILE         the country file for the plug-in's QSOs (default:\n"
         "                     /usr/share/hamradio-files/cty.dat)\n"
         "  --work DIR         the folder where the plug-in writes its files while it\n"
         "                     scores (default: a new folder in memory, /dev/shm, where\n"
         "                     the system has one, else in the temporary folder;\n"
         "                     removed afterwards)\n"
         "  --timings          tell on standard error how long each step took\n"
         "  --help, --version  show this text or the version and stop\n"
         "\n"
         "Logs are Cabrillo 2.0 or 3.0 or ADIF; a folder stands for the files in it.\n";
}

}  // namespace crosscheck
