#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/start.h"
#include "cli/terminal_ui.h"

namespace vaultor::cli {

struct Command {
    std::string name;
    std::vector<std::string> args;
    bool lock = false, unlock = false;
    bool notify = false;           // run: a desktop notification at its end
    bool allow_mass_move = false;  // start: move what left the source, however much
    bool content = false;          // test: the content check for this test
    // --ignore-time-shift on|off: the option set as in the window, kept at close.
    std::optional<bool> ignore_time_shift;
    // restore: --version STAMP, --to FOLDER, --from X:, --overwrite.
    std::optional<std::string> version, to, from;
    bool overwrite = false;
};

// Runs one list command as the window would, and ends as the window closes.
// Returns the exit status: 0 done, 1 refused or failed or declined.
int RunListCommand(const StartedProgram& program, TerminalUi& ui, const Command& command);

// `status`: every list with its target, last good backup, last unattended
// attempt and whether it is overdue; 1 when one is. Walks, asks and writes
// nothing.
int ListStatuses(const StartedProgram& program);

// The companion file of a list the program folder holds; nullopt, and said,
// when it holds none. For the commands that set a list's options without
// loading it as the window would.
std::optional<std::string> CompanionOf(const StartedProgram& program, const std::string& list);

// `schedule LIST [WORDS]` and `onplug LIST on [HOURS]|off`: shows or sets when
// a list is backed up by itself, and brings the units that do it in line.
// Never writes the last list used.
int SetSchedule(const StartedProgram& program, const Command& command);

// `keep LIST on [DAYS]|off`, `movedeleted LIST on [SHARE]|off` and `sums LIST
// on|off`: what the list keeps of what its runs replace or find gone from the
// source, and whether its runs keep a checksum of each copy ([Versions] in
// its companion file). Writes nothing else.
int SetVersions(const StartedProgram& program, const Command& command);

// Whether a command needs a list, and how many arguments it takes.
bool KnownCommand(const std::string& name, size_t args, std::string* usage);

}  // namespace vaultor::cli
