// The Cabrillo header form, behind a seam of its own: the build links the
// platform's form (a dialog on Windows; elsewhere, where there is no window
// system, a form that is confirmed as loaded), and tests install a scripted
// one.
#pragma once

#include "reports/cabrillo_header.h"

namespace stats {

class HeaderForm {
 public:
  virtual ~HeaderForm() = default;
  // Shows the fields and waits until the operator closes the form.  True
  // when it was confirmed, with the fields as edited; false when it was
  // cancelled, and then the fields are not to be used.
  virtual bool Run(CabrilloHeader& fields) = 0;
};

// The form in use: the platform's, unless a test installed another.
HeaderForm& CurrentHeaderForm();
// Installs a form for tests; null restores the platform's.  Returns the one
// that was in use (platform/override.h).
HeaderForm* SetHeaderForm(HeaderForm* form);

// The form of this build's platform.
HeaderForm& NativeHeaderForm();

}  // namespace stats
