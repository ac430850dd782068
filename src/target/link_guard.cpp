#include "target/link_guard.h"

#include <sys/stat.h>

namespace vaultor {
namespace {

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool IsAtOrBelow(const std::string& path, const std::string& folder) {
    if (path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

}  // namespace

TargetLinkGuard::TargetLinkGuard(std::string root) : root_(WithoutTrailingSlash(std::move(root))) {}

TargetLinkGuard::Finding TargetLinkGuard::Look(const std::string& folder, std::string* link) {
    const std::string path = WithoutTrailingSlash(folder);
    for (const auto& known : links_)
        if (IsAtOrBelow(path, known)) {
            *link = known;
            return Finding::BelowKnownLink;
        }
    while (!real_.empty() && !IsAtOrBelow(path, real_.back())) real_.pop_back();
    const std::string& base = real_.empty() ? root_ : real_.back();
    if (root_.empty() || !IsAtOrBelow(path, base)) return Finding::None;
    for (size_t at = base.size(); at < path.size();) {
        if (path[at] == '/') ++at;
        const size_t end = path.find('/', at);
        std::string part = path.substr(0, end);
        struct stat st {};
        // What is not there yet is made as a real folder.
        if (::lstat(part.c_str(), &st) != 0 || (!S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)))
            return Finding::None;
        if (S_ISLNK(st.st_mode)) {
            *link = part;
            links_.push_back(std::move(part));
            return Finding::Link;
        }
        real_.push_back(std::move(part));
        at = end == std::string::npos ? path.size() : end;
    }
    return Finding::None;
}

}  // namespace vaultor
