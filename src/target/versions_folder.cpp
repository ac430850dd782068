#include "target/versions_folder.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
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

int RenameRunVersions(const std::string& versions_native, const std::string& from,
                      const std::string& to) {
    int stayed = 0;
    if (from.empty()) return stayed;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(versions_native, ec)) {
        std::error_code type_ec;
        if (!entry.is_directory(type_ec) || entry.is_symlink(type_ec)) continue;
        const std::string name = entry.path().filename().string();
        auto run = ParseRunVersionsName(name);
        if (!run || run->list != from) continue;
        const std::string stamp = name.substr(0, name.size() - from.size());
        if (fs::MoveAside(versions_native + "/" + name, versions_native + "/" + stamp + to) != 0)
            ++stayed;
    }
    return stayed;
}

}  // namespace vaultor
