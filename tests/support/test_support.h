// The plug-in's tests' support: a fixture with a fresh contest state in a
// scratch folder, and the host's calls of the exports with their long
// argument lists.  tests/plugin/ uses it; the layers' tests use the scratch
// folder (scratch.h), the host's data (host_data.h) and, for the operator
// windows, the windows' support (windows_support.h) alone.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin/abi.h"
#include "plugin/exports.h"
#include "plugin/host_args.h"
#include "plugin/host_kit.h"
#include "model/oledate.h"
#include "tests/support/host_data.h"
#include "tests/support/scratch.h"

namespace stats::testing {

// Each test runs in a fresh scratch folder as the current directory, with a
// fresh contest state and the test platform installed.
class PluginTest : public ScratchTest {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// ResetStats0 with the arguments it reads, the others filled with blanks.
struct Reset {
  std::string host_folder;  // "" = the current directory
  int cabrillo = 0;
  std::string own_call = "ON4XX";
  OleDateTime start = Date(2017, 1, 6);
  OleDateTime end = Date(2017, 1, 7);
  std::string own_country = "DL";
  int Call() const;
};

// AddData0 / RemoveData0 with the arguments they read.
struct Qso : QsoData {
  int Add() const;
  int Remove() const;
};

// CheckCallFunc0 with the arguments it reads.
struct Check : CheckData {
  int Call() const;
};

// GetResult0, with a check that it stores -1.
std::string Result();

}  // namespace stats::testing
