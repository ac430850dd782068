#include "fs/file_ops.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace vaultor::fs {
namespace {

std::atomic<FileOps*> g_ops{nullptr};

}  // namespace

int FileOps::Open(const char* path, int flags) {
    return ::open(path, flags);
}

int FileOps::OpenAt(int dir, const char* name, int flags, mode_t mode) {
    return ::openat(dir, name, flags, mode);
}

int FileOps::Fstat(int fd, struct stat* st) {
    return ::fstat(fd, st);
}

ssize_t FileOps::Read(int fd, void* buffer, std::size_t size) {
    return ::read(fd, buffer, size);
}

ssize_t FileOps::Write(int fd, const void* buffer, std::size_t size) {
    return ::write(fd, buffer, size);
}

ssize_t FileOps::CopyRange(int in, int out, std::size_t size) {
    return ::copy_file_range(in, nullptr, out, nullptr, size, 0);
}

int FileOps::SetTimes(int fd, const struct timespec times[2]) {
    return ::futimens(fd, times);
}

int FileOps::Sync(int fd, bool data_only) {
    return data_only ? ::fdatasync(fd) : ::fsync(fd);
}

int FileOps::RenameAt(int dir, const char* from, const char* to) {
    return ::renameat(dir, from, dir, to);
}

int FileOps::RenameNoReplace(int dir, const char* from, const char* to) {
    return ::renameat2(dir, from, dir, to, RENAME_NOREPLACE);
}

int FileOps::RenameOut(int dir, const char* from, const char* to) {
    if (::renameat2(dir, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return -1;
    // A file system that cannot refuse (FUSE): look first, then rename.
    struct stat st {};
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(dir, from, AT_FDCWD, to);
}

FileOps& CopyFileOps() {
    static FileOps system;
    FileOps* set = g_ops.load();
    return set ? *set : system;
}

void SetCopyFileOps(FileOps* ops) {
    g_ops.store(ops);
}

}  // namespace vaultor::fs
