#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "fs/file_dates.h"

namespace vaultor {

// An entry that holds nothing to back up or cannot be backed up; the runs report it.
struct PassedOverEntry {
    enum class Why {
        NotARegularFile,
        UnwritableName,
        DanglingLink,
        FolderNotPresent,
        FolderUnreadable,    // no permission, or an error while it was read
        TooLargeForTarget,   // larger than the target's file system can hold
        CaseTwin,            // its name differs only in case from one backed up beside it
        TargetFolderIsLink,  // its copy's folder is, or lies below, a link on the target
    } why;
    std::string path;  // letter form, as far as it can be written
};

// What a check learns of the target once, before its first comparison; the
// check after each copy goes by the same.
struct TargetFacts {
    fs::TargetDates dates;  // what it does with dates outside 1980..2107
    bool folds_case =
        false;           // of two names that differ only in case one copy would land on the other
    bool is_cd = false;  // dates to the minute
    bool compresses = false;  // it can hold compressed files
};

// A file the check found to copy: missing at the target, or changed there
// (`update`); its copy's path is TargetPathOf(target root, source).
struct CopyItem {
    std::string source;
    std::int64_t size = 0;  // as the check saw it
    bool update = false;
};

// What a list keeps of what its run replaces or moves out of the copy, in the
// run's dated folder among the versions ("2026-12-07 193000 Foto").
struct VersionsPlan {
    std::string run_folder;
    bool keep_replaced = false;  // an update moves its old copy there instead of replacing it
    bool move_deleted = false;   // what left the source leaves the copy, to there
    bool Keeps() const { return keep_replaced && !run_folder.empty(); }
};

// What a check found: the copy run's work, in the order it is done and
// logged, and the figures the question, the labels and the room check show.
struct CopyPlan {
    std::vector<CopyItem> items;             // filled by Start's check only
    std::vector<std::string> empty_folders;  // target folders to make
    std::vector<std::string> compress;       // "+E:\..." to compress, "-E:\..." to uncompress
    bool compression_work = false;           // some folder's compression differs from the wish
    std::vector<PassedOverEntry> passed_over;
    // Copies an interrupted run had in hand (target paths): each is taken as
    // changed, whatever its size and date say.
    std::unordered_set<std::string> interrupted;
    TargetFacts target;
    VersionsPlan versions;
    // In the copy, no longer in the source (target paths; a folder with all
    // below it): moved among the versions, with move_deleted only.
    std::vector<std::string> removed;
    std::int64_t removed_files = 0;      // the files among them, those in folders too
    std::int64_t copy_files = 0;         // files the copy's folders held, for the share moved
    std::int64_t removed_held_back = 0;  // files not moved: too large a share, not confirmed
    std::int64_t changes = 0;            // files and folders that differ
    std::int64_t bytes_to_copy = 0;
    std::int64_t space_needed = 0;  // net: what the copies add to the target
    // What the copy needs at its peak: an update is written beside its old
    // copy until it is complete, so the largest copy replaced stands on top
    // of every growth before it.
    std::int64_t space_growth = 0, largest_replaced = 0;

    std::int64_t SpaceAtPeak(std::int64_t net) const {
        return std::max(net, space_growth + largest_replaced);
    }
    bool NothingToDo() const { return items.empty() && empty_folders.empty() && removed.empty(); }
    // Passed over for a reason a user must hear of (a FIFO holds no data).
    std::int64_t PassedOverWithData() const {
        return std::count_if(passed_over.begin(), passed_over.end(), [](const auto& entry) {
            return entry.why != PassedOverEntry::Why::NotARegularFile;
        });
    }
};

}  // namespace vaultor
