#pragma once

#include <string>

namespace vaultor {

// Where the copy of a source path lies: below one folder per source drive,
// the path keeping its shape. "S:\R\a.txt" with the target root "E:\" gives
// "E:\Vaultor_Drive S\R\a.txt"; the check, the copy, the test and the
// journal all name a copy through this.
std::string TargetPathOf(const std::string& target_root, const std::string& source);

// "E:\Vaultor_Drive S\" for anything on drive S.
std::string DriveFolderFor(const std::string& target_root, char source_letter);

}  // namespace vaultor
