// A fixture that captures the failure log's lines for the length of a test,
// over the scratch folder (scratch.h) or the plug-in's fixture.
#pragma once

#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

#include "platform/failure_log.h"

namespace stats::testing {

// Captures the log's lines for the length of a test.
template <typename Base>
class FailureLogCapture : public Base {
 protected:
  void SetUp() override {
    Base::SetUp();
    failure_log::SetCapture([this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    });
  }
  void TearDown() override {
    failure_log::SetCapture(nullptr);
    Base::TearDown();
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  // The one captured line that contains all the pieces, or "" when there is
  // none or more than one.
  std::string LineWith(std::initializer_list<std::string> pieces) {
    std::string found;
    int count = 0;
    for (const std::string& line : Lines()) {
      bool all = true;
      for (const std::string& piece : pieces) all = all && line.find(piece) != std::string::npos;
      if (all) {
        found = line;
        ++count;
      }
    }
    return count == 1 ? found : std::string();
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace stats::testing
