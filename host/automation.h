// The host's automation object, as the operator windows use it: set the
// host's mode, read the call in the host's entry line and the operating
// frequency, and send a command when the frequency moves.
//
// The build links one native client: on Windows a COM client of the running
// host's object "Zelk2.Application" (CLSIDFromProgID, CoInitialize,
// GetActiveObject, QueryInterface for IDispatch, then IDispatch::Invoke with
// the fixed dispatch ids below and positional arguments; no GetIDsOfNames);
// elsewhere a client that never finds a host.  Tests install a FakeHost
// (tests/support/fake_host.h) with SetHost().
//
// Threads: every call is made on the window thread.  Connect and Disconnect
// bracket one setup window: Connect initialises COM on the calling thread,
// Disconnect releases the dispatch reference and uninitialises COM on the
// same thread.  No call is made on the host's thread and none holds the
// contest-state lock.
#pragma once

#include <string>

namespace stats::host {

inline constexpr const char* kProgId = "Zelk2.Application";

// Dispatch ids of the host's object.
inline constexpr int kDispidFrequency = 2;     // property get, VT_R8: Hz
inline constexpr int kDispidEntryField = 8;    // method(VT_I4 field) -> BSTR
inline constexpr int kDispidSendCommand = 16;  // method(BSTR command)

// The entry-line field that holds the call being typed.
inline constexpr int kEntryFieldCall = 5;

class Automation {
 public:
  virtual ~Automation() = default;

  // Connects to the running host: CLSIDFromProgID(L"Zelk2.Application"),
  // CoInitialize(NULL), GetActiveObject (a host that is not running is not
  // started), QueryInterface for IDispatch; the IUnknown is released.  On
  // success the new dispatch reference replaces the old one; on failure the
  // old one stays and nothing is reported.  Returns Connected().
  virtual bool Connect() = 0;
  // Whether a dispatch reference is held.
  virtual bool Connected() = 0;
  // Releases the dispatch reference and uninitialises COM (CoUninitialize)
  // on the calling thread, which is the one that connected.
  virtual void Disconnect() = 0;
  // Releases the dispatch reference (a call that the host's thread serves);
  // COM stays initialised, and Connect finds the host again.
  virtual void LetGoOfHost() = 0;
  // Forgets the dispatch reference and COM on the calling thread without
  // releasing or uninitialising anything: both wait for the host's thread,
  // which may not answer (it is unloading the plug-in).  The system ends
  // them with the thread.
  virtual void Abandon() = 0;

  // Without a dispatch reference the three operations return at once: "",
  // 0.0, nothing sent.  Failures of Invoke are ignored.
  //
  // Dispatch id 8, DISPATCH_METHOD, one VT_I4 argument: the text of an
  // entry-line field, converted from the BSTR to the thread's ANSI code page
  // (the bytes the rest of the plug-in compares with the host's calls).  The
  // variant is read as a string whatever its type says; a variant that holds
  // no string gives "".
  virtual std::string GetEntryField(int field) = 0;
  // Dispatch id 2, DISPATCH_PROPERTYGET, no argument: the operating
  // frequency in Hz (VT_R8); 0.0 when the result is no number.
  virtual double GetFrequency() = 0;
  // Dispatch id 16, DISPATCH_METHOD, one BSTR argument (the ASCII command
  // widened); the result is not read.
  virtual void SendCommand(const std::string& command) = 0;
};

// The client in use: the built-in one unless a test set another.
Automation& Host();
// Installs a client for tests; null restores the built-in one.  Returns the
// one that was in use (platform/override.h).
Automation* SetHost(Automation* host);
// The built-in client of this build (Windows: COM; elsewhere: no host).
Automation& NativeHost();
// A client that never finds a host: Connect fails, every operation is
// without effect.
Automation& NoHost();

}  // namespace stats::host
