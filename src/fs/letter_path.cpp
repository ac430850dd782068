#include "fs/letter_path.h"

namespace vaultor::fs {

bool IsSafeLetterPath(std::string_view path) {
    if (path.find('\0') != std::string_view::npos) return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

std::string RootedLetterPath(std::string path) {
    if (path.size() <= 2 || path[1] != ':' || path[2] == '\\' || path[2] == '/') return path;
    std::string rooted;
    rooted.reserve(path.size() + 1);
    rooted.append(path, 0, 2);
    rooted += '\\';
    rooted.append(path, 2, std::string::npos);
    return rooted;
}

}  // namespace vaultor::fs
