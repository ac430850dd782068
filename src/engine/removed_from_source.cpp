#include "engine/removed_from_source.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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
    const bool fold = plan.target.folds_case;
    std::unordered_set<std::string> in_source;
    for (const auto& entry : source_entries) in_source.insert(Folded(entry.name, fold));
    for (const auto& folder : source_folders) in_source.insert(Folded(folder, fold));
    const std::string prefix = target_folder.back() == '\\' ? target_folder : target_folder + "\\";
    while (const dirent* e = ::readdir(dir.get())) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || fs::IsCopyTempName(name)) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        const std::int64_t files = S_ISDIR(st.st_mode)   ? FilesBelow(*native + "/" + name)
                                   : S_ISREG(st.st_mode) ? 1
                                                         : 0;
        if (!S_ISDIR(st.st_mode)) plan.copy_files += files;
        if (in_source.count(Folded(name, fold))) continue;
        if (S_ISDIR(st.st_mode)) plan.copy_files += files;
        plan.removed.push_back(prefix + name);
        plan.removed_files += files;
        ++plan.changes;
    }
}

}  // namespace vaultor
