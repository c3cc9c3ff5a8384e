#include "host/automation.h"

#include <atomic>

namespace stats::host {
namespace {

std::atomic<Automation*> g_override{nullptr};

class AbsentHost final : public Automation {
 public:
  bool Connect() override { return false; }
  bool Connected() override { return false; }
  void Disconnect() override {}
  void Abandon() override {}
  void LetGoOfHost() override {}
  std::string GetEntryField(int /*field*/) override { return std::string(); }
  double GetFrequency() override { return 0.0; }
  void SendCommand(const std::string& /*command*/) override {}
};

}  // namespace

Automation& Host() {
  Automation* host = g_override.load(std::memory_order_acquire);
  return host != nullptr ? *host : NativeHost();
}

Automation* SetHost(Automation* host) {
  Automation* old = g_override.exchange(host, std::memory_order_acq_rel);
  return old != nullptr ? old : &NativeHost();
}

Automation& NoHost() {
  static AbsentHost* host = new AbsentHost;
  return *host;
}

}  // namespace stats::host
