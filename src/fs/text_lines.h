#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vaultor::fs {

// The lines of a text file, ended by CR, LF or both (the last one may have no
// end). A file that cannot be read gives no lines; bytes are kept as they are.
std::vector<std::string> ReadTextLines(const std::string& native_path);
// The same split for bytes already read.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// A small file read whole, never more than a bound: settings, lists and
// records are edited by hand and restored from old disks, and a 4 GB sparse
// file or a FIFO in their place must neither fill the memory nor hang.
struct SmallFile {
    enum class Status { Ok, Missing, NotAFile, TooLarge, Unreadable } status = Status::Missing;
    std::string bytes;  // empty unless Ok
};
SmallFile ReadSmallFile(const std::string& native_path, std::size_t max_bytes);
// At most the first `max_bytes` of a file; Ok also when the file is longer.
SmallFile ReadFileStart(const std::string& native_path, std::size_t max_bytes);

// A file a reader refused (not a regular file, or over its bound) moved to
// "<path>.bad-<yyyymmdd-hhmmss>" before anything is written in its place, so
// what it held is not lost; the new name, or nullopt when it could not be moved.
std::optional<std::string> SetAside(const std::string& native_path);

}  // namespace vaultor::fs
