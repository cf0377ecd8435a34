// Runs the wizard: creates the frame and runs its message loop until the
// frame ends. The loop swallows Escape and lets the current page, then the
// frame, handle dialog keys, so that Enter or Escape in a page never ends the
// frame while a worker runs.
#pragma once

#include "ui/wizard_state.h"

namespace quibo {

// True when the wizard went through to its end, false when it was cancelled,
// failed, or could not be shown.
bool RunWizard(WizardState& state);

}  // namespace quibo
