#include "target/versions_folder.h"

#include <algorithm>
#include <cstdio>

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

std::vector<RunVersionsFolder> ListRunVersions(const std::string& target_root,
                                               const std::string& list) {
    std::vector<RunVersionsFolder> runs;
    for (const auto& name : fs::ListFolder(VersionsRoot(target_root)).folders)
        if (auto run = ParseRunVersionsName(name); run && (list.empty() || run->list == list))
            runs.push_back(*run);
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) {
        return a.when != b.when ? a.when < b.when : a.name < b.name;
    });
    return runs;
}

int RenameRunVersions(const std::string& target_root, const std::string& from,
                      const std::string& to) {
    int stayed = 0;
    if (from.empty()) return stayed;  // an empty name would take every list's folders
    for (const auto& run : ListRunVersions(target_root, from)) {
        const std::string stamp = run.name.substr(0, run.name.size() - from.size());
        auto old_path = fs::Drives().ToNative(VersionsRoot(target_root) + run.name);
        auto new_path = fs::Drives().ToNative(VersionsRoot(target_root) + stamp + to);
        if (!old_path || !new_path || fs::MoveAside(*old_path, *new_path) != 0) ++stayed;
    }
    return stayed;
}

}  // namespace vaultor
