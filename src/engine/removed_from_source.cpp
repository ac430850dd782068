#include "engine/removed_from_source.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <unordered_set>

#include "fs/copy_file.h"
#include "fs/drive_table.h"

namespace vaultor {
namespace {

std::string Folded(const std::string& name, bool fold) {
    std::string out = name;
    if (fold)
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// The regular files below a native folder, at every depth.
std::int64_t FilesBelow(const std::string& native) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.c_str()), ::closedir);
    if (!dir) return 0;
    std::int64_t files = 0;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode))
            files += FilesBelow(native + "/" + name);
        else if (S_ISREG(st.st_mode))
            ++files;
    }
    return files;
}

}  // namespace

void FindRemovedFromSource(const std::string& target_folder,
                           const std::vector<ListedEntry>& source_entries,
                           const std::vector<std::string>& source_folders, CopyPlan& plan) {
    auto native = fs::Drives().ToNative(target_folder);
    if (!native) return;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native->c_str()), ::closedir);
    if (!dir) return;  // no copy yet
    const int fd = ::dirfd(dir.get());
    const bool fold = plan.target.folds_case;
    std::vector<std::string> source_names;
    for (const auto& entry : source_entries) source_names.push_back(entry.name);
    source_names.insert(source_names.end(), source_folders.begin(), source_folders.end());
    std::unordered_set<std::string> in_source, in_copy;
    for (const auto& name : source_names) in_source.insert(Folded(name, fold));
    struct Candidate {
        std::string name;
        struct stat st;
    };
    std::vector<Candidate> candidates;
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || fs::IsCopyTempName(name)) continue;
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        in_copy.insert(name);
        if (S_ISREG(st.st_mode)) ++plan.copy_files;
        if (!in_source.count(Folded(name, fold))) candidates.push_back({name, st});
    }
    if (candidates.empty()) return;
    // The target may find an entry under a source name it is not listed by
    // (a case it folds beyond ASCII, a trailing dot it drops): that entry is
    // the source's copy. When such a name matches none of the candidates by
    // its identity, none is moved: a copy is never taken for a stranger.
    for (const auto& name : source_names) {
        struct stat st {};
        if (in_copy.count(name) || ::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        auto same = std::find_if(candidates.begin(), candidates.end(), [&](const Candidate& c) {
            return c.st.st_dev == st.st_dev && c.st.st_ino == st.st_ino;
        });
        if (same == candidates.end()) return;
        candidates.erase(same);
    }
    const std::string prefix = target_folder.back() == '\\' ? target_folder : target_folder + "\\";
    for (const auto& c : candidates) {
        const std::int64_t files =
            S_ISDIR(c.st.st_mode) ? FilesBelow(*native + "/" + c.name) : S_ISREG(c.st.st_mode);
        if (S_ISDIR(c.st.st_mode)) plan.copy_files += files;
        plan.removed.push_back(prefix + c.name);
        plan.removed_files += files;
        ++plan.changes;
    }
}

}  // namespace vaultor
