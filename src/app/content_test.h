#pragma once

#include "engine/content_check.h"
#include "engine/run_observer.h"
#include "state/app_state.h"

namespace vaultor {

// The list keeps a checksum of each copy its runs make ([Versions] Sums=1 in
// its companion file).
bool ListKeepsSums(const AppState& state);

// The test's second phase, after its size and date check: the content of
// every file found up to date read and compared, shown on the window as a
// check with Stop, its bytes on the progress bar and the time left.
ContentCheckResult ReadContents(AppState& state, ContentCheck& check, RunObserver* also);

}  // namespace vaultor
