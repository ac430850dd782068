#pragma once

#include <string>

namespace vaultor {

// What a list keeps of what its runs replace: the companion file's
// [Versions] section, written only once a user turns something on, so the
// settings travel with the list. Absent: nothing is kept, as ever.
struct VersionsSettings {
    bool keep = false;          // Keep: an update moves the old copy among the versions
    int days = 90;              // Days: a run removes the list's versions older than this
    bool move_deleted = false;  // MoveDeleted: what left the source leaves the copy too
    int max_share = 10;         // MaxShare: % of the copy's files moved without asking
    bool sums = false;          // Sums: a checksum per copied file, for the content check

    bool Used() const { return keep || move_deleted || sums; }
    bool operator==(const VersionsSettings&) const = default;
};

inline constexpr int kMaxVersionDays = 36500;

// A value it cannot use is named in *problem and read as its default.
VersionsSettings ReadVersionsSettings(const std::string& drv_path, std::string* problem = nullptr);
// Writes the section; removes it when nothing is on. Throws WriteError.
void WriteVersionsSettings(const std::string& drv_path, const VersionsSettings& settings);

}  // namespace vaultor
