#include "contest.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "host_rules.h"

namespace crosscheck {
namespace {

constexpr std::array<std::string_view, kVerdictCount> kVerdictNames = {
    "ok",    "time-offset",   "not-in-log", "busted-call", "partner-busted-call",
    "busted-exchange", "partner-busted-exchange", "dupe", "out-of-period", "no-log",
    "unique", "invalid",
};

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    const size_t start = pos;
    while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t') ++pos;
    if (pos > start) words.push_back(text.substr(start, pos - start));
  }
  return words;
}

// A whole decimal number from low to high; nullopt otherwise.
std::optional<int> Number(std::string_view text, int low, int high) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<FieldKind> KindByName(std::string_view name) {
  if (name == "exact") return FieldKind::kExact;
  if (name == "serial") return FieldKind::kSerial;
  if (name == "section") return FieldKind::kSection;
  if (name == "serial-or-section") return FieldKind::kSerialOrSection;
  return std::nullopt;
}

class Parser {
 public:
  Parser(std::string_view file_name, std::string* error) : file_(file_name), error_(error) {}

  bool Fail(int line, const std::string& reason) {
    std::string& e = *error_;
    e.assign(file_);
    if (line > 0) e.append(":").append(std::to_string(line));
    e.append(": ").append(replay::Printable(reason));
    return false;
  }

  bool Line(int line, std::string_view text) {
    if (const size_t hash = text.find('#'); hash != std::string_view::npos) text = text.substr(0, hash);
    text = replay::Trim(text);
    if (text.empty()) return true;
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos) return Fail(line, std::string(1, '\'').append(text).append("' is no \"key = value\" line"));
    const std::vector<std::string_view> key = Words(text.substr(0, equals));
    const std::string_view value = replay::Trim(text.substr(equals + 1));
    const std::vector<std::string_view> values = Words(value);
    if (key.empty()) return Fail(line, "a line with no key before its '='");
    if (key[0] == "cost") {
      if (key.size() != 2) return Fail(line, "a cost names one verdict: cost VERDICT = counted|removed [penalty N]");
      return CostLine(line, key[1], values);
    }
    if (key.size() != 1) return Fail(line, "unknown key '" + std::string(text.substr(0, equals)) + "'");
    const std::string name(key[0]);
    if (values.empty()) return Fail(line, "no value given for " + name);
    if (name != "sections") {
      const auto [it, fresh] = seen_.emplace(name, line);
      if (!fresh) return Fail(line, name + " given twice (first on line " + std::to_string(it->second) + ")");
    }
    ContestDefinition& d = definition_;
    if (name == "title") {
      d.title.assign(value);
    } else if (name == "bands" || name == "modes") {
      std::vector<std::string>& list = name == "bands" ? d.bands : d.modes;
      for (std::string_view v : values) {
        if (std::find(list.begin(), list.end(), v) != list.end()) return Fail(line, std::string(v) + " listed twice");
        list.emplace_back(v);
      }
    } else if (name == "start") {
      int hour = -1, minute = -1;
      if (value.size() == 5 && value[2] == ':') {
        hour = Number(value.substr(0, 2), 0, 23).value_or(-1);
        minute = Number(value.substr(3, 2), 0, 59).value_or(-1);
      }
      if (hour < 0 || minute < 0) return Fail(line, "start '" + std::string(value) + "' is no time of day (HH:MM, UTC)");
      d.start_minute = hour * 60 + minute;
    } else if (name == "hours") {
      const std::optional<int> hours = Number(value, 1, 240);
      if (!hours) return Fail(line, "hours '" + std::string(value) + "' is not a number of hours from 1 to 240");
      d.length_minutes = *hours * 60;
    } else if (name == "repeat") {
      if (values.size() > 2 || (values.size() == 2 && values[1] != "periods")) {
        return Fail(line, "repeat is a number of minutes, optionally followed by periods");
      }
      const std::optional<int> minutes = Number(values[0], 0, 1440);
      if (!minutes) return Fail(line, "repeat '" + std::string(values[0]) + "' is not a number of minutes from 0 to 1440");
      d.repeat_minutes = *minutes;
      d.repeat_in_periods = values.size() == 2;
    } else if (name == "window") {
      const std::optional<int> minutes = Number(value, 1, 1440);
      if (!minutes) return Fail(line, "window '" + std::string(value) + "' is not a number of minutes from 1 to 1440");
      d.window_minutes = *minutes;
    } else if (name == "shared-line") {
      if (value != "yes" && value != "no") return Fail(line, "shared-line is yes or no, not '" + std::string(value) + "'");
      d.shared_partner_line = value == "yes";
    } else if (name == "rst") {
      if (value != "yes" && value != "no") return Fail(line, "rst is yes or no, not '" + std::string(value) + "'");
      d.rst = value == "yes";
    } else if (name == "exchange") {
      for (std::string_view v : values) {
        const std::optional<FieldKind> kind = KindByName(v);
        if (!kind) return Fail(line, "unknown exchange field '" + std::string(v) + "' (exact, serial, section, serial-or-section)");
        d.exchange.push_back(*kind);
      }
    } else if (name == "sections") {
      for (std::string_view v : values) d.sections.emplace_back(replay::Upper(v));
    } else if (name == "dupe") {
      if (value == "band") {
        d.dupe = DupeScope::kBand;
      } else if (value == "band-mode") {
        d.dupe = DupeScope::kBandMode;
      } else {
        return Fail(line, "dupe is band or band-mode, not '" + std::string(value) + "'");
      }
    } else if (name == "points") {
      const std::optional<int> points = Number(value, 1, 1000);
      if (!points) return Fail(line, "points '" + std::string(value) + "' is not a number from 1 to 1000");
      d.points = *points;
    } else if (name == "score") {
      if (value == "plugin") {
        d.score = ScoreRule::kPlugin;
      } else if (value == "qsos") {
        d.score = ScoreRule::kQsos;
      } else {
        return Fail(line, "score is plugin or qsos, not '" + std::string(value) + "'");
      }
    } else {
      seen_.erase(name);
      return Fail(line, "unknown key '" + name + "'");
    }
    return true;
  }

  bool CostLine(int line, std::string_view verdict_name, const std::vector<std::string_view>& values) {
    const std::optional<Verdict> verdict = VerdictByName(verdict_name);
    if (!verdict) return Fail(line, "unknown verdict '" + std::string(verdict_name) + "'");
    if (*verdict == Verdict::kOk || *verdict == Verdict::kTimeOffset) {
      return Fail(line, "a QSO found " + std::string(verdict_name) + " always counts");
    }
    const std::string key = "cost " + std::string(verdict_name);
    const auto [it, fresh] = seen_.emplace(key, line);
    if (!fresh) return Fail(line, key + " given twice (first on line " + std::to_string(it->second) + ")");
    Cost cost;
    if (values.empty() || (values[0] != "counted" && values[0] != "removed") ||
        (values.size() != 1 && values.size() != 3) || (values.size() == 3 && values[1] != "penalty")) {
      return Fail(line, "a cost is counted or removed, optionally followed by penalty N");
    }
    cost.counted = values[0] == "counted";
    if (values.size() == 3) {
      const std::optional<int> penalty = Number(values[2], 0, 100);
      if (!penalty) return Fail(line, "penalty '" + std::string(values[2]) + "' is not a number of QSOs from 0 to 100");
      cost.penalty = *penalty;
    }
    definition_.costs[static_cast<size_t>(*verdict)] = cost;
    return true;
  }

  bool Finish() {
    ContestDefinition& d = definition_;
    for (const char* key : {"bands", "modes", "start", "hours", "exchange"}) {
      if (seen_.count(key) == 0) return Fail(0, std::string("no ") + key + " given");
    }
    const bool needs_sections = std::find(d.exchange.begin(), d.exchange.end(), FieldKind::kSection) != d.exchange.end();
    if (needs_sections && d.sections.empty()) return Fail(0, "the exchange has a section, but no sections are given");
    if (d.title.empty()) d.title = d.name;
    return true;
  }

  ContestDefinition definition_;

 private:
  std::string_view file_;
  std::string* error_;
  std::map<std::string, int> seen_;
};

}  // namespace

std::string_view VerdictName(Verdict verdict) { return kVerdictNames[static_cast<size_t>(verdict)]; }

std::optional<Verdict> VerdictByName(std::string_view name) {
  for (size_t i = 0; i < kVerdictNames.size(); ++i) {
    if (kVerdictNames[i] == name) return static_cast<Verdict>(i);
  }
  return std::nullopt;
}

int ContestDefinition::BandIndex(std::string_view band) const {
  const auto it = std::find(bands.begin(), bands.end(), band);
  return it == bands.end() ? -1 : static_cast<int>(it - bands.begin());
}

int ContestDefinition::ModeIndex(std::string_view mode) const {
  const auto it = std::find(modes.begin(), modes.end(), mode);
  return it == modes.end() ? -1 : static_cast<int>(it - modes.begin());
}

bool ContestDefinition::IsSection(std::string_view text) const {
  return std::find(sections.begin(), sections.end(), text) != sections.end();
}

std::optional<ContestDefinition> ParseContest(std::string_view text, std::string_view file_name,
                                              std::string* error) {
  Parser parser(file_name, error);
  ContestDefinition& d = parser.definition_;
  std::string_view name = file_name.substr(file_name.find_last_of("/\\") + 1);
  if (const size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  d.name.assign(name);
  // Own errors cost the QSO, the partner's do not, until the file says
  // otherwise.
  for (Verdict v : {Verdict::kNotInLog, Verdict::kBustedCall, Verdict::kBustedExchange, Verdict::kDupe,
                    Verdict::kOutOfPeriod, Verdict::kInvalid}) {
    d.costs[static_cast<size_t>(v)].counted = false;
  }
  size_t pos = 0;
  int line = 0;
  while (const std::optional<std::string_view> next = replay::NextLine(text, &pos)) {
    ++line;
    if (next->find('\0') != std::string_view::npos) return parser.Fail(line, "the line holds a NUL byte"), std::nullopt;
    if (!parser.Line(line, *next)) return std::nullopt;
  }
  if (!parser.Finish()) return std::nullopt;
  return std::move(parser.definition_);
}

}  // namespace crosscheck
