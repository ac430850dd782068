#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "fs/content_read.h"

namespace vaultor {

// The checksums a list with Sums=1 keeps of its copies lie on the target,
// outside the drive folders: "E:\Vaultor_Sums\S.sums" holds those of the
// copies below "E:\Vaultor_Drive S\", keyed by the copy's path relative to
// the target root ("Vaultor_Drive S\Data\a.txt").
inline constexpr const char* kSumsFolderName = "Vaultor_Sums";

// "E:\Vaultor_Sums\S.sums".
std::string SumsManifestPath(const std::string& target_root, char source_letter);

// The source letter of a copy's path relative to the target root:
// 'S' for "Vaultor_Drive S\Data\a.txt"; 0 for a path outside the drive folders.
char SourceLetterOfCopy(std::string_view relative);

// One manifest, path to checksum. On disk, one line per copy:
//
//   <32 hex digits of XXH3-128, high half first> <one space> <relative path>
//
// ended by LF, sorted by path. In the path '%' is written "%25", CR "%0D" and
// LF "%0A", so any byte a file name may hold survives and a line always ends
// where its LF is; the backslashes between folders stay as they are. Lines
// beginning with '#' are remarks; a line of any other form is not used.
using SumsManifest = std::map<std::string, fs::Sum128>;
// A manifest larger than this (some ten million copies) is not read.
inline constexpr std::size_t kMaxManifestBytes = std::size_t{1} << 30;

std::string EscapeManifestPath(std::string_view path);
std::optional<std::string> UnescapeManifestPath(std::string_view text);

SumsManifest ParseSumsManifest(std::string_view bytes);
std::string FormatSumsManifest(const SumsManifest& manifest);

// What a run learnt of its copies: a new checksum, or none (nullopt: the
// copy was replaced but could not be read back, so its old line must go).
using SumsUpdate = std::map<std::string, std::optional<fs::Sum128>>;
void MergeSums(SumsManifest& manifest, const SumsUpdate& update);

}  // namespace vaultor
