#pragma once

#include <cstdint>
#include <string>

namespace vaultor {

// How a Start or a test ended.
enum class RunEnd {
    None,
    DriveAbsent,
    Declined,  // a question answered No, or a new target drive refused
    Stopped,   // Stop, during the check or the copy
    NoRoom,
    NothingToCopy,
    Copied,         // the copy ran to its end
    FolderNotMade,  // a target folder could not be made
    Tested,         // "Test - Verifieer" ran to its end
    Busy,           // another program ran one in the same program folder
};

// What a Start or a test did, for the front ends to show and to judge by.
struct RunResult {
    RunEnd end = RunEnd::None;
    std::int64_t checked = 0;      // files and folders the check found to differ
    std::int64_t updated = 0;      // copies and folders made
    std::int64_t differences = 0;  // lines of a test's log between its first and last
    std::int32_t failed = 0;       // files whose copy failed
    std::size_t remarks = 0;
    std::int64_t bytes_copied = 0;
    std::string summary;          // the summary's four lines
    std::string folder_not_made;  // the target folder a run stopped at
    bool target_not_answering = false;

    // Everything the list holds is on the target as it is in the source.
    bool AllBackedUp() const {
        if (end == RunEnd::NothingToCopy) return remarks == 0;
        if (end == RunEnd::Copied) return failed == 0 && remarks == 0;
        return false;
    }
};

}  // namespace vaultor
