#pragma once

#include <string>
#include <vector>

#include "state/ui.h"

namespace vaultor {

// Paths in letter form. On Linux only the drive letter is compared without
// regard to case: C:\data and C:\Data are two folders.
bool SamePath(const std::string& a, const std::string& b);
// A folder as a list holds it: one spelling (fs::CanonicalLetterPath), so
// "e:/Data/" is "E:\Data" and a drive root "E:\".
std::string NormalisedFolder(std::string path);
// The path up to its last "\" (kept for a drive root); a root is its own
// parent; shorter than three characters: no parent (empty).
std::string ParentOf(const std::string& path);
// `entry` is a higher folder of `path`: path lies below it.
bool IsHigherFolder(const std::string& entry, const std::string& path);

// Why a folder path cannot join a list (a "." or ".." component, a NUL), or
// "" when it can.
std::string UnsafeFolderMessage(const std::string& path);

// Whether `path` may join the folders of a list (false) or is refused (true),
// asking and telling through `ui`. Lower folders the user agrees to replace
// are removed from `lines`; the new folder is never added here.
bool CheckForMaps(std::vector<std::string>& lines, const std::string& path, UserInterface& ui);

}  // namespace vaultor
