#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fs/drive_mapping.h"
#include "fs/mounts.h"
#include "fs/unique_fd.h"

namespace vaultor::fs {

// What a letter stands for at this moment.
struct DriveInfo {
    char letter = 0;
    bool exists = false;  // false: no drive behind the letter (kind 255)
    bool medium = false;  // a medium is present: never an empty mount folder
    std::string folder;   // the native folder the letter maps to now
    int kind = drive_kind::kNone;
    std::optional<std::string> label;  // a label given in the map
    std::string source;                // mount source of the file system holding the folder
    std::string fstype;
    bool slow = false;  // network or FUSE: every query goes through a time limit
};

// Maps drive letters to folders of this machine. Letters are stable: a file
// system seen for the first time takes the first free letter from D: on, and
// the caller records it (NewlyRecorded) in the settings file.
class DriveTable {
  public:
    struct Sources {
        std::vector<DriveMapping> command_line;  // --drive options: only these and C:
        std::vector<DriveMapping> recorded;      // the Drives section of the settings
        std::string fstab = "/etc/fstab";
    };

    DriveTable();  // C: for "/" only
    static DriveTable Build(const Sources& sources);

    DriveInfo Info(char letter) const;  // letter must be A..Z
    std::vector<char> Letters() const;
    const std::vector<DriveMapping>& NewlyRecorded() const { return newly_recorded_; }

    // The mount table as last read; read again when a mount came or went.
    const std::vector<MountEntry>& Mounts() const;

    // "X:\a\b" to the native path; nullopt when the letter has no drive or no
    // medium, or the path is not safe (IsSafeLetterPath). A path not in letter
    // form is returned as it is.
    std::optional<std::string> ToNative(std::string_view path) const;
    // A native path in letter form, through the longest drive folder holding it.
    std::string ToLetterPath(const std::string& native) const;

  private:
    // Where a letter's drive is now and whether it has a medium: the cheap part
    // of Info, for the path translation the engines do for every file.
    struct Location {
        std::string folder;
        bool medium = false;
        const MountEntry* mount = nullptr;  // the mount holding the folder
    };
    Location Locate(const DriveMapping& mapping) const;
    void RefreshIfMountsChanged(bool for_a_path = false) const;
    const DriveMapping* FindMapping(char letter) const;
    const MountEntry* MountOf(const DriveMapping& mapping) const;
    const MountEntry* MountHolding(const std::string& folder) const;
    bool IsMountPoint(const std::string& folder) const;
    bool NamedInFstab(const std::string& folder) const;
    void AssignAutomaticLetters();
    void AssignOpticalDrives();
    char FirstFreeLetter() const;
    void Assign(DriveMapping mapping);

    std::vector<DriveMapping> mappings_;
    std::vector<DriveMapping> newly_recorded_;
    std::string fstab_path_;
    mutable std::vector<MountEntry> mounts_;
    mutable std::vector<std::string> fstab_points_;
    mutable UniqueFd mountinfo_watch_;
    mutable std::int64_t polled_ms_ = -1;
};

// The table every file service translates through.
void SetDriveTable(DriveTable table);
const DriveTable& Drives();

}  // namespace vaultor::fs
