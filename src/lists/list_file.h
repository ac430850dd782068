#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vaultor {

// Larger list files are not lists a person made; they are not read.
inline constexpr std::size_t kMaxListFileBytes = 4 << 20;

// The lines of a list file: one folder a line, ended by CR, LF or both. A file
// that is not there gives no lines; binary or very long lines are kept as
// they are (they name no folder, so they count as missing). nullopt for a
// file that is not a regular file, is larger than kMaxListFileBytes, or
// cannot be read (no permission, a failing medium).
std::optional<std::vector<std::string>> ReadListLines(const std::string& path);
// A list file that is there but cannot be read: it is never written over.
bool ListFileUnreadable(const std::string& path);

// Writes the lines, each ended by CR LF, through a temporary file: a failed
// write leaves the old file. False when it failed.
bool WriteListFile(const std::string& path, const std::vector<std::string>& lines);

// The list a file holds: its name without the folder and the last four
// characters (".vlt").
std::string ListNameOf(const std::string& path);
// What the user is told of a list file ReadListLines refused.
std::string UnusableListMessage(const std::string& path);

// The names of the lists in the program folder: files ending exactly in
// ".vlt", without those four characters, sorted as the list box sorts
// (ignoring case).
std::vector<std::string> ListNames(const std::string& program_dir);

}  // namespace vaultor
