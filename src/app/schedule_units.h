#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "state/schedule.h"

namespace vaultor {

// A list's schedule is carried out by systemd user units written from its
// companion file: a timer and the service it starts. The plug-in watcher has
// a service of its own per program folder. Where the user has no systemd
// user manager the units are still written, and the user is given the
// crontab line that does the same.

// As systemd-escape does it: "/" becomes "-", and what a unit name cannot
// hold (and "-" itself) becomes "\xNN".
std::string SystemdEscape(std::string_view text);
// Eight hex digits of a hash of the program folder: two program folders of
// one user keep their units apart.
std::string ProgramDirTag(const std::string& program_dir);
// "vaultor-<list escaped>-<tag>" (the list's timer and service), and
// "vaultor-watch-<tag>".
std::string ListUnitName(const std::string& program_dir, const std::string& list);
std::string WatchUnitName(const std::string& program_dir);
// $XDG_CONFIG_HOME/systemd/user, or ~/.config/systemd/user.
std::string UserUnitFolder();
// The vaultor-cli next to the running program, else the one in PATH.
std::string CliProgram();

std::string ListServiceText(const std::string& program_dir, const std::string& list);
std::string ListTimerText(const std::string& program_dir, const std::string& list,
                          const Schedule& schedule);
std::string WatchServiceText(const std::string& program_dir);
std::string CrontabLine(const std::string& program_dir, const std::string& list,
                        const Schedule& schedule);

// What bringing the units in line said, and whether it all went.
struct UnitsOutcome {
    bool ok = true;
    std::vector<std::string> lines;
};

// Writes, enables, disables or removes the list's units and the watcher's
// as the companion files now say.
UnitsOutcome ApplySchedule(const std::string& program_dir, const std::string& list,
                           const Schedule& schedule);
// A list renamed: its units go with it. A list deleted: they go. Nothing
// happens for lists that never had a schedule.
UnitsOutcome MoveScheduleUnits(const std::string& program_dir, const std::string& from,
                               const std::string& to);
UnitsOutcome RemoveScheduleUnits(const std::string& program_dir, const std::string& list);

// Whether any list of the program folder asks for the plug-in watcher: one
// backed up on plug-in, or one on a schedule (a scheduled run that found its
// drive absent is made when the drive comes).
bool AnyListWantsWatcher(const std::string& program_dir);

}  // namespace vaultor
