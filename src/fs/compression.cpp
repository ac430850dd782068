#include "fs/compression.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "fs/drive_table.h"
#include "fs/time_limit.h"
#include "fs/unique_fd.h"

namespace vaultor::fs {
namespace {

constexpr const char* kNtfsAttrib = "system.ntfs_attrib_be";
constexpr std::uint32_t kNtfsCompressed = 0x800;
constexpr long kFuseMagic = 0x65735546;

bool ReadNtfsAttrib(int fd, std::uint32_t& word) {
    std::array<unsigned char, 4> be{};
    if (::fgetxattr(fd, kNtfsAttrib, be.data(), be.size()) != 4) return false;
    word = (std::uint32_t{be[0]} << 24) | (std::uint32_t{be[1]} << 16) |
           (std::uint32_t{be[2]} << 8) | be[3];
    return true;
}

bool WriteNtfsAttrib(int fd, std::uint32_t word) {
    std::array<unsigned char, 4> be{
        static_cast<unsigned char>(word >> 24), static_cast<unsigned char>(word >> 16),
        static_cast<unsigned char>(word >> 8), static_cast<unsigned char>(word)};
    return ::fsetxattr(fd, kNtfsAttrib, be.data(), be.size(), 0) == 0;
}

// Opens a regular file or folder for the flag calls; never a FIFO or device.
UniqueFd OpenNativeForFlags(const std::string& native) {
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return {};
    return UniqueFd(::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
}

UniqueFd OpenForFlags(std::string_view path) {
    auto native = Drives().ToNative(path);
    if (!native) return {};
    return OpenNativeForFlags(*native);
}

CompressionKind KindOfFolder(const std::string& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd ? CompressionKindOf(fd.Get()) : CompressionKind::None;
}

// The support answer of a drive holds for a second: the engines ask it for
// every file they compare.
struct SupportCache {
    char letter = 0;
    std::string folder;
    std::chrono::steady_clock::time_point when;
    bool supported = false;
};

}  // namespace

CompressionKind CompressionKindOf(int fd) {
    struct statfs st {};
    if (::fstatfs(fd, &st) != 0) return CompressionKind::None;
    if (st.f_type == BTRFS_SUPER_MAGIC) return CompressionKind::Btrfs;
    std::uint32_t word = 0;
    if (st.f_type == kFuseMagic && ReadNtfsAttrib(fd, word)) return CompressionKind::Ntfs3g;
    return CompressionKind::None;
}

bool GetCompressedFd(int fd, CompressionKind kind, bool& compressed) {
    if (kind == CompressionKind::Btrfs) {
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) return false;
        compressed = (flags & FS_COMPR_FL) != 0;
        return true;
    }
    if (kind == CompressionKind::Ntfs3g) {
        std::uint32_t word = 0;
        if (!ReadNtfsAttrib(fd, word)) return false;
        compressed = (word & kNtfsCompressed) != 0;
        return true;
    }
    return false;
}

bool SetCompressedFd(int fd, CompressionKind kind, bool compressed) {
    if (kind == CompressionKind::Btrfs) {
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) return false;
        int wanted = compressed ? ((flags | FS_COMPR_FL) & ~FS_NOCOMP_FL) : (flags & ~FS_COMPR_FL);
        if (wanted != flags && ::ioctl(fd, FS_IOC_SETFLAGS, &wanted) != 0) return false;
    } else if (kind == CompressionKind::Ntfs3g) {
        std::uint32_t word = 0;
        if (!ReadNtfsAttrib(fd, word)) return false;
        std::uint32_t wanted = compressed ? (word | kNtfsCompressed) : (word & ~kNtfsCompressed);
        if (wanted != word && !WriteNtfsAttrib(fd, wanted)) return false;
    } else {
        return false;
    }
    // ntfs-3g drops a change of an existing file's bit without an error.
    bool now = !compressed;
    return GetCompressedFd(fd, kind, now) && now == compressed;
}

bool SupportsCompression(char letter) {
    letter = NormaliseLetter(letter);  // the volume query takes "e:\" as well as "E:\"
    if (!letter) return false;
    static SupportCache cache;
    DriveInfo info = Drives().Info(letter);
    if (!info.exists || !info.medium) return false;
    auto now = std::chrono::steady_clock::now();
    if (cache.letter == letter && cache.folder == info.folder &&
        now - cache.when < std::chrono::seconds(1))
        return cache.supported;
    bool supported = false;
    if (info.slow) {
        auto kind = AskWithTimeLimit<CompressionKind>(
            info.folder, kSlowDriveLimit, [folder = info.folder] { return KindOfFolder(folder); });
        supported = kind && *kind != CompressionKind::None;
    } else {
        supported = KindOfFolder(info.folder) != CompressionKind::None;
    }
    cache = {letter, info.folder, now, supported};
    return supported;
}

bool GetCompressionState(std::string_view path, std::uint16_t& state) {
    UniqueFd fd = OpenForFlags(path);
    bool compressed = false;
    if (!fd || !GetCompressedFd(fd.Get(), CompressionKindOf(fd.Get()), compressed)) return false;
    state = compressed ? kCompressionLznt1 : kCompressionNone;
    return true;
}

bool SetCompressionState(std::string_view path, std::uint16_t state) {
    UniqueFd fd = OpenForFlags(path);
    return fd && SetCompressedFd(fd.Get(), CompressionKindOf(fd.Get()), state != kCompressionNone);
}

bool SetCompressedNative(const std::string& native, bool compressed) {
    UniqueFd fd = OpenNativeForFlags(native);
    return fd && SetCompressedFd(fd.Get(), CompressionKindOf(fd.Get()), compressed);
}

bool IsFileCompressed(std::string_view path) {
    std::uint16_t state = 0;
    return GetCompressionState(path, state) && state == kCompressionLznt1;
}

void CompressPath(std::string_view path) {
    if (!path.empty() && SupportsCompression(path[0])) SetCompressionState(path, kCompressionLznt1);
}

void UncompressPath(std::string_view path) {
    if (!path.empty() && SupportsCompression(path[0])) SetCompressionState(path, kCompressionNone);
}

void CopyCompressionState(std::string_view source, std::string_view target) {
    if (target.empty() || !SupportsCompression(target[0])) return;
    std::uint16_t state = 0;
    if (!GetCompressionState(source, state)) return;
    if (state == kCompressionNone || state == kCompressionLznt1) SetCompressionState(target, state);
}

}  // namespace vaultor::fs
