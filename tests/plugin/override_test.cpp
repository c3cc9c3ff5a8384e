// The seams' overrides: one convention for every seam (platform/override.h).
#include <gtest/gtest.h>

#include "host/automation.h"
#include "platform/headless/headless_gui.h"
#include "platform/override.h"
#include "platform/platform.h"
#include "platform/window.h"
#include "reports/header_form.h"
#include "tests/support/test_support.h"
#include "ui/contest_link.h"

namespace stats {
namespace {

struct Thing {
  int n = 0;
};

Thing& NativeThing() {
  static Thing native{1};
  return native;
}

TEST(Override, SetReturnsTheObjectInUseAndRestoresWhatItReturned) {
  Override<Thing, NativeThing> seam;
  Thing mine{2}, other{3};
  EXPECT_EQ(&seam.Get(), &NativeThing());
  // Without an override the native object is the one in use.
  EXPECT_EQ(seam.Set(&mine), &NativeThing());
  EXPECT_EQ(&seam.Get(), &mine);
  EXPECT_EQ(seam.Set(&other), &mine);
  // Putting back what Set returned restores the seam, step by step.
  EXPECT_EQ(seam.Set(&mine), &other);
  EXPECT_EQ(seam.Set(&NativeThing()), &mine);
  EXPECT_EQ(&seam.Get(), &NativeThing());
  // Null and the native object both remove the override.
  seam.Set(&mine);
  EXPECT_EQ(seam.Set(nullptr), &mine);
  EXPECT_EQ(seam.Set(nullptr), &NativeThing());
  EXPECT_EQ(&seam.Get(), &NativeThing());
}

class NoForm : public HeaderForm {
 public:
  bool Run(CabrilloHeader&) override { return false; }
};

class NoLink : public ui::ContestLink {
 public:
  ui::ContestView Read(const std::string&, int) override { return {}; }
  ui::ContestView OpenSetup() override { return {}; }
  void ChooseSection(const std::string&) override {}
};

// Each of the plug-in's seams answers the same way: the object in use, the
// native one when nothing is installed.
TEST(Override, EverySeamFollowsTheOneConvention) {
  testing::TestPlatform platform;
  Platform* before_platform = SetPlatform(&platform);
  EXPECT_EQ(&Os(), &platform);
  EXPECT_EQ(SetPlatform(nullptr), &platform);
  EXPECT_EQ(SetPlatform(before_platform), &NativePlatform());

  headless::HeadlessGui gui;
  WindowSystem* before_gui = SetGui(&gui);
  EXPECT_EQ(&Gui(), &gui);
  EXPECT_EQ(SetGui(nullptr), &gui);
  EXPECT_EQ(SetGui(before_gui), &NativeGui());

  host::Automation* before_host = host::SetHost(&host::NoHost());
  EXPECT_EQ(&host::Host(), &host::NoHost());
  EXPECT_EQ(host::SetHost(nullptr), &host::NoHost());
  EXPECT_EQ(host::SetHost(before_host), &host::NativeHost());

  NoForm form;
  HeaderForm* before_form = SetHeaderForm(&form);
  EXPECT_EQ(&CurrentHeaderForm(), &form);
  EXPECT_EQ(SetHeaderForm(nullptr), &form);
  EXPECT_EQ(SetHeaderForm(before_form), &NativeHeaderForm());

  // The boundary installs its link as the module loads.
  NoLink link;
  ui::ContestLink* boundary = ui::SetContestLink(&link);
  ASSERT_NE(boundary, nullptr);
  EXPECT_EQ(&ui::Link(), &link);
  EXPECT_EQ(ui::SetContestLink(nullptr), &link);
  ui::ContestLink* empty = &ui::Link();
  EXPECT_NE(empty, boundary);
  EXPECT_EQ(ui::SetContestLink(boundary), empty);
  EXPECT_EQ(&ui::Link(), boundary);
}

}  // namespace
}  // namespace stats
