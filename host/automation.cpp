#include "host/automation.h"

#include "platform/override.h"

namespace stats::host {
namespace {

constinit Override<Automation, NativeHost> g_host;

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

Automation& Host() { return g_host.Get(); }

Automation* SetHost(Automation* host) { return g_host.Set(host); }

Automation& NoHost() {
  static AbsentHost* host = new AbsentHost;
  return *host;
}

}  // namespace stats::host
