#pragma once

#include <string>
#include <vector>

#include "engine/copy_plan.h"
#include "engine/walk.h"

namespace vaultor {

// What a copy's folder holds that its source folder, read whole just now, no
// longer does: each such file or folder is added to plan.removed, and the
// files the copy's folder held are counted for the share the run would move.
// Temporary names of a copy in progress are no entries of the copy. On a
// target that folds case a name matches in any case, so a source renamed only
// in case never loses its copy.
void FindRemovedFromSource(const std::string& target_folder,
                           const std::vector<ListedEntry>& source_entries,
                           const std::vector<std::string>& source_folders, CopyPlan& plan);

}  // namespace vaultor
