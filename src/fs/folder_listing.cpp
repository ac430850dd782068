#include "fs/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>

#include <sys/stat.h>
#include <cerrno>

#include <memory>

#include "fs/drive_table.h"

namespace vaultor::fs {

FolderListing ListFolder(const std::string& path) {
    FolderListing out;
    auto native = Drives().ToNative(path);
    if (!native) {
        out.error = ENODEV;
        return out;
    }
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native->c_str()), ::closedir);
    if (!dir) {
        out.error = errno;
        return out;
    }
    errno = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (!out.error && errno != ENOENT) out.error = errno;  // ENOENT: gone meanwhile
        } else if (S_ISDIR(st.st_mode)) {
            out.folders.push_back(std::move(name));
        } else {
            out.files.push_back(std::move(name));
        }
        errno = 0;
    }
    if (errno && !out.error) out.error = errno;
    return out;
}

}  // namespace vaultor::fs
