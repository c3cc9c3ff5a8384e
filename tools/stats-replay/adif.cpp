// The ADIF 3 reader (.adi): an optional header ended by <EOH>, then records
// of fields <NAME:LENGTH[:TYPE]>DATA ended by <EOR>.  Names are taken
// without regard to case; a length counts bytes, not characters, so UTF-8
// text is read exactly as long as the log says.  Text between tags is
// ignored, and so is a "tag" with a blank inside (<COMMENT: 12> in a
// comment), which no data specifier has.  An end-of-file marker (<EOF>,
// <APP_LoTW_EOF>) ends the data.  Lines end in LF, CR LF or a lone CR.
#include <map>

#include "host_rules.h"
#include "log.h"

namespace replay {
namespace {

struct Token {
  enum Kind { kField, kMarker, kEndOfHeader, kEndOfRecord, kBad } kind = kField;
  std::string name;  // upper case
  std::string value;
  int line = 0;
  std::string problem;  // kBad: why the tag cannot be read
};

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  // The next tag, or false at the end of the text.
  bool Next(Token* token) {
    // The next '<' that a '>' closes with no blank in between (a data
    // specifier has none) or, failing that, a last '<' left open.  One pass
    // over the text between tags.
    size_t open = std::string_view::npos, close = std::string_view::npos;
    for (size_t i = pos_; i < text_.size(); ++i) {
      const char c = text_[i];
      if (c == '<') {
        open = i;
      } else if (open == std::string_view::npos) {
        continue;
      } else if (c == '>') {
        close = i;
        break;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        open = std::string_view::npos;  // text that happens to hold '<'
      }
    }
    if (open == std::string_view::npos) {
      Advance(text_.size());
      return false;
    }
    Advance(open);
    *token = Token();
    token->line = line_;
    if (close == std::string_view::npos) {
      Advance(text_.size());
      token->kind = Token::kBad;
      token->problem = "tag not closed by '>' before the end of the file";
      return true;
    }
    const std::string_view inside = text_.substr(open + 1, close - open - 1);
    Advance(close + 1);
    const size_t colon = inside.find(':');
    token->name = Upper(inside.substr(0, colon));
    if (colon == std::string_view::npos) {
      if (token->name == "EOF" || EndsWith(token->name, "_EOF")) {
        Advance(text_.size());
        return false;
      }
      token->kind = token->name == "EOH"   ? Token::kEndOfHeader
                    : token->name == "EOR" ? Token::kEndOfRecord
                                           : Token::kMarker;
      return true;
    }
    std::string_view length = inside.substr(colon + 1);
    length = length.substr(0, length.find(':'));  // an optional type letter follows
    size_t bytes = 0;
    bool ok = !length.empty() && length.size() <= 9;
    for (char c : length) {
      if (c < '0' || c > '9') ok = false;
      else bytes = bytes * 10 + static_cast<size_t>(c - '0');
    }
    if (!ok) {
      token->kind = Token::kBad;
      token->problem = "field " + token->name + " has no valid length";
      return true;
    }
    if (bytes > text_.size() - pos_) {
      token->kind = Token::kBad;
      token->problem = "field " + token->name + " announces " + std::to_string(bytes) +
                       " bytes but the file ends after " + std::to_string(text_.size() - pos_);
      Advance(text_.size());
      return true;
    }
    token->value = std::string(text_.substr(pos_, bytes));
    Advance(pos_ + bytes);
    return true;
  }

 private:
  static bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
  }

  // Moves to a later position, counting the line ends passed: LF, CR LF
  // and a lone CR are one each.
  void Advance(size_t to) {
    for (size_t i = pos_; i < to; ++i) {
      if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) {
        ++line_;
      }
    }
    pos_ = to;
  }

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
};

using Fields = std::map<std::string, std::string>;

std::string Field(const Fields& fields, const char* name) {
  const auto it = fields.find(name);
  return it == fields.end() ? std::string() : std::string(Trim(it->second));
}

// Turns one record's fields into a QSO; false with *reason when it cannot be.
bool ToQso(const Fields& fields, LogQso* qso, std::string* reason) {
  qso->call = Upper(Field(fields, "CALL"));
  if (qso->call.empty()) {
    *reason = "no CALL";
    return false;
  }
  const std::string date = Field(fields, "QSO_DATE");
  const std::optional<QsoTime> day = ParseDate(date);
  if (!day) {
    *reason = date.empty() ? "no QSO_DATE" : "QSO_DATE '" + date + "' is not a date";
    return false;
  }
  qso->time = *day;
  const std::string time = Field(fields, "TIME_ON");
  if (!ParseTimeOfDay(time, &qso->time)) {
    *reason = time.empty() ? "no TIME_ON" : "TIME_ON '" + time + "' is not a time";
    return false;
  }
  const std::string freq = Field(fields, "FREQ");
  if (!freq.empty()) {
    const std::optional<uint32_t> hz = MegahertzToHz(freq);
    if (!hz) {
      *reason = "FREQ '" + freq + "' is not a frequency in MHz";
      return false;
    }
    qso->frequency_hz = *hz;
  }
  const std::string band = Field(fields, "BAND");
  qso->band = !band.empty() ? NormalBand(band) : BandOfFrequency(qso->frequency_hz);
  qso->mode = AdifModeText(Field(fields, "MODE"), Field(fields, "SUBMODE"));
  if (std::string rst = Field(fields, "RST_SENT"); !rst.empty()) qso->rst_sent = rst;
  if (std::string rst = Field(fields, "RST_RCVD"); !rst.empty()) qso->rst_received = rst;
  qso->exchange_sent = Field(fields, "STX_STRING");
  if (qso->exchange_sent.empty()) qso->exchange_sent = SerialText(Field(fields, "STX"));
  qso->exchange_received = Field(fields, "SRX_STRING");
  if (qso->exchange_received.empty()) qso->exchange_received = SerialText(Field(fields, "SRX"));
  qso->prefix = Upper(Field(fields, "PFX"));
  qso->own_call = Upper(Field(fields, "STATION_CALLSIGN"));
  if (qso->own_call.empty()) qso->own_call = Upper(Field(fields, "OPERATOR"));
  return true;
}

}  // namespace

Log ReadAdif(std::string_view contents) {
  // Records are gathered first; the tags before an <EOH> belong to a header.
  struct Record {
    Fields fields;
    int line = 0;
    std::string problem;  // the first tag that could not be read
  };
  std::vector<Record> records;
  Record current;
  bool open = false;  // current has seen a tag
  Tokenizer tokens(contents);
  Token token;
  while (tokens.Next(&token)) {
    // A tag without data (<APP_X_MARK>) neither starts nor changes a record.
    if (token.kind == Token::kMarker) continue;
    if (!open) {
      current = Record();
      current.line = token.line;
    }
    switch (token.kind) {
      case Token::kEndOfHeader:
        // What came since the last record was a header: its fields are no
        // QSO.  A second header (logs joined into one file) drops nothing.
        open = false;
        continue;
      case Token::kEndOfRecord:
        records.push_back(std::move(current));
        open = false;
        continue;
      case Token::kBad:
        if (current.problem.empty()) current.problem = token.problem;
        break;
      case Token::kField:
        // The host hands texts on as C strings: a NUL would cut the value.
        if (token.value.find('\0') != std::string::npos && current.problem.empty()) {
          current.problem = "field " + token.name + " holds a NUL byte";
        }
        if (!token.value.empty()) current.fields.emplace(token.name, std::move(token.value));
        break;
      case Token::kMarker:
        break;
    }
    open = true;
  }

  Log log;
  int number = 0;
  for (const Record& record : records) {
    ++number;
    std::string reason = record.problem;
    LogQso qso;
    qso.number = number;
    qso.line = record.line;
    if (reason.empty() && ToQso(record.fields, &qso, &reason)) {
      if (log.own_call.empty()) log.own_call = qso.own_call;
      log.qsos.push_back(std::move(qso));
    } else {
      log.problems.push_back({record.line, "record " + std::to_string(number) + ": " + reason});
    }
  }
  if (open) {
    const std::string reason = !current.problem.empty() ? current.problem : "not ended by <EOR>";
    log.problems.push_back(
        {current.line, "record " + std::to_string(number + 1) + ": " + reason});
  }
  return log;
}

}  // namespace replay
