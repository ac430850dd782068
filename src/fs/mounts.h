#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vaultor::fs {

// Drive kind codes, as the settings file and the rates per kind store them.
namespace drive_kind {
inline constexpr int kRemovable = 1;
inline constexpr int kOther = 2;
inline constexpr int kNetwork = 3;
inline constexpr int kOptical = 4;
inline constexpr int kRam = 5;
inline constexpr int kNone = 255;  // no such drive
}  // namespace drive_kind

// One line of the mount table, with what the drive table needs to know.
struct MountEntry {
    std::string target;  // the folder it is mounted on
    std::string source;  // device, network share or FUSE source
    std::string fstype;
    std::string root;  // the part of the file system mounted there ("/" unless a bind mount)
    dev_t devno = 0;
    bool pseudo = false;
    bool network = false;
    std::string uuid;               // of a block device's file system, when it can be found
    int kind = drive_kind::kOther;  // the drive kind code, as KindOfMount gives it
};

std::vector<MountEntry> ReadMountTable(const std::string& mountinfo = "/proc/self/mountinfo");
// The folders that fstab names as mount points.
std::vector<std::string> ReadFstabMountPoints(const std::string& fstab = "/etc/fstab");

// The kernel's own file systems (proc, sysfs, cgroup, ...): nothing in them is
// a user's data. Overlay, ramfs, virtiofs and FUSE file systems are not.
bool IsKernelPseudoType(const std::string& fstype);
bool IsBlockDeviceSource(const std::string& source);
bool IsFuseType(const std::string& fstype);
bool IsOpticalDevice(const std::string& source);
// Mounts a user would call a drive: block devices, network and FUSE file
// systems, and anything under /media, /run/media or /mnt; never system places.
bool IsUserVisibleMount(const MountEntry& m);
// Drive kind code of a mount.
int KindOfMount(const MountEntry& m);

// A tag ("UUID", "LABEL") of the file system on a block device: udev's
// /dev/disk/by-* links first, then libblkid (its cache, probing when allowed).
std::string BlockDeviceTag(const std::string& device, const char* tag);
// The file system format on a block device as libblkid names it ("exfat",
// "vfat", "ntfs"), or "" when it cannot be read.
std::string BlockDeviceFormat(const std::string& device);

}  // namespace vaultor::fs
