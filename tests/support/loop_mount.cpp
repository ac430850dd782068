#include "support/loop_mount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vaultor::test {
namespace {
std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

}  // namespace

LoopMount::LoopMount(Kind kind, int size_mb, const std::string& label, const std::string& options)
    : kind_(kind), options_(options), image_(dir_ / "image"), folder_(dir_ / "mnt") {
    std::filesystem::create_directories(folder_);
    if (::geteuid() != 0) {
        error_ = "not root";
        return;
    }
    std::string mkfs, label_option = "-L ";
    switch (kind_) {
        case Kind::Btrfs:
            mkfs = "mkfs.btrfs -q -f ";
            break;
        case Kind::Ntfs:
            mkfs = "mkfs.ntfs -q -F -f ";
            break;
        case Kind::Fat:
            mkfs = "mkfs.vfat ";
            label_option = "-n ";
            break;
        case Kind::Exfat:
            mkfs = "mkfs.exfat ";
            break;
        case Kind::Tmpfs:
            break;
    }
    const std::string q = Quote(image_);
    const std::string make =
        mkfs.empty() ? ""
                     : "truncate -s " + std::to_string(size_mb) + "M " + q + " && " + mkfs +
                           (label.empty() ? "" : label_option + Quote(label) + " ") + q;
    if (!make.empty() && Run("(" + make + ") >/dev/null 2>&1") != 0) {
        error_ = "could not make the image: " + make;
        return;
    }
    if (!Mount(folder_) && error_.empty()) error_ = "mount refused";
}

bool LoopMount::Mount(const std::string& folder) {
    if (mounted_) Unmount();
    std::filesystem::create_directories(folder);
    std::string q = Quote(folder);
    std::string cmd;
    switch (kind_) {
        case Kind::Btrfs:
            cmd = "mount -o loop" + (options_.empty() ? "" : "," + options_) + " " + Quote(image_) +
                  " " + q;
            break;
        case Kind::Ntfs:
            cmd = "ntfs-3g " + Quote(image_) + " " + q;
            break;
        case Kind::Fat:
            cmd = "fusefat -o rw+ " + Quote(image_) + " " + q;
            break;
        case Kind::Exfat:
            if (loop_device_.empty()) {
                loop_device_ = RunOutput("losetup -f --show " + Quote(image_) + " 2>/dev/null");
                while (!loop_device_.empty() && loop_device_.back() == '\n')
                    loop_device_.pop_back();
            }
            if (loop_device_.empty()) {
                error_ = "no loop device for " + image_;
                return false;
            }
            cmd = "mount.exfat-fuse " + Quote(loop_device_) + " " + q;
            break;
        case Kind::Tmpfs:
            cmd = "mount -t tmpfs -o " + (options_.empty() ? "size=16m" : options_) + " tmpfs " + q;
            break;
    }
    if (Run(cmd + " >/dev/null 2>&1") != 0) {
        error_ = "failed: " + cmd;
        return false;
    }
    folder_ = folder;
    mounted_ = true;
    return true;
}

bool LoopMount::Unmount() {
    if (!mounted_) return true;
    ::sync();
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::umount(folder_.c_str()) == 0 || errno == EINVAL) {
            mounted_ = false;
            return true;
        }
        ::usleep(100 * 1000);
    }
    ::umount2(folder_.c_str(), MNT_DETACH);
    mounted_ = false;
    return true;
}

LoopMount::~LoopMount() {
    Unmount();
    if (!loop_device_.empty()) Run("losetup -d " + Quote(loop_device_) + " >/dev/null 2>&1");
}

}  // namespace vaultor::test
