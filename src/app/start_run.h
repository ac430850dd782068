#pragma once

#include "engine/run_observer.h"
#include "engine/run_result.h"
#include "state/app_state.h"

namespace vaultor {

// Start: the target checked, the list compared with its copy, the room
// checked, then everything that differs copied, the target's record and the
// log written and a summary shown. A run that copies nothing leaves the
// list's record of its last backup as it was. `also` hears what the window
// is shown.
//
// Unattended (no one at the keyboard) it asks nothing: a target drive other
// than the list's last is refused with a message that says how to accept it,
// the rest goes ahead as if answered Yes.
enum class StartMode { Asking, Unattended };
RunResult SpB_StartClick(AppState& state, RunObserver* also = nullptr,
                         StartMode mode = StartMode::Asking);

// Stop: asks when confirmation dialogs are on; the running loops end between files.
void SpB_StopClick(AppState& state);

}  // namespace vaultor
