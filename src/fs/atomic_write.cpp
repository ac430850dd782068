#include "fs/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "fs/unique_fd.h"

namespace vaultor::fs {

namespace {

bool OwnerMayWrite(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 || (st.st_mode & S_IWUSR);
}

// The mode of the regular file replaced, never one read through a link (a
// link to a set-id program would hand its mode on), and set-id bits never.
mode_t ModeForReplacement(const std::string& path) {
    struct stat old {};
    if (::lstat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) return old.st_mode & 01777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0644 & ~mask;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool WriteFileAtomically(const std::string& native_path, std::string_view content) {
    // Read-only is the owner-write bit, for whoever runs the program (root too).
    if (!OwnerMayWrite(native_path) || !OwnerMayWrite(FolderOf(native_path))) {
        errno = EACCES;
        return false;
    }
    std::string temp = native_path + ".new-XXXXXX";
    UniqueFd fd(::mkstemp(temp.data()));
    if (!fd) return false;
    auto fail = [&] {
        int saved = errno;
        fd.Reset();
        ::unlink(temp.c_str());
        errno = saved;
        return false;
    };
    ::fchmod(fd.Get(), ModeForReplacement(native_path));
    const char* data = content.data();
    size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd.Get(), data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail();
        data += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd.Get()) != 0 || fd.Close() != 0) return fail();
    if (::rename(temp.c_str(), native_path.c_str()) != 0) return fail();
    // The new name is an entry of the folder: until the folder is on the
    // medium, a cut may bring back the old file, or none. A folder that
    // cannot be synced (some FUSE and network file systems) is no failure:
    // the file itself is.
    UniqueFd folder(::open(FolderOf(native_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.Get());
    return true;
}

}  // namespace vaultor::fs
