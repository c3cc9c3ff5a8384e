// The system's side of a client of another program's automation object: a
// connection to the running program's object by its registered name, and
// calls by dispatch id with at most one positional argument.  On Windows it
// is COM (platform/win32/com_connection.cpp); the client that knows what to
// call lives in host/.
//
// Threads: a connection belongs to the thread that connects it; every call,
// Disconnect included, is made on that thread.
#pragma once

#include <memory>
#include <string>

namespace stats {

// A value passed to or returned by a call.
struct AutomationValue {
  enum class Kind {
    kNone,    // no value (no argument; a result that is neither of the below)
    kInt,     // a 32-bit integer (an argument)
    kText,    // a string: in the host's code page as a result, ASCII as an argument
    kNumber,  // a floating-point number, or a result the system converted to one
  };
  Kind kind = Kind::kNone;
  int int_value = 0;
  double number = 0.0;
  std::string text;
};

class AutomationConnection {
 public:
  virtual ~AutomationConnection() = default;

  // Prepares the calling thread (COM, once) and connects to the running
  // object registered as prog_id; a program that is not running is not
  // started.  On success the new object replaces the one held; on failure
  // the old one stays.  Returns Connected().
  virtual bool Connect(const std::string& prog_id) = 0;
  virtual bool Connected() const = 0;
  // Lets go of the object and undoes the thread's preparation.
  virtual void Disconnect() = 0;
  // Lets go of the object; the thread stays prepared.
  virtual void Release() = 0;
  // Forgets the object and the thread's preparation without undoing either
  // (both would wait for the other program); the thread's end does.
  virtual void Abandon() = 0;

  // Calls member dispid: a method, or a property read when property_get.
  // argument may be null.  True when the call succeeded; *result then holds
  // what came back.  Failures are logged (platform/failure_log.h).
  virtual bool Invoke(int dispid, bool property_get, const AutomationValue* argument,
                      AutomationValue* result) = 0;
};

// A new connection of this system; null where there is none.
std::unique_ptr<AutomationConnection> NewAutomationConnection();

}  // namespace stats
