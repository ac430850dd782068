#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "state/app_state.h"

namespace vaultor {

// "3 dagen geleden": how long ago, in the largest whole unit.
std::string AgeText(std::int64_t seconds);

// The line over the list for a list backed up by itself (one with a
// schedule, plug-in backup or unattended runs): its last good backup, how
// long ago, and in a warning colour when that is too long. Other lists show
// nothing new.
void ShowLastBackup(AppState& state, std::time_t now = std::time(nullptr));

// The list menu's schedule and versions dialog: what is chosen is written to
// the companion file and the units that carry the schedule out are brought in
// line.
void Schema1Click(AppState& state);

}  // namespace vaultor
