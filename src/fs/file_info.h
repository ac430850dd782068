#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace vaultor::fs {

// Paths may be in letter form ("E:\a\b") or native ("/a/b").

// The real 64-bit size of a file; 0 for a folder, a missing path or anything
// that is not a regular file.
std::int64_t FileSizeOf(std::string_view path);
inline bool IsDirAttr(std::uint32_t attr) {
    return (attr & 16) != 0;
}
// An existing folder (a link to one counts); false for a drive without medium.
bool IsDirectory(std::string_view path);

inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kNoAttributes = 0xFFFFFFFF;
// The attribute word as the rest of the program knows it: read-only is the
// owner-write bit clear, hidden a name starting with ".", directory a folder.
std::uint32_t GetFileAttr(std::string_view path);

// Last-write time in UTC packed as DOS date and time; -1 for a folder, a
// missing path or a time outside 1980..2107.
std::int32_t GetFileDosDate(std::string_view path);
std::int32_t DosDateTimeFromUnix(std::time_t t);

// Deletes a file; false (and the file stays) when it is missing, read-only or
// a folder. Lets pending window messages be processed before it returns.
bool EraseFile(std::string_view path);
// Whether a native path lies on a spinning disk (the kernel's word for its
// block device, or the whole disk's for a partition); false for memory,
// network and anything without a block device.
bool IsOnRotationalDisk(const std::string& native);
// Deletes a folder with everything below it. Never follows a symbolic link and
// never reaches into another file system mounted below it.
bool DeleteFolderTree(std::string_view path);

std::string StripTrailingBackslash(std::string s);
std::int64_t Percentage(std::int64_t total, std::int64_t done);
// The file name without folder and extension: D:\Prog\Werk.vlt gives Werk.
std::string OnlyName(std::string_view path);

}  // namespace vaultor::fs
