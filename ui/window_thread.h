// The window thread's side of the module references the host's thread hands
// it (ui_state.h): whether it holds one, and letting them go.
#pragma once

#include "ui/ui_state.h"

namespace stats::ui {

// Whether the thread holds a module reference now, so that it may wait for
// the host's thread or the settings file without risk.
inline bool HoldsReference(const WindowThread& thread) { return thread.references.load() > 0; }

// Takes every reference handed to the thread so far (0 when none); with
// last_look the thread also refuses any further one.
int TakeReferences(WindowThread& thread, bool last_look);

// Lets go of one reference, the one handed over with a refresh message, if
// the thread still holds it.
void LetGoOfOne(WindowThread& thread);

// Lets go of references taken with TakeReferences, each on a thread that
// runs none of the module's code (the last one may unload the module).
void LetGo(int references);

}  // namespace stats::ui
