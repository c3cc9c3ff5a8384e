// The plug-in's failure log: one line for every failure that the plug-in
// meets and handles - an exception stopped at an export, a file, settings,
// window or automation call that the system refused, a journal line that
// could not be written - so that a failure that the host never sees still
// leaves a trace.
//
// The lines go to the system's debug output on Windows (OutputDebugString)
// and, elsewhere, to standard error when the environment variable STATS_LOG
// is set.  Tests install a capture to read them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace stats::failure_log {

// Logs "Stats: <call> <subject>: <reason>" (without the subject when it is
// empty): the call that failed, what it worked on (a path, a key, a window
// template, an automation member) and the system's reason.  The texts are
// inserted as they are; none is used as a format.
void Record(std::string_view call, std::string_view subject, std::string_view reason);

// Inside a catch handler: logs the exception being handled as
// "Stats: <call> exception: <what()>", or "not a standard exception" for one
// of another type.  Never throws, so that it may stand in a handler where
// nothing may escape.
void RecordCaught(std::string_view call) noexcept;

// Receives every line (without its line end) while installed, besides the
// system's output.  Returns the capture installed before; an empty one
// removes it.
using Capture = std::function<void(const std::string& line)>;
Capture SetCapture(Capture capture);

// The system's output of one line; in the platform's implementation.
void WriteDebugLine(const std::string& line);

}  // namespace stats::failure_log
