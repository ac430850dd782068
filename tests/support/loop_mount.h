#pragma once

#include <string>

#include "support/temp_dir.h"

namespace vaultor::test {

// A file system made in an image file and mounted for one test: btrfs and
// tmpfs through the kernel, NTFS through ntfs-3g, FAT through fusefat, exFAT
// through exfat-fuse on a loop device (it refuses an image file). The
// destructor unmounts and removes the image, also when the test failed.
class LoopMount {
  public:
    enum class Kind { Btrfs, Ntfs, Fat, Exfat, Tmpfs };
    LoopMount(Kind kind, int size_mb, const std::string& label = "",
              const std::string& options = "");
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;
    ~LoopMount();

    // Empty when mounting worked; otherwise why not (the test skips or fails).
    const std::string& Error() const { return error_; }
    const std::string& Folder() const { return folder_; }
    const std::string& Image() const { return image_; }
    bool Mount(const std::string& folder);  // mounts the same image (again) there
    bool Unmount();

  private:
    Kind kind_;
    std::string options_;
    TempDir dir_;
    std::string image_;
    std::string folder_;
    std::string loop_device_;  // exFAT only: attached while the mount lives
    bool mounted_ = false;
    std::string error_;
};

// In CI mounting must work; elsewhere a test without the rights skips.
#define VAULTOR_REQUIRE_MOUNT(m)                                               \
    do {                                                                       \
        if (!(m).Error().empty()) {                                            \
            if (std::getenv("CI")) FAIL() << "cannot mount: " << (m).Error();  \
            GTEST_SKIP() << "cannot mount here (needs root): " << (m).Error(); \
        }                                                                      \
    } while (0)

}  // namespace vaultor::test
