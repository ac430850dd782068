#pragma once

#include "state/app_state.h"

namespace vaultor {

// "Log wissen": clears the pane; the log file stays as it is.
void ekstwissen1Click(AppState& state);
// The log in the larger viewer: the pane is saved to Vaultor.log first (so the
// file holds what the pane shows), then shown. Only while Start is visible.
void SBShowLogClick(AppState& state);

}  // namespace vaultor
