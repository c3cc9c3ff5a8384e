// A header form that tests script: it records what it was shown and
// confirms or cancels as told, with the fields edited by the script.
#pragma once

#include <functional>

#include "reports/header_form.h"
#include "tests/support/test_support.h"

namespace stats::testing {

class ScriptedForm : public HeaderForm {
 public:
  std::function<bool(CabrilloHeader&)> script = [](CabrilloHeader&) { return true; };
  std::vector<CabrilloHeader> shown;

  bool Run(CabrilloHeader& fields) override {
    shown.push_back(fields);
    return script(fields);
  }
};

// PluginTest with the scripted form installed.
class ReportsTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    old_form_ = SetHeaderForm(&form_);
  }
  void TearDown() override {
    SetHeaderForm(old_form_);
    PluginTest::TearDown();
  }
  ScriptedForm form_;

 private:
  HeaderForm* old_form_ = nullptr;
};

}  // namespace stats::testing
