#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace vaultor {

// What runs replaced or moved out of a copy lies on the same target, outside
// the drive folders: in "E:\Vaultor_Versions\<yyyy-mm-dd hhmmss> <list>" the
// file "Vaultor_Drive S\Data\a.txt" is the copy "E:\Vaultor_Drive S\Data\a.txt"
// as it was before the run of that moment replaced it.
inline constexpr const char* kVersionsFolderName = "Vaultor_Versions";

// "E:\Vaultor_Versions\".
std::string VersionsRoot(const std::string& target_root);
// "2026-12-07 193000 Foto": one run's folder, in local time.
std::string RunVersionsName(std::time_t when, const std::string& list);
// The moment and the list of a run's folder name; nullopt for any other name.
struct RunVersionsFolder {
    std::string name;  // as on disk
    std::time_t when = 0;
    std::string list;
};
std::optional<RunVersionsFolder> ParseRunVersionsName(const std::string& name);
// Where the run folder `run_name` keeps the old state of `target_path` (a
// path below target_root, in letter form).
std::string VersionPathOf(const std::string& target_root, const std::string& run_name,
                          const std::string& target_path);
// The run folders of one list on a target, oldest first (read through the
// drive table; an absent folder, or an empty name, gives none).
std::vector<RunVersionsFolder> ListRunVersions(const std::string& target_root,
                                               const std::string& list);
// Whether "E:\Vaultor_Versions" is a symbolic link: what runs keep, and what
// expires, would then be moved to and removed from a place outside the target.
bool VersionsRootIsLink(const std::string& target_root);
// The same for every list's run folders.
std::vector<RunVersionsFolder> ListEveryRunVersions(const std::string& target_root);
// A renamed list takes its run folders along, so its retention and restores
// find them; a name already taken is never replaced. How many stayed as they
// were. Native paths only: it may run on a thread of its own.
int RenameRunVersions(const std::string& versions_native, const std::string& from,
                      const std::string& to);

}  // namespace vaultor
