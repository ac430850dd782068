#include "fs/drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <limits>
#include <optional>

#include "fs/drive_table.h"
#include "fs/mounts.h"
#include "fs/pump.h"
#include "fs/time_limit.h"

namespace vaultor::fs {
namespace {

struct Space {
    std::int64_t total = -1;
    std::int64_t free = -1;
};

std::optional<Space> ReadSpace(const std::string& folder) {
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode)) return std::nullopt;
    struct statvfs st {};
    if (::statvfs(folder.c_str(), &st) != 0) return std::nullopt;
    Space s;
    s.total = static_cast<std::int64_t>(st.f_blocks) * static_cast<std::int64_t>(st.f_frsize);
    s.free = static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
    return s;
}

// The space of a drive with a medium; a slow file system gets a time limit.
std::optional<Space> DriveSpace(char letter) {
    if (letter < 'A' || letter > 'Z') return std::nullopt;
    DriveInfo info = Drives().Info(letter);
    if (!info.exists || !info.medium) return std::nullopt;
    if (!info.slow) return ReadSpace(info.folder);
    auto answer = AskWithTimeLimit<std::optional<Space>>(
        info.folder, kSlowDriveLimit, [folder = info.folder] { return ReadSpace(folder); });
    return answer ? *answer : std::nullopt;
}

// The label of the file system behind the drive: a block device, or an image
// file that a FUSE driver such as ntfs-3g mounted. Nothing else is opened.
std::string LabelFromFileSystem(const DriveInfo& info) {
    struct stat st {};
    if (info.source.empty() || info.source.front() != '/' || ::stat(info.source.c_str(), &st) != 0)
        return {};
    if (!S_ISBLK(st.st_mode) && !S_ISREG(st.st_mode)) return {};
    return BlockDeviceTag(info.source, "LABEL");
}

}  // namespace

bool IsDriveReady(char letter) {
    char upper = NormaliseLetter(letter);
    if (!upper) throw ConversionError();
    ProcessPendingMessages();
    bool ready = DriveSpace(upper).has_value();
    ProcessPendingMessages();
    return ready;
}

int GetDriveKind(char letter) {
    char upper = NormaliseLetter(letter);
    if (!upper) return 255;
    DriveInfo info = Drives().Info(upper);
    return info.exists ? info.kind : 255;
}

bool GetVolumeLabel(char letter, std::string& label) {
    char upper = NormaliseLetter(letter);
    if (!upper || !DriveSpace(upper)) return false;
    DriveInfo info = Drives().Info(upper);
    std::string name = info.label ? *info.label : LabelFromFileSystem(info);
    if (name.size() > 81) name.resize(81);
    label = CleanVolumeLabel(std::move(name));
    return true;
}

std::string CleanVolumeLabel(std::string label) {
    for (size_t i = 1; i < label.size() && i < 12; ++i)
        if (label[i] == '/') label[i] = '_';
    // A label may hold any byte (ext4's do); a control character would break
    // the line of a settings file, the terminal, and its record's comparison.
    for (char& c : label)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return label.empty() ? "No_Label" : label;
}

std::int64_t GetDriveTotalBytes(char letter) {
    auto space = DriveSpace(letter);
    return space ? space->total : -1;
}

std::int64_t GetDriveFreeBytes(char letter) {
    auto space = DriveSpace(letter);
    return space ? space->free : -1;
}

std::int64_t GetMaxFileSize(char letter) {
    char upper = NormaliseLetter(letter);
    if (!upper) return std::numeric_limits<std::int64_t>::max();
    const std::string type = Drives().Info(upper).fstype;
    if (type == "vfat" || type == "msdos" || type == "fat" || type == "fuse.fusefat" ||
        type == "fusefat")
        return 0xFFFFFFFFll;
    return std::numeric_limits<std::int64_t>::max();
}

std::string GetDriveSourceName(char letter) {
    char upper = NormaliseLetter(letter);
    return upper ? Drives().Info(upper).source : std::string();
}

}  // namespace vaultor::fs
