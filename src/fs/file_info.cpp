#include "fs/file_info.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "fs/drive_table.h"
#include "fs/pump.h"
#include "fs/unique_fd.h"

namespace vaultor::fs {
namespace {

std::optional<struct stat> StatOf(std::string_view path) {
    auto native = Drives().ToNative(path);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0) return std::nullopt;
    return st;
}

std::string_view BaseName(std::string_view path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
    size_t cut = path.find_last_of("/\\:");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

bool g_tree_failed = false;

int RemoveEntry(const char* path, const struct stat*, int flag, struct FTW*) {
    // FTW_NS: no stat; FTW_DNR: a folder that cannot be read. Both leave the tree.
    if (flag == FTW_NS || flag == FTW_DNR) {
        g_tree_failed = true;
        return 0;
    }
    if (::remove(path) != 0) g_tree_failed = true;
    return 0;
}

}  // namespace

std::int64_t FileSizeOf(std::string_view path) {
    auto st = StatOf(path);
    return st && S_ISREG(st->st_mode) ? static_cast<std::int64_t>(st->st_size) : 0;
}

bool IsDirectory(std::string_view path) {
    auto st = StatOf(path);
    return st && S_ISDIR(st->st_mode);
}

std::uint32_t GetFileAttr(std::string_view path) {
    auto st = StatOf(path);
    if (!st) return kNoAttributes;
    std::uint32_t attr = S_ISDIR(st->st_mode) ? kAttrDirectory : kAttrArchive;
    if (!(st->st_mode & S_IWUSR)) attr |= kAttrReadOnly;
    std::string_view name = BaseName(path);
    if (name.size() > 1 && name.front() == '.' && name != "..") attr |= kAttrHidden;
    return attr;
}

std::int32_t DosDateTimeFromUnix(std::time_t t) {
    struct tm utc {};
    if (!::gmtime_r(&t, &utc)) return -1;
    int year = utc.tm_year + 1900;
    if (year < 1980 || year > 2107) return -1;
    std::uint32_t date =
        static_cast<std::uint32_t>(((year - 1980) << 9) | ((utc.tm_mon + 1) << 5) | utc.tm_mday);
    std::uint32_t time =
        static_cast<std::uint32_t>((utc.tm_hour << 11) | (utc.tm_min << 5) | (utc.tm_sec / 2));
    return static_cast<std::int32_t>((date << 16) | time);
}

std::int32_t GetFileDosDate(std::string_view path) {
    auto st = StatOf(path);
    if (!st || S_ISDIR(st->st_mode)) return -1;
    return DosDateTimeFromUnix(st->st_mtim.tv_sec);
}

bool EraseFile(std::string_view path) {
    bool erased = false;
    auto native = Drives().ToNative(path);
    struct stat st {};
    if (native && ::stat(native->c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_mode & S_IWUSR))
        erased = ::unlink(native->c_str()) == 0;
    ProcessPendingMessages();
    return erased;
}

bool DeleteFolderTree(std::string_view path) {
    auto native = Drives().ToNative(path);
    if (!native) return false;
    while (native->size() > 1 && native->back() == '/') native->pop_back();
    struct stat st {};
    if (::lstat(native->c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) return ::unlink(native->c_str()) == 0;  // a link: only the link
    g_tree_failed = false;
    if (::nftw(native->c_str(), RemoveEntry, 32, FTW_DEPTH | FTW_PHYS | FTW_MOUNT) != 0)
        return false;
    return !g_tree_failed && ::access(native->c_str(), F_OK) != 0;
}

std::string StripTrailingBackslash(std::string s) {
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

std::int64_t Percentage(std::int64_t total, std::int64_t done) {
    if (total == 0) return 0;
    __extension__ using Wide = __int128;  // done * 100 must not overflow
    return static_cast<std::int64_t>(Wide{done} * 100 / total);
}

std::string OnlyName(std::string_view path) {
    size_t cut = path.find_last_of("/\\:");
    std::string name(cut == std::string_view::npos ? path : path.substr(cut + 1));
    size_t dot = name.rfind('.');
    if (dot == std::string::npos) return name;
    std::string ext = name.substr(dot);
    name.erase(name.find(ext), ext.size());
    return name;
}

bool IsOnRotationalDisk(const std::string& native) {
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return false;
    const std::string device = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                               std::to_string(minor(st.st_dev));
    for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
        UniqueFd fd(::open((device + queue).c_str(), O_RDONLY | O_CLOEXEC));
        char flag = 0;
        if (fd && ::read(fd.Get(), &flag, 1) == 1) return flag == '1';
    }
    return false;
}

}  // namespace vaultor::fs
