#pragma once

#include "app/start.h"
#include "cli/commands.h"

namespace vaultor::cli {

// `restore LIST PATH [--version STAMP] [--to FOLDER] [--overwrite]`, and
// `restore --from X: PATH --to FOLDER ...` from the target drive alone (for a
// program folder that was lost). Exit 0 when everything asked for is back or
// was there already, 1 otherwise, 2 for a wrong command line. Writes nothing
// in the program folder and nothing on the target.
int RestoreFromTarget(const StartedProgram& program, const Command& command);

// `versions LIST PATH`: one line per version of a file on the list's target
// (stamp, size, date), the current copy last.
int ListVersions(const StartedProgram& program, const Command& command);

}  // namespace vaultor::cli
