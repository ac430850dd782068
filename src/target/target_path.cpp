#include "target/target_path.h"

namespace vaultor {

std::string DriveFolderFor(const std::string& target_root, char source_letter) {
    return target_root + "Vaultor_Drive " + std::string(1, source_letter ? source_letter : '?') +
           "\\";
}

std::string TargetPathOf(const std::string& target_root, const std::string& source) {
    if (source.empty()) return DriveFolderFor(target_root, 0);
    std::string below = source.size() > 3 ? source.substr(3) : std::string();
    return DriveFolderFor(target_root, source[0]) + below;
}

}  // namespace vaultor
