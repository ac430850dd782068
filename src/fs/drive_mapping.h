#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vaultor::fs {

// One mapping of a drive letter, as given by `--drive X=...` or as a value of
// the settings file's Drives section: FOLDER[,kind=N][,label=TEXT][,mounted]
// [,uuid=UUID[,root=/SUBVOLUME]][,source=SOURCE][,device=DEVICE]. A value
// holding a comma is written in double quotes (a quote inside doubled), so a
// folder named "/mnt/a,kind=4" never reads back as an option.
struct DriveMapping {
    char letter = 0;
    std::string folder;  // native, without trailing "/" (except "/")
    std::optional<int> kind;
    std::optional<std::string> label;
    bool mounted = false;  // the folder counts only while something is mounted on it
    std::string uuid;      // bound to a file system
    std::string root;      // with uuid: the part of it that is mounted (a btrfs subvolume)
    std::string source;    // bound to a mount source (network, FUSE)
    std::string device;    // bound to a device (optical drive)

    bool BoundToFileSystem() const { return !uuid.empty() || !source.empty(); }
};

// Parses "X=FOLDER,...". On failure returns nullopt and says why in *error.
std::optional<DriveMapping> ParseDriveOption(std::string_view text, std::string* error);
// Parses the value part for a given letter (the key of the Drives section).
std::optional<DriveMapping> ParseDriveValue(char letter, std::string_view value,
                                            std::string* error);
std::string FormatDriveValue(const DriveMapping& mapping);

// 'a'..'z' become upper case; anything but A..Z gives 0.
char NormaliseLetter(char c);

}  // namespace vaultor::fs
