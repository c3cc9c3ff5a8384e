// The ADIF 3 reader (.adi): an optional header ended by <EOH>, then records
// of fields <NAME:LENGTH[:TYPE]>DATA ended by <EOR>.  Names are taken
// without regard to case; a length counts bytes, not characters, so UTF-8
// text is read exactly as long as the log says.  Text between tags is
// ignored, and so is a "tag" with a blank inside (<COMMENT: 12> in a
// comment), which no data specifier has.  An end-of-file marker (<EOF>,
// <APP_LoTW_EOF>) ends the data.  Lines end in LF, CR LF or a lone CR.
#include <algorithm>
#include <array>
#include <cstring>

#include "host_rules.h"
#include "log.h"

namespace replay {
namespace {

struct Token {
  enum Kind { kField, kMarker, kEndOfHeader, kEndOfRecord, kBad } kind = kField;
  std::string_view name;    // as written; like value, valid until the next tag
  std::string_view value;   // into the reader's window, valid until the next tag
  int line = 0;             // of the tag's '<', when Next was asked for it
  std::string problem;      // kBad: why the tag cannot be read
};

char Raised(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether a name as written is the known name, which is in capitals: names
// are taken without regard to case.
bool SameName(std::string_view name, std::string_view known) {
  if (name.size() != known.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (Raised(name[i]) != known[i]) return false;
  }
  return true;
}

// What keeps views of the tokenizer's window from one tag to the next: it
// copies them aside before the window's bytes move.
class WindowViews {
 public:
  virtual void KeepAside() = 0;

 protected:
  ~WindowViews() = default;
};

// Reads the tags of a source one after the other; only the tag being read
// and the data of its field are held.
class Tokenizer {
 public:
  Tokenizer(ByteSource& source, WindowViews& views) : window_(source), views_(views) {}

  // The next tag, or false at the end of the text.  The tag's line is
  // worked out only when asked for (with_line; token->line is left as it
  // was otherwise): the line ends are counted in one pass over all the
  // bytes passed since, not tag by tag.
  bool Next(Token* token, bool with_line) {
    // The next '<' that a '>' closes with no blank in between (a data
    // specifier has none) or, failing that, a last '<' left open.  One pass
    // over the text between tags; the text before a '<' is passed over as
    // soon as it is seen.  The first ':' of the tag is noted on the way.
    constexpr size_t npos = std::string_view::npos;
    size_t open = npos, close = npos, colon = npos;
    size_t i = 0;
    while (true) {
      const std::string_view text = Text();
      while (i < text.size()) {
        if (open == npos) {
          // Text between tags: on to the next '<', which mostly follows
          // within a byte or two (a blank after a field's data).
          size_t next = i;
          const size_t near = std::min(text.size(), i + 8);
          while (next < near && text[next] != '<') ++next;
          if (next == near && next < text.size()) {
            const void* far = std::memchr(text.data() + next, '<', text.size() - next);
            next = far == nullptr ? text.size()
                                  : static_cast<size_t>(static_cast<const char*>(far) - text.data());
          }
          if (next >= text.size()) {
            i = text.size();
            break;
          }
          open = next;
          colon = npos;
          i = open + 1;
          continue;
        }
        const char c = text[i];
        // Letters and '_', most of a tag: none of the bytes looked for.
        if (c > '>') {
          ++i;
          continue;
        }
        if (c == '>') {
          close = i;
          break;
        }
        if (c == '<') {
          open = i;
          colon = npos;
        } else if (c == ':') {
          if (colon == npos) colon = i;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
          open = npos;  // text that happens to hold '<'
        }
        ++i;
      }
      if (close != npos) break;
      const size_t keep = open == npos ? i : open;
      Pass(keep);
      i -= keep;
      if (open != npos) {
        open = 0;
        if (colon != npos) colon -= keep;
      }
      if (!More()) break;
    }
    if (open == npos) {
      Pass(Text().size());
      return false;
    }
    Pass(open);
    token->kind = Token::kField;
    token->value = std::string_view();
    token->problem.clear();
    if (with_line) {
      Settle();
      token->line = line_;
    }
    if (close == npos) {
      Pass(Text().size());
      token->name = std::string_view();
      token->kind = Token::kBad;
      token->problem = "tag not closed by '>' before the end of the file";
      return true;
    }
    close -= open;
    // The tag's text between '<' and '>', and the colon's place in it.
    const std::string_view inside = Text().substr(1, close - 1);
    if (colon != npos) colon -= open + 1;
    token->name = inside.substr(0, colon);
    std::string_view length;
    if (colon != npos) {
      // An optional type letter follows the length after a second colon.
      size_t length_end = colon + 1;
      while (length_end < inside.size() && inside[length_end] != ':') ++length_end;
      length = inside.substr(colon + 1, length_end - colon - 1);
    }
    Pass(close + 1);
    if (colon == npos) {
      // The data ends here: what follows is not read.
      const std::string_view name = token->name;
      if (SameName(name, "EOF") ||
          (name.size() >= 4 && SameName(name.substr(name.size() - 4), "_EOF"))) {
        return false;
      }
      token->kind = SameName(name, "EOH")   ? Token::kEndOfHeader
                    : SameName(name, "EOR") ? Token::kEndOfRecord
                                            : Token::kMarker;
      return true;
    }
    size_t bytes = 0;
    bool ok = !length.empty() && length.size() <= 9;
    for (char c : length) {
      if (c < '0' || c > '9') ok = false;
      else bytes = bytes * 10 + static_cast<size_t>(c - '0');
    }
    if (!ok) {
      token->kind = Token::kBad;
      token->problem = "field " + Upper(token->name) + " has no valid length";
      return true;
    }
    if (Text().size() < bytes) {
      // Reading more moves the window's bytes: the name is kept aside.
      name_.assign(token->name);
      token->name = name_;
    }
    if (Text().size() < bytes && !Fill(bytes)) {
      const size_t rest = Text().size();
      token->kind = Token::kBad;
      token->problem = "field " + Upper(token->name) + " announces " + std::to_string(bytes) +
                       " bytes but the file ends after " + std::to_string(rest);
      Pass(rest);
      return true;
    }
    token->value = Text().substr(0, bytes);
    Pass(bytes);
    return true;
  }

 private:
  // The bytes not yet passed over.  The window still holds the passed_
  // bytes before them, whose line ends are not counted yet.
  std::string_view Text() const { return window_.View().substr(passed_); }
  void Pass(size_t count) { passed_ += count; }

  // Counts the line ends of the bytes passed over and lets the window drop
  // them: LF, CR LF and a lone CR are one each (a CR counts, and so does an
  // LF that no CR comes just before).
  void Settle() {
    const std::string_view text = window_.View().substr(0, passed_);
    if (text.empty()) return;
    // Line ends are a byte or two in a record of hundreds: they are
    // looked for rather than each byte tested.
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    for (const char* at = begin;; ++at) {
      at = static_cast<const char*>(std::memchr(at, '\r', static_cast<size_t>(end - at)));
      if (at == nullptr) break;
      ++line_;
    }
    for (const char* at = begin;; ++at) {
      at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)));
      if (at == nullptr) break;
      if ((at > begin ? at[-1] : previous_) != '\r') ++line_;
    }
    previous_ = text.back();
    window_.Skip(passed_);
    passed_ = 0;
  }

  // Reading more moves the window's bytes: the passed ones are counted
  // first.
  bool More() {
    views_.KeepAside();
    Settle();
    return window_.More();
  }
  bool Fill(size_t count) {
    views_.KeepAside();
    Settle();
    return window_.Fill(count);
  }

  ReadWindow window_;
  WindowViews& views_;
  std::string name_;  // a tag's name while the window moves under it
  size_t passed_ = 0;
  int line_ = 1;
  char previous_ = '\0';
};

bool HoldsNul(std::string_view value) {
  for (const char c : value) {
    if (c == '\0') return true;
  }
  return false;
}

// The fields of a record that make its QSO, by name.
enum FieldId {
  kCall, kQsoDate, kTimeOn, kFreq, kBand, kMode, kSubmode, kRstSent, kRstRcvd, kStxString,
  kStx, kSrxString, kSrx, kPfx, kStationCallsign, kOperator, kTimeOff, kFieldCount
};
constexpr std::array<std::string_view, kFieldCount> kFieldNames = {
    "CALL", "QSO_DATE", "TIME_ON", "FREQ", "BAND", "MODE", "SUBMODE", "RST_SENT", "RST_RCVD",
    "STX_STRING", "STX", "SRX_STRING", "SRX", "PFX", "STATION_CALLSIGN", "OPERATOR",
    "TIME_OFF"};

int FieldOf(std::string_view name) {
  // Most fields of a log are none of these: the first letter and the length
  // rule out nearly all of them before any comparison.
  if (name.empty()) return -1;
  const char first = Raised(name.front());
  for (size_t k = 0; k < kFieldNames.size(); ++k) {
    const std::string_view known = kFieldNames[k];
    if (known.front() == first && SameName(name, known)) return static_cast<int>(k);
  }
  return -1;
}

// One record's fields that are used: the first value that is not empty of
// each, blanks around removed.  A value is looked at where the tokenizer
// read it, and copied aside only when the window moves before the record
// ends.  Reused from record to record.
class Fields final : public WindowViews {
 public:
  void Clear() { set_.fill(false); }
  void Take(int id, std::string_view value) {
    const auto k = static_cast<size_t>(id);
    if (id < 0 || value.empty() || set_[k]) return;
    set_[k] = true;
    views_[k] = Trim(value);
  }
  std::string_view operator[](FieldId id) const {
    return set_[id] ? views_[id] : std::string_view();
  }
  void KeepAside() override {
    for (size_t k = 0; k < kFieldCount; ++k) {
      if (!set_[k] || views_[k].data() == kept_[k].data()) continue;
      kept_[k].assign(views_[k]);
      views_[k] = kept_[k];
    }
  }

 private:
  std::array<std::string_view, kFieldCount> views_;
  std::array<std::string, kFieldCount> kept_;
  std::array<bool, kFieldCount> set_{};
};

// What a log is told once, at its first record that needs it.
struct LogNotes {
  bool time_off = false;   // TIME_OFF taken for a missing TIME_ON
  bool freq_scale = false;  // FREQ read as Hz or kHz
};

// A FREQ that is no frequency in MHz of the record's band but plainly one in
// Hz (14074000) or kHz (14074, 3580): the reading whose band is the record's
// BAND, or, without a BAND, the one that falls in a band; its unit in *unit.
std::optional<uint32_t> FrequencyOtherUnit(std::string_view freq, std::string_view band,
                                           const char** unit) {
  const std::string wanted = NormalBand(band);
  const auto fits = [&](std::optional<uint32_t> hz) {
    if (!hz || *hz == 0) return false;
    const std::string found = BandOfFrequency(*hz);
    return !found.empty() && (wanted.empty() || found == wanted);
  };
  if (const std::optional<uint32_t> hz = KilohertzToHz(freq); fits(hz)) {
    *unit = "kHz";
    return hz;
  }
  if (freq.find('.') == std::string_view::npos) {
    // A whole number of Hz: its MHz with the six last digits after the point.
    const size_t pad = freq.size() < 7 ? 7 - freq.size() : 0;
    std::string text(pad, '0');
    text.append(freq);
    const std::string_view digits = text;
    text = std::string(digits.substr(0, digits.size() - 6)) + "." +
           std::string(digits.substr(digits.size() - 6));
    if (const std::optional<uint32_t> hz = MegahertzToHz(text); fits(hz)) {
      *unit = "Hz";
      return hz;
    }
  }
  return std::nullopt;
}

// Turns one record's fields into a QSO; false with *reason when it cannot be.
// What is read in another way than the record says (a TIME_OFF for the
// time, a FREQ in another unit or left for the BAND) goes to *notices.
bool ToQso(const Fields& fields, bool all_fields, LogNotes* notes, LogQso* qso,
           std::string* reason, std::vector<std::string>* notices) {
  UpperInto(fields[kCall], &qso->call);
  if (qso->call.empty()) {
    *reason = "no CALL";
    return false;
  }
  const std::string_view date = fields[kQsoDate];
  const std::optional<QsoTime> day = ParseDate(date);
  if (!day) {
    *reason = date.empty() ? "no QSO_DATE" : "QSO_DATE '" + std::string(date) + "' is not a date";
    return false;
  }
  qso->time = *day;
  std::string_view time = fields[kTimeOn];
  const bool time_off = time.empty() && !fields[kTimeOff].empty();
  if (time_off) time = fields[kTimeOff];
  if (!ParseTimeOfDay(time, &qso->time)) {
    const std::string name = time_off ? "TIME_OFF" : "TIME_ON";
    *reason = time.empty() ? "no TIME_ON" : name + " '" + std::string(time) + "' is not a time";
    return false;
  }
  if (time_off && !notes->time_off) {
    notes->time_off = true;
    notices->push_back("no TIME_ON: the QSO's time is its TIME_OFF, here and in every record "
                       "of the log without a TIME_ON");
  }
  qso->frequency_hz = 0;
  const std::string_view freq = fields[kFreq];
  const std::string_view band = fields[kBand];
  if (!freq.empty()) {
    std::optional<uint32_t> hz = MegahertzToHz(freq);
    // Read in MHz it falls in no band, or in another than the BAND: it may
    // be written in Hz or kHz.
    const std::string in_mhz = hz ? BandOfFrequency(*hz) : std::string();
    if (!hz || (*hz != 0 && (in_mhz.empty() || (!band.empty() && in_mhz != NormalBand(band))))) {
      const char* unit = "";
      if (const std::optional<uint32_t> other = FrequencyOtherUnit(freq, band, &unit)) {
        if (!notes->freq_scale) {
          notes->freq_scale = true;
          notices->push_back("FREQ '" + std::string(freq) + "' is read as " + unit +
                             ", not MHz, here and in every record of the log where only that "
                             "reading falls in a band");
        }
        hz = other;
      }
    }
    if (hz) {
      qso->frequency_hz = *hz;
    } else if (!band.empty()) {
      // The BAND scores the QSO; the frequency is not known.
      notices->push_back("FREQ '" + std::string(freq) +
                         "' is not a frequency in MHz; the QSO is scored on its BAND");
    } else {
      *reason = "FREQ '" + std::string(freq) + "' is not a frequency in MHz";
      return false;
    }
  }
  UpperInto(fields[kStationCallsign], &qso->own_call);
  if (qso->own_call.empty()) UpperInto(fields[kOperator], &qso->own_call);
  if (!all_fields) return true;
  qso->band = !band.empty() ? NormalBand(band) : BandOfFrequency(qso->frequency_hz);
  qso->mode = AdifModeText(fields[kMode], fields[kSubmode]);
  const std::string_view rst_sent = fields[kRstSent], rst_received = fields[kRstRcvd];
  qso->rst_sent.assign(rst_sent.empty() ? std::string_view("599") : rst_sent);
  qso->rst_received.assign(rst_received.empty() ? std::string_view("599") : rst_received);
  qso->exchange_sent.assign(fields[kStxString]);
  if (qso->exchange_sent.empty()) qso->exchange_sent = SerialText(fields[kStx]);
  qso->exchange_received.assign(fields[kSrxString]);
  if (qso->exchange_received.empty()) qso->exchange_received = SerialText(fields[kSrx]);
  UpperInto(fields[kPfx], &qso->prefix);
  return true;
}

// Collects what the readers hand on into a whole Log.
class Collector final : public LogReceiver {
 public:
  explicit Collector(Log* log) : log_(log) {}
  void OnQso(const LogQso& qso) override { log_->qsos.push_back(qso); }
  void OnProblem(const ReadProblem& problem) override { log_->problems.push_back(problem); }
  void OnHeader(const HeaderLine& header) override { log_->header.push_back(header); }

 private:
  Log* log_;
};

// What a record's problem says: its number, then why.
std::string RecordProblem(int number, std::string_view why) {
  return "record " + std::to_string(number) + ": " + std::string(why);
}

}  // namespace

std::string StreamAdif(ByteSource& source, LogReceiver& receiver) {
  // The tags before an <EOH> belong to a header; a record is handed on at
  // its <EOR>.
  Fields fields;
  int record_line = 0;
  std::string problem;  // the first tag of the record that could not be read
  bool open = false;    // the record has seen a tag
  int number = 0;
  std::string own_call;
  LogQso qso;
  std::string reason;
  const bool all_fields = receiver.WantsAllFields();
  LogNotes notes;
  std::vector<std::string> notices;
  Tokenizer tokens(source, fields);
  Token token;
  // The line is needed for the first tag of a record only.
  while (tokens.Next(&token, !open)) {
    // A tag without data (<APP_X_MARK>) neither starts nor changes a record.
    if (token.kind == Token::kMarker) continue;
    if (!open) {
      fields.Clear();
      problem.clear();
      record_line = token.line;
    }
    switch (token.kind) {
      case Token::kEndOfHeader:
        // What came since the last record was a header: its fields are no
        // QSO.  A second header (logs joined into one file) drops nothing.
        open = false;
        continue;
      case Token::kEndOfRecord: {
        ++number;
        open = false;
        reason = problem;
        // Every field of the QSO is set anew; its texts keep their room.
        qso.number = number;
        qso.line = record_line;
        notices.clear();
        const bool read =
            reason.empty() && ToQso(fields, all_fields, &notes, &qso, &reason, &notices);
        // A notice told once for the log is told even when its record turns
        // out to be unreadable for another reason.
        for (const std::string& notice : notices) {
          receiver.OnProblem({record_line, RecordProblem(number, notice), false});
        }
        if (read) {
          receiver.OnQso(qso);
        } else {
          receiver.OnProblem({record_line, RecordProblem(number, reason)});
        }
        // The own call is the first a record names, read or not.
        if (own_call.empty()) UpperInto(fields[kStationCallsign], &own_call);
        if (own_call.empty()) UpperInto(fields[kOperator], &own_call);
        continue;
      }
      case Token::kBad:
        if (problem.empty()) problem = token.problem;
        break;
      case Token::kField:
        // The host hands texts on as C strings: a NUL would cut the value.
        if (problem.empty() && HoldsNul(token.value)) {
          problem = "field " + Upper(token.name) + " holds a NUL byte";
        }
        fields.Take(FieldOf(token.name), token.value);
        break;
      case Token::kMarker:
        break;
    }
    open = true;
  }
  if (open) {
    if (own_call.empty()) UpperInto(fields[kStationCallsign], &own_call);
    if (own_call.empty()) UpperInto(fields[kOperator], &own_call);
    const std::string why = !problem.empty() ? problem : "not ended by <EOR>";
    receiver.OnProblem({record_line, RecordProblem(number + 1, why)});
  }
  return own_call;
}

Log ReadAdif(std::string_view contents) {
  Log log;
  TextSource source(contents);
  Collector collector(&log);
  log.own_call = StreamAdif(source, collector);
  return log;
}

Log ReadCabrillo(std::string_view contents) {
  Log log;
  TextSource source(contents);
  Collector collector(&log);
  log.own_call = StreamCabrillo(source, collector);
  return log;
}

}  // namespace replay
