#include "target/copy_origin.h"

#include <vector>

#include "fs/letter_path.h"
#include "target/versions_folder.h"

namespace vaultor {
namespace {

constexpr std::string_view kDrivePrefix = "Vaultor_Drive ";

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t cut = path.find('\\', start);
        if (cut == std::string::npos) cut = path.size();
        if (cut > start) names.push_back(path.substr(start, cut - start));
        start = cut + 1;
    }
    return names;
}

// "Vaultor_Drive S" gives 'S', any other name 0.
char DriveLetterOf(const std::string& name) {
    if (name.size() != kDrivePrefix.size() + 1 || name.rfind(kDrivePrefix, 0) != 0) return 0;
    const char letter = name.back();
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

}  // namespace

std::optional<CopyOrigin> OriginOfCopy(const std::string& target_path) {
    if (target_path.size() < 2 || target_path[1] != ':' || !fs::IsSafeLetterPath(target_path))
        return std::nullopt;
    CopyOrigin origin;
    origin.target_root = target_path.substr(0, 2) + "\\";
    std::vector<std::string> names = Components(target_path.substr(2));
    size_t at = 0;
    if (names.size() >= 2 && names[0] == kVersionsFolderName) {
        if (!ParseRunVersionsName(names[1])) return std::nullopt;
        origin.run_name = names[1];
        at = 2;
    }
    if (at >= names.size()) return std::nullopt;
    const char letter = DriveLetterOf(names[at]);
    if (!letter) return std::nullopt;
    origin.source = std::string(1, letter) + ":\\";
    for (size_t i = at + 1; i < names.size(); ++i)
        origin.source += (i > at + 1 ? "\\" : "") + names[i];
    return origin;
}

}  // namespace vaultor
