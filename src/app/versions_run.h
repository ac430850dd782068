#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

#include "app/start_run.h"
#include "engine/copy_plan.h"
#include "log/log_file.h"
#include "state/app_state.h"

namespace vaultor {

// What a run of a list that keeps versions does besides copying.

// Files that left the source are moved out of the copy only while they are a
// small share of it; above the list's MaxShare the user must say yes in the
// window (or --allow-mass-move), and an unattended run moves none. When they
// are not moved the plan forgets them and the pane says so.
void GuardMassMove(AppState& state, CopyPlan& plan, StartMode mode);
std::string HeldBackText(std::int64_t files);

// The room check failed by `short_by` bytes: the window offers to remove the
// list's oldest dated folders among the versions until the run fits, saying
// how much they free. True when they were removed; an unattended run never
// removes them.
bool OfferRoomFromVersions(AppState& state, std::int64_t short_by, StartMode mode);

// A list renamed from `from` to `to`: its run folders on its target drive
// take the new name; the pane says when they cannot (drive not ready, name taken).
void RenameListVersions(AppState& state, const std::string& from, const std::string& to);

// A list that keeps versions is not run while the target's versions folder
// is a link elsewhere: said, and false.
bool VersionsFolderUsable(AppState& state);

// At the end of a run: the list's dated folders older than its Days go,
// whole; each is said.
void RemoveExpiredVersions(AppState& state, const std::function<void(const std::string&)>& say,
                           std::time_t now);

}  // namespace vaultor
