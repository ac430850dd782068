#pragma once

#include <string>
#include <unordered_set>

#include "engine/content_check.h"
#include "engine/copy_plan.h"
#include "engine/run_observer.h"
#include "engine/run_result.h"
#include "log/log_file.h"
#include "state/app_state.h"

namespace vaultor {

// The check pass: the totals, then every list folder compared with its copy;
// TotalBytes ends as the extra space a copy needs. Stop ends it early. Start's
// check (`collect`) lists the files to copy, taking each copy an interrupted
// run had in hand as changed; the test logs every difference instead.
// What a run of the current list keeps of what it replaces or moves, as its
// companion file says, in a folder named after the run's moment.
VersionsPlan VersionsForRun(const AppState& state, std::time_t now);

// `content` hears every file found up to date, for the content check.
CopyPlan Vergelijken(AppState& state, LogFile* log, bool collect,
                     std::unordered_set<std::string> interrupted = {}, RunObserver* also = nullptr,
                     ContentCheck* content = nullptr);

// "Test - Verifieer": the check pass with a log line for every difference,
// so a log of only "Start log." and "Eind log." means the copy is complete.
// With the option ContentCheck it then reads every file found up to date on
// both sides (or the copy against its checksum, for a list with Sums=1).
RunResult SpBCompareClick(AppState& state, RunObserver* also = nullptr);
// The same with the content check for this test alone (vaultor-cli test --content).
RunResult TestReadingContent(AppState& state, RunObserver* also = nullptr);

}  // namespace vaultor
