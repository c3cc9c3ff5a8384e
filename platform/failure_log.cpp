#include "platform/failure_log.h"

#include <exception>
#include <mutex>

namespace stats::failure_log {
namespace {

struct State {
  std::mutex mutex;
  Capture capture;
};

// Never destroyed: a window thread may log while the process tears down its
// static objects.
State& TheLog() {
  static State* state = new State;
  return *state;
}

}  // namespace

void Record(std::string_view call, std::string_view subject, std::string_view reason) {
  std::string line = "Stats: ";
  line.append(call);
  if (!subject.empty()) {
    line += ' ';
    line.append(subject);
  }
  line += ": ";
  line.append(reason.empty() ? std::string_view("unknown error") : reason);
  try {
    WriteDebugLine(line);
    Capture capture;
    {
      State& log = TheLog();
      std::lock_guard lock(log.mutex);
      capture = log.capture;
    }
    if (capture) capture(line);
  } catch (...) {
    // The log is the last resort: it never adds a failure of its own.
  }
}

void RecordCaught(std::string_view call) noexcept {
  try {
    if (!std::current_exception()) {
      Record(call, "exception", "");
      return;
    }
    try {
      throw;
    } catch (const std::exception& e) {
      Record(call, "exception", e.what());
    } catch (...) {
      Record(call, "exception", "not a standard exception");
    }
  } catch (...) {
    // Not even the line could be made: the log adds no failure of its own.
  }
}

Capture SetCapture(Capture capture) {
  State& log = TheLog();
  std::lock_guard lock(log.mutex);
  Capture previous = std::move(log.capture);
  log.capture = std::move(capture);
  return previous;
}

}  // namespace stats::failure_log
