#pragma once

#include <chrono>
#include <memory>

struct libmnt_monitor;

namespace vaultor::fs {

// Follows the mount table: wakes when a file system is mounted or unmounted.
class MountMonitor {
  public:
    // False from Valid() when the kernel's table cannot be watched.
    MountMonitor();
    bool Valid() const { return monitor_ != nullptr; }
    // Waits at most `limit` for a change; true when there was one (all
    // changes waiting are taken at once). Something to read on `wake_fd`, or
    // a signal, ends the wait early.
    bool WaitForChange(std::chrono::milliseconds limit, int wake_fd = -1);

  private:
    struct Unref {
        void operator()(libmnt_monitor* monitor) const;
    };
    std::unique_ptr<libmnt_monitor, Unref> monitor_;
};

}  // namespace vaultor::fs
