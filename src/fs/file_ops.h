#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <ctime>

namespace vaultor::fs {

// The operations the copy of one file goes through, one seam under all of
// them: the system's calls, or, in tests, ones that fail as a full disk, a
// failing medium, a short write or a source written to meanwhile would.
// Each answers as the system call of its name (errno set on failure).
class FileOps {
  public:
    virtual ~FileOps() = default;
    virtual int Open(const char* path, int flags);
    virtual int OpenAt(int dir, const char* name, int flags, mode_t mode);
    virtual int Fstat(int fd, struct stat* st);
    virtual ssize_t Read(int fd, void* buffer, std::size_t size);
    virtual ssize_t Write(int fd, const void* buffer, std::size_t size);
    virtual ssize_t CopyRange(int in, int out, std::size_t size);
    virtual int SetTimes(int fd, const struct timespec times[2]);
    virtual int Sync(int fd, bool data_only);
    virtual int RenameAt(int dir, const char* from, const char* to);
    // A rename that fails with EEXIST where `to` stands (EINVAL where the
    // file system cannot do that).
    virtual int RenameNoReplace(int dir, const char* from, const char* to);
    // `from` in `dir` to the path `to` elsewhere on the same file system,
    // refusing (EEXIST) where `to` stands.
    virtual int RenameOut(int dir, const char* from, const char* to);
};

// The operations in force: the system's, unless a test set others.
FileOps& CopyFileOps();
// For tests: copies begun after this go through `ops` (nullptr: the system's).
void SetCopyFileOps(FileOps* ops);

}  // namespace vaultor::fs
