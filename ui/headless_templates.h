// The operator windows' dialog templates as the headless window system makes
// them: resources/windows.rc, laid out by hand and checked against the
// templates by a test (tests/platform/dialog_templates_test.cpp).
#pragma once

namespace stats::ui {

// Defines the four templates for the headless window system; the window
// thread's start does so before any window is made.  Safe to call again and
// from any thread.
void DefineHeadlessTemplates();

}  // namespace stats::ui
