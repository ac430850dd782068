#include "target/versions_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "fs/copy_file.h"
#include "fs/drive_table.h"
#include "fs/folder_listing.h"
#include "fs/time_text.h"

namespace vaultor {

std::string VersionsRoot(const std::string& target_root) {
    return target_root + kVersionsFolderName + "\\";
}

std::string RunVersionsName(std::time_t when, const std::string& list) {
    return fs::LocalTimeText(when, "%Y-%m-%d %H%M%S") + " " + list;
}

std::optional<RunVersionsFolder> ParseRunVersionsName(const std::string& name) {
    int y, mo, d, h, mi, s, used = 0;
    if (name.size() < 19 ||
        std::sscanf(name.c_str(), "%4d-%2d-%2d %2d%2d%2d %n", &y, &mo, &d, &h, &mi, &s, &used) !=
            6 ||
        used != 18 || name.size() == 18)
        return std::nullopt;
    const auto when = fs::LocalMoment(y, mo, d, h, mi, s);
    if (!when) return std::nullopt;
    return RunVersionsFolder{name, *when, name.substr(18)};
}

std::string VersionPathOf(const std::string& target_root, const std::string& run_name,
                          const std::string& target_path) {
    return VersionsRoot(target_root) + run_name + "\\" + target_path.substr(target_root.size());
}

namespace {

std::vector<RunVersionsFolder> RunVersionsWhere(const std::string& target_root,
                                                const std::function<bool(const std::string&)>& of) {
    std::vector<RunVersionsFolder> runs;
    for (const auto& name : fs::ListFolder(VersionsRoot(target_root)).folders)
        if (auto run = ParseRunVersionsName(name); run && of(run->list)) runs.push_back(*run);
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) {
        return a.when != b.when ? a.when < b.when : a.name < b.name;
    });
    return runs;
}

}  // namespace

std::vector<RunVersionsFolder> ListRunVersions(const std::string& target_root,
                                               const std::string& list) {
    if (list.empty()) return {};
    return RunVersionsWhere(target_root, [&](const std::string& of) { return of == list; });
}

bool VersionsRootIsLink(const std::string& target_root) {
    auto native = fs::Drives().ToNative(target_root + kVersionsFolderName);
    struct stat st {};
    return native && ::lstat(native->c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::vector<RunVersionsFolder> ListEveryRunVersions(const std::string& target_root) {
    return RunVersionsWhere(target_root, [](const std::string&) { return true; });
}

int RenameRunVersions(const std::string& target_root, const std::string& from,
                      const std::string& to) {
    int stayed = 0;
    for (const auto& run : ListRunVersions(target_root, from)) {
        const std::string stamp = run.name.substr(0, run.name.size() - from.size());
        auto old_path = fs::Drives().ToNative(VersionsRoot(target_root) + run.name);
        auto new_path = fs::Drives().ToNative(VersionsRoot(target_root) + stamp + to);
        if (!old_path || !new_path || fs::MoveAside(*old_path, *new_path) != 0) ++stayed;
    }
    return stayed;
}

}  // namespace vaultor
