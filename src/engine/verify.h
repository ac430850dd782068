#pragma once

#include "log/log_file.h"
#include "state/app_state.h"

namespace vaultor {

// The check pass: the totals, then every list folder compared with its copy;
// TotalBytes ends as the extra space a copy needs. Stop ends it early.
void Vergelijken(AppState& state, LogFile* log);

// "Test - Verifieer": the check pass with a log line for every difference,
// so a log of only "Start log." and "Eind log." means the copy is complete.
void SpBCompareClick(AppState& state);

}  // namespace vaultor
