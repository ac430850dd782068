#include "fs/mounts.h"

#include <blkid/blkid.h>
#include <libmount/libmount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

namespace vaultor::fs {
namespace {

struct TableDeleter {
    void operator()(libmnt_table* t) const { mnt_unref_table(t); }
};
struct IterDeleter {
    void operator()(libmnt_iter* i) const { mnt_free_iter(i); }
};
using TablePtr = std::unique_ptr<libmnt_table, TableDeleter>;
using IterPtr = std::unique_ptr<libmnt_iter, IterDeleter>;

std::string Str(const char* s) {
    return s ? s : "";
}

bool StartsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}

bool IsUnder(std::string_view path, std::string_view folder) {
    return path == folder ||
           (StartsWith(path, folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

template <typename F>
void ForEachFs(libmnt_table* table, F&& f) {
    IterPtr iter(mnt_new_iter(MNT_ITER_FORWARD));
    if (!iter) return;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table, iter.get(), &fs) == 0) f(fs);
}

bool IsNetworkType(const std::string& t) {
    static const std::array<std::string_view, 14> kNet = {
        "nfs",  "nfs4", "cifs",       "smb3",        "smbfs",      "ncpfs", "afs",
        "ceph", "9p",   "fuse.sshfs", "fuse.rclone", "fuse.davfs", "davfs", "glusterfs"};
    for (auto n : kNet)
        if (t == n) return true;
    return false;
}

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The removable flag, or a USB bus on the way to the device in /sys.
bool IsRemovableDevice(dev_t devno) {
    std::string sys =
        "/sys/dev/block/" + std::to_string(major(devno)) + ":" + std::to_string(minor(devno));
    std::error_code ec;
    auto real = std::filesystem::canonical(sys, ec);
    if (ec) return false;
    if (real.string().find("/usb") != std::string::npos) return true;
    auto disk = std::filesystem::exists(real / "partition") ? real.parent_path() : real;
    return ReadFirstLine((disk / "removable").string()) == "1";
}

std::string TagFromUdevLinks(const std::string& device, const char* tag) {
    std::string dir =
        std::string("/dev/disk/by-") + (std::string_view(tag) == "UUID" ? "uuid" : "label");
    std::error_code ec;
    auto wanted = std::filesystem::canonical(device, ec);
    if (ec) return {};
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        std::error_code ec2;
        if (std::filesystem::canonical(e.path(), ec2) == wanted && !ec2) {
            // udev escapes unusual characters as \xNN in link names.
            std::string name = e.path().filename().string(), out;
            for (size_t i = 0; i < name.size(); ++i) {
                if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
                    out +=
                        static_cast<char>(std::strtol(name.substr(i + 2, 2).c_str(), nullptr, 16));
                    i += 3;
                } else {
                    out += name[i];
                }
            }
            return out;
        }
    }
    return {};
}

std::string TagFromProbe(const std::string& device, const char* tag) {
    blkid_probe pr = blkid_new_probe_from_filename(device.c_str());
    if (!pr) return {};
    std::string out;
    blkid_probe_enable_superblocks(pr, 1);
    blkid_probe_set_superblocks_flags(pr,
                                      BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE);
    if (blkid_do_safeprobe(pr) == 0) {
        const char* value = nullptr;
        if (blkid_probe_lookup_value(pr, tag, &value, nullptr) == 0 && value) out = value;
    }
    blkid_free_probe(pr);
    return out;
}

std::string TagFromCache(const std::string& device, const char* tag) {
    blkid_cache cache = nullptr;
    if (blkid_get_cache(&cache, nullptr) != 0) return {};
    char* value = blkid_get_tag_value(cache, tag, device.c_str());
    std::string out = Str(value);
    std::free(value);
    blkid_put_cache(cache);
    return out;
}

}  // namespace

bool IsKernelPseudoType(const std::string& t) {
    static const std::array<std::string_view, 26> kPseudo = {
        "proc",    "sysfs",      "devtmpfs",    "devpts", "cgroup",      "cgroup2",    "tracefs",
        "debugfs", "securityfs", "pstore",      "bpf",    "configfs",    "efivarfs",   "fusectl",
        "mqueue",  "hugetlbfs",  "binfmt_misc", "nsfs",   "selinuxfs",   "rpc_pipefs", "autofs",
        "smackfs", "apparmorfs", "sockfs",      "pipefs", "anon_inodefs"};
    return std::find(kPseudo.begin(), kPseudo.end(), t) != kPseudo.end();
}

bool IsBlockDeviceSource(const std::string& source) {
    struct stat st {};
    return StartsWith(source, "/dev/") && ::stat(source.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
}

bool IsFuseType(const std::string& fstype) {
    return fstype == "fuse" || fstype == "fuseblk" || StartsWith(fstype, "fuse.");
}

bool IsOpticalDevice(const std::string& source) {
    return StartsWith(source, "/dev/sr");
}

std::vector<MountEntry> ReadMountTable(const std::string& mountinfo) {
    std::vector<MountEntry> out;
    TablePtr table(mnt_new_table());
    if (!table || mnt_table_parse_file(table.get(), mountinfo.c_str()) != 0) return out;
    ForEachFs(table.get(), [&](libmnt_fs* fs) {
        MountEntry m;
        m.target = Str(mnt_fs_get_target(fs));
        m.source = Str(mnt_fs_get_source(fs));
        m.fstype = Str(mnt_fs_get_fstype(fs));
        m.root = Str(mnt_fs_get_root(fs));
        m.devno = mnt_fs_get_devno(fs);
        m.pseudo = IsKernelPseudoType(m.fstype);
        m.network = mnt_fs_is_netfs(fs) || IsNetworkType(m.fstype);
        out.push_back(std::move(m));
    });
    // Asked once per reading of the table, not for every file a run looks at.
    for (auto& m : out) {
        if (m.pseudo) continue;
        if (IsBlockDeviceSource(m.source)) m.uuid = BlockDeviceTag(m.source, "UUID");
        m.kind = KindOfMount(m);
    }
    return out;
}

std::vector<std::string> ReadFstabMountPoints(const std::string& fstab) {
    std::vector<std::string> out;
    TablePtr table(mnt_new_table());
    if (!table) return out;
    if (::access(fstab.c_str(), R_OK) != 0 ||
        mnt_table_parse_fstab(table.get(), fstab.c_str()) != 0)
        return out;
    ForEachFs(table.get(), [&](libmnt_fs* fs) {
        std::string target = Str(mnt_fs_get_target(fs));
        if (!target.empty() && target.front() == '/' && !mnt_fs_is_swaparea(fs))
            out.push_back(target);
    });
    return out;
}

bool IsUserVisibleMount(const MountEntry& m) {
    if (m.target.empty()) return false;
    bool media =
        IsUnder(m.target, "/run/media") || IsUnder(m.target, "/media") || IsUnder(m.target, "/mnt");
    // A RAM disk counts as a drive where removable media are mounted.
    bool ram_disk = m.fstype == "tmpfs" || m.fstype == "ramfs";
    if (m.pseudo && !(ram_disk && media)) return false;
    if (IsUnder(m.target, "/run/media")) return true;
    for (std::string_view hidden : {"/proc", "/sys", "/dev", "/run", "/boot", "/snap"})
        if (IsUnder(m.target, hidden)) return false;
    if (IsUnder(m.target, "/media") || IsUnder(m.target, "/mnt")) return true;
    return m.network || IsFuseType(m.fstype) || IsBlockDeviceSource(m.source);
}

int KindOfMount(const MountEntry& m) {
    if (IsOpticalDevice(m.source)) return drive_kind::kOptical;
    if (m.network || IsNetworkType(m.fstype)) return drive_kind::kNetwork;
    if (m.fstype == "tmpfs" || m.fstype == "ramfs") return drive_kind::kRam;
    if (IsBlockDeviceSource(m.source)) {
        struct stat st {};
        if (::stat(m.source.c_str(), &st) == 0 && IsRemovableDevice(st.st_rdev))
            return drive_kind::kRemovable;
        return drive_kind::kOther;
    }
    return 2;
}

std::string BlockDeviceTag(const std::string& device, const char* tag) {
    if (std::string v = TagFromUdevLinks(device, tag); !v.empty()) return v;
    if (::access(device.c_str(), R_OK) == 0) return TagFromProbe(device, tag);
    return TagFromCache(device, tag);
}

std::string BlockDeviceFormat(const std::string& device) {
    if (::access(device.c_str(), R_OK) == 0) return TagFromProbe(device, "TYPE");
    return TagFromCache(device, "TYPE");
}

}  // namespace vaultor::fs
