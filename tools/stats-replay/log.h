// What stats-replay reads from a log file: one entry per QSO with the texts
// the host would hand to the plug-in, and the problems met on the way.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input.h"

namespace replay {

// A calendar date and time in UTC, as logs write it.
struct QsoTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

  // Days since 1899-12-30, the fraction being the time of day: the day count
  // of an OLE automation date.
  double OleDays() const;
  // The same day at 00:00.
  QsoTime Midnight() const { return {year, month, day, 0, 0, 0}; }
  auto operator<=>(const QsoTime&) const = default;
};

// Parses "YYYYMMDD" (ADIF) or "YYYY-MM-DD" (Cabrillo); nullopt unless it is
// a real calendar date.
std::optional<QsoTime> ParseDate(std::string_view text);
// Adds "HHMM" or "HHMMSS" to a date; false unless it is a real time of day.
bool ParseTimeOfDay(std::string_view text, QsoTime* time);

struct LogQso {
  int number = 0;  // ADIF: record number; Cabrillo: line number
  int line = 0;    // line where the QSO starts
  std::string call;
  std::string own_call;  // as logged with the QSO; empty when the log has none
  QsoTime time;
  uint32_t frequency_hz = 0;
  std::string band;  // the host's band name ("20m"), or empty
  std::string mode;  // the mode text handed to the plug-in
  std::string rst_sent = "599";
  std::string rst_received = "599";
  std::string exchange_sent;
  std::string exchange_received;
  // The log's own prefix (ADIF PFX), for the check only: the prefix scored
  // is always worked out from the call.
  std::string prefix;
};

struct ReadProblem {
  int line = 0;
  std::string reason;
  // Whether the record was left out; a record read in another way than it
  // says (a FREQ in Hz, a TIME_OFF for the time) is handed on as well.
  bool skipped = true;
};

// A header line of a Cabrillo log ("NAME: ...").
struct HeaderLine {
  int line = 0;
  std::string tag;    // upper case, without the colon
  std::string value;  // blanks around removed
};

struct Log {
  std::vector<LogQso> qsos;
  std::vector<ReadProblem> problems;  // each one a record reported (and skipped, unless said)
  std::string own_call;               // from the log's header or first QSO; may be empty
  std::vector<HeaderLine> header;     // Cabrillo: the header lines, in file order
};

enum class LogFormat { kAdif, kCabrillo };

// Cabrillo when the first line that is not blank starts with
// "START-OF-LOG:", or, failing that, when the file name ends in .cbr or
// .log; ADIF otherwise.  Reads no more of the source than the start of that
// line.
LogFormat DetectFormat(std::string_view file_name, ByteSource& source);
LogFormat DetectFormat(std::string_view file_name, std::string_view contents);

// What a reader hands on, in file order, as it reads.  The objects passed
// are reused for the next QSO or line: a receiver copies what it keeps.
class LogReceiver {
 public:
  virtual ~LogReceiver() = default;
  virtual void OnQso(const LogQso& qso) = 0;
  virtual void OnProblem(const ReadProblem& problem) = 0;
  virtual void OnHeader(const HeaderLine& header) { (void)header; }
  // Whether the receiver reads a QSO's band, mode, reports, exchanges and
  // prefix.  When not, the ADIF reader leaves them unset; the number, line,
  // call, own call, time and frequency are always read, and so is every
  // problem.
  virtual bool WantsAllFields() const { return true; }
};

// The streaming readers: one record or line at a time, each QSO, problem
// and header line handed to the receiver as soon as it is read.  They
// return the log's own call (Log::own_call).  A failure of the source ends
// the reading; the caller asks the source for it.
std::string StreamAdif(ByteSource& source, LogReceiver& receiver);
std::string StreamCabrillo(ByteSource& source, LogReceiver& receiver);

// The whole log of a text at once (tests, tools).
Log ReadAdif(std::string_view contents);
Log ReadCabrillo(std::string_view contents);

}  // namespace replay
