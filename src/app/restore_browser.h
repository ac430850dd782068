#pragma once

#include "state/app_state.h"

namespace vaultor {

// "Terugzetten..." in the target browser's menu: the selected folder, or the
// file the menu was opened on, back to its source's place, after a question.
// A copy in a run's versions folder brings back what that run replaced. For
// every destination file that differs the user chooses: Yes replaces it, No
// keeps both. A message says at the end what was done.
void Terugzetten1Click(AppState& state);

}  // namespace vaultor
