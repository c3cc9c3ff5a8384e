// A host automation object for tests: the test sets whether the host runs,
// its entry line and its frequency, and reads the commands it received.
// Safe to use from the test's thread while the window thread calls it.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "host/automation.h"

namespace stats::host {

class FakeHost : public Automation {
 public:
  // -- Set by the test ------------------------------------------------------
  void SetRunning(bool running);
  void SetEntryLine(const std::string& call);
  void SetFrequency(double hz);
  // While held, GetEntryField waits for Release: the window thread stays
  // inside a refresh, as with a host that is slow to answer.
  // WaitUntilEntered waits until a call is held there.
  void Hold();
  void Release();
  bool WaitUntilEntered(unsigned timeout_ms);
  // -- Read by the test -----------------------------------------------------
  std::vector<std::string> Commands() const;
  void ClearCommands();
  // How often each side was called, for checks of "no host work".
  int Connects() const;
  int Disconnects() const;
  int Abandons() const;
  // Whether the plug-in holds the host's object now.
  bool HeldByPlugin() const;
  int EntryFieldReads() const;

  // -- Automation -----------------------------------------------------------
  bool Connect() override;
  bool Connected() override;
  void Disconnect() override;
  void Abandon() override;
  void LetGoOfHost() override;
  std::string GetEntryField(int field) override;
  double GetFrequency() override;
  void SendCommand(const std::string& command) override;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false;
  int waiting_ = 0;
  bool running_ = true;
  bool connected_ = false;
  std::string entry_line_;
  double frequency_ = 0.0;
  std::vector<std::string> commands_;
  int connects_ = 0;
  int disconnects_ = 0;
  int abandons_ = 0;
  int entry_reads_ = 0;
};

}  // namespace stats::host
