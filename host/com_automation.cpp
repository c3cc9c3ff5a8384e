// The client of the running host's automation object, over the system's
// automation connection (platform/automation_connection.h): the host's
// fixed dispatch ids and what each answer means.  Built where the system has
// automation objects (Windows); elsewhere the host is never found
// (host/no_host.cpp).
#include <memory>
#include <string>

#include "host/automation.h"
#include "platform/automation_connection.h"

namespace stats {
namespace {

class ComHost final : public host::Automation {
 public:
  bool Connect() override {
    if (!connection_) connection_ = NewAutomationConnection();
    // Only a running host is used: none is started.
    return connection_ != nullptr && connection_->Connect(host::kProgId);
  }

  bool Connected() override { return connection_ != nullptr && connection_->Connected(); }

  void Disconnect() override {
    if (connection_) connection_->Disconnect();
  }

  void LetGoOfHost() override {
    if (connection_) connection_->Release();
  }

  void Abandon() override {
    if (connection_) connection_->Abandon();
  }

  std::string GetEntryField(int field) override {
    if (!Connected()) return std::string();
    AutomationValue argument;
    argument.kind = AutomationValue::Kind::kInt;
    argument.int_value = field;
    AutomationValue result;
    if (!connection_->Invoke(host::kDispidEntryField, false, &argument, &result)) {
      return std::string();
    }
    // Whatever the host answered, only a string is read as one.
    return result.kind == AutomationValue::Kind::kText ? result.text : std::string();
  }

  double GetFrequency() override {
    if (!Connected()) return 0.0;
    AutomationValue result;
    if (!connection_->Invoke(host::kDispidFrequency, true, nullptr, &result)) return 0.0;
    // Another kind of number is taken as one; a text is no frequency.
    return result.kind == AutomationValue::Kind::kNumber ? result.number : 0.0;
  }

  void SendCommand(const std::string& command) override {
    if (!Connected()) return;
    AutomationValue argument;
    argument.kind = AutomationValue::Kind::kText;
    argument.text = command;
    AutomationValue ignored;
    connection_->Invoke(host::kDispidSendCommand, false, &argument, &ignored);
  }

 private:
  std::unique_ptr<AutomationConnection> connection_;
};

}  // namespace

namespace host {

Automation& NativeHost() {
  // Lives until the process ends, like the window thread that uses it.
  static ComHost* host = new ComHost;
  return *host;
}

}  // namespace host
}  // namespace stats
