#include "fs/mount_monitor.h"

#include <libmount/libmount.h>
#include <poll.h>

namespace vaultor::fs {

void MountMonitor::Unref::operator()(libmnt_monitor* monitor) const {
    mnt_unref_monitor(monitor);
}

MountMonitor::MountMonitor() {
    std::unique_ptr<libmnt_monitor, Unref> monitor(mnt_new_monitor());
    if (!monitor || mnt_monitor_enable_kernel(monitor.get(), 1) != 0) return;
    // A mount helper's options land in utab after the kernel's table; a
    // missing utab is no reason to watch nothing.
    mnt_monitor_enable_userspace(monitor.get(), 1, nullptr);
    if (mnt_monitor_get_fd(monitor.get()) < 0) return;
    monitor_ = std::move(monitor);
}

bool MountMonitor::WaitForChange(std::chrono::milliseconds limit, int wake_fd) {
    if (!monitor_) return false;
    pollfd fds[2] = {{mnt_monitor_get_fd(monitor_.get()), POLLIN, 0}, {wake_fd, POLLIN, 0}};
    if (::poll(fds, wake_fd >= 0 ? 2 : 1, static_cast<int>(limit.count())) <= 0 ||
        !(fds[0].revents & POLLIN))
        return false;
    while (mnt_monitor_next_change(monitor_.get(), nullptr, nullptr) == 0) {
    }
    return true;
}

}  // namespace vaultor::fs
