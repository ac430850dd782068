#include "fs/letter_path.h"

#include "fs/drive_mapping.h"

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

std::string CanonicalLetterPath(std::string path) {
    const char letter = path.size() >= 2 && path[1] == ':' ? NormaliseLetter(path[0]) : 0;
    if (!letter) return path;
    std::string out{letter, ':', '\\'};
    out.reserve(path.size() + 1);
    for (size_t i = 2; i < path.size(); ++i) {
        const char c = path[i] == '/' ? '\\' : path[i];
        if (c != '\\' || out.back() != '\\') out += c;
    }
    if (out.size() > 3 && out.back() == '\\') out.pop_back();
    return out;
}

}  // namespace vaultor::fs
