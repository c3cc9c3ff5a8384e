#include "tests/support/fake_host.h"

#include <chrono>

namespace stats::host {

void FakeHost::SetRunning(bool running) {
  std::lock_guard lock(mutex_);
  running_ = running;
}

void FakeHost::SetEntryLine(const std::string& call) {
  std::lock_guard lock(mutex_);
  entry_line_ = call;
}

void FakeHost::SetFrequency(double hz) {
  std::lock_guard lock(mutex_);
  frequency_ = hz;
}

void FakeHost::Hold() {
  std::lock_guard lock(mutex_);
  held_ = true;
}

void FakeHost::Release() {
  std::lock_guard lock(mutex_);
  held_ = false;
  changed_.notify_all();
}

bool FakeHost::WaitUntilEntered(unsigned timeout_ms) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [&] { return waiting_ > 0; });
}

std::vector<std::string> FakeHost::Commands() const {
  std::lock_guard lock(mutex_);
  return commands_;
}

void FakeHost::ClearCommands() {
  std::lock_guard lock(mutex_);
  commands_.clear();
}

int FakeHost::Connects() const {
  std::lock_guard lock(mutex_);
  return connects_;
}

int FakeHost::Disconnects() const {
  std::lock_guard lock(mutex_);
  return disconnects_;
}

int FakeHost::EntryFieldReads() const {
  std::lock_guard lock(mutex_);
  return entry_reads_;
}

bool FakeHost::Connect() {
  std::lock_guard lock(mutex_);
  ++connects_;
  // A host that is not running leaves an earlier connection as it was.
  if (running_) connected_ = true;
  return connected_;
}

bool FakeHost::Connected() {
  std::lock_guard lock(mutex_);
  return connected_;
}

void FakeHost::Disconnect() {
  std::lock_guard lock(mutex_);
  ++disconnects_;
  connected_ = false;
}

int FakeHost::Abandons() const {
  std::lock_guard lock(mutex_);
  return abandons_;
}

bool FakeHost::HeldByPlugin() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

void FakeHost::LetGoOfHost() {
  std::lock_guard lock(mutex_);
  connected_ = false;
}

void FakeHost::Abandon() {
  std::lock_guard lock(mutex_);
  ++abandons_;
  connected_ = false;
}

std::string FakeHost::GetEntryField(int field) {
  std::unique_lock lock(mutex_);
  if (!connected_) return std::string();
  ++waiting_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return !held_; });
  --waiting_;
  ++entry_reads_;
  return field == kEntryFieldCall ? entry_line_ : std::string();
}

double FakeHost::GetFrequency() {
  std::lock_guard lock(mutex_);
  return connected_ ? frequency_ : 0.0;
}

void FakeHost::SendCommand(const std::string& command) {
  std::lock_guard lock(mutex_);
  if (connected_) commands_.push_back(command);
}

}  // namespace stats::host
