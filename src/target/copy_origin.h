#pragma once

#include <optional>
#include <string>

namespace vaultor {

// What a path on a target is a copy of: the way back from TargetPathOf and
// VersionPathOf. "E:\Vaultor_Drive S\Data\a.txt" is the current copy of
// "S:\Data\a.txt"; "E:\Vaultor_Versions\2026-12-07 193000 Foto\Vaultor_Drive
// S\Data\a.txt" is that file as the run of that moment found it.
struct CopyOrigin {
    std::string target_root;  // "E:\"
    std::string source;       // "S:\Data\a.txt"; "S:\" for a whole drive folder
    std::string run_name;     // the run folder's name; empty for the current copy
};

// nullopt for a path that lies in no drive folder of either kind.
std::optional<CopyOrigin> OriginOfCopy(const std::string& target_path);

}  // namespace vaultor
