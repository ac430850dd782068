#include "fs/drive_table.h"

#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <array>
#include <filesystem>

namespace vaultor::fs {
namespace {

bool IsUnder(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path == folder || (path.substr(0, folder.size()) == folder &&
                              path.size() > folder.size() && path[folder.size()] == '/');
}

// A kind for a file system that is bound by uuid or source but not mounted
// now: it comes and goes, so it is removable media or a network share.
int KindWhenAbsent(const DriveSpec& spec) {
    if (!spec.source.empty())
        return spec.source.find(':') != std::string::npos || spec.source.rfind("//", 0) == 0 ? 3
                                                                                             : 2;
    return 1;
}

}  // namespace

DriveTable::DriveTable() {
    DriveSpec c;
    c.letter = 'C';
    c.folder = "/";
    specs_.push_back(c);
}

DriveTable DriveTable::Build(const Sources& sources) {
    DriveTable table;
    table.specs_.clear();
    table.fstab_path_ = sources.fstab;
    bool command_line = !sources.command_line.empty();
    for (const auto& list : {&sources.command_line, &sources.recorded}) {
        if (command_line && list == &sources.recorded) continue;
        for (const auto& spec : *list)
            if (!table.FindSpec(spec.letter)) table.specs_.push_back(spec);
    }
    if (!table.FindSpec('C')) {
        DriveSpec c;
        c.letter = 'C';
        c.folder = "/";
        table.specs_.push_back(c);
    }
    table.RefreshIfMountsChanged();
    if (!command_line) table.AssignAutomaticLetters();
    std::sort(table.specs_.begin(), table.specs_.end(),
              [](const DriveSpec& a, const DriveSpec& b) { return a.letter < b.letter; });
    return table;
}

void DriveTable::RefreshIfMountsChanged() const {
    if (mountinfo_watch_) {
        // The kernel flags the mount table file when a mount comes or goes.
        pollfd p{mountinfo_watch_.Get(), POLLPRI, 0};
        if (::poll(&p, 1, 0) == 0) return;
    } else {
        mountinfo_watch_.Reset(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    }
    if (mountinfo_watch_) {
        std::array<char, 4096> drain{};
        ::lseek(mountinfo_watch_.Get(), 0, SEEK_SET);
        while (::read(mountinfo_watch_.Get(), drain.data(), drain.size()) > 0) {
        }
    }
    mounts_ = ReadMountTable();
    fstab_points_ = ReadFstabMountPoints(fstab_path_);
}

const DriveSpec* DriveTable::FindSpec(char letter) const {
    for (const auto& s : specs_)
        if (s.letter == letter) return &s;
    return nullptr;
}

const MountEntry* DriveTable::MountOf(const DriveSpec& spec) const {
    const MountEntry* found = nullptr;
    for (const auto& m : mounts_) {
        bool match = (!spec.uuid.empty() && m.uuid == spec.uuid && m.root == "/") ||
                     (!spec.source.empty() && m.source == spec.source) ||
                     (!spec.device.empty() && m.source == spec.device);
        if (!match) continue;
        if (m.target == spec.folder) return &m;
        if (!found) found = &m;
    }
    return found;
}

const MountEntry* DriveTable::MountHolding(const std::string& folder) const {
    const MountEntry* best = nullptr;
    for (const auto& m : mounts_)  // later lines of the table mount over earlier ones
        if (IsUnder(folder, m.target) && (!best || m.target.size() >= best->target.size()))
            best = &m;
    return best;
}

bool DriveTable::IsMountPoint(const std::string& folder) const {
    return std::any_of(mounts_.begin(), mounts_.end(),
                       [&](const MountEntry& m) { return m.target == folder; });
}

bool DriveTable::NamedInFstab(const std::string& folder) const {
    return std::find(fstab_points_.begin(), fstab_points_.end(), folder) != fstab_points_.end();
}

void DriveTable::AssignAutomaticLetters() {
    std::vector<dev_t> seen;
    for (const auto& spec : specs_)
        if (const MountEntry* m =
                spec.BoundToFileSystem() || !spec.device.empty()
                    ? MountOf(spec)
                    : (IsMountPoint(spec.folder) ? MountHolding(spec.folder) : nullptr))
            seen.push_back(m->devno);
    for (const auto& m : mounts_) {
        if (m.target == "/" || !IsUserVisibleMount(m)) continue;
        if (std::find(seen.begin(), seen.end(), m.devno) != seen.end()) continue;
        char letter = 0;
        for (char l = 'D'; l <= 'Z' && !letter; ++l)
            if (!FindSpec(l)) letter = l;
        if (!letter) return;
        DriveSpec spec;
        spec.letter = letter;
        spec.folder = m.target;
        if (IsOpticalDevice(m.source))
            spec.device = m.source;
        else if (!m.uuid.empty())
            spec.uuid = m.uuid;
        else if (m.network || IsFuseType(m.fstype))
            spec.source = m.source;
        else
            spec.mounted = true;
        seen.push_back(m.devno);
        specs_.push_back(spec);
        newly_recorded_.push_back(spec);
    }
}

DriveInfo DriveTable::Info(char letter) const {
    DriveInfo info;
    info.letter = letter;
    const DriveSpec* spec = FindSpec(letter);
    if (!spec) return info;
    RefreshIfMountsChanged();
    info.exists = true;
    info.label = spec->label;
    info.folder = spec->folder;
    const MountEntry* mount = nullptr;
    if (spec->BoundToFileSystem() || !spec->device.empty()) {
        mount = MountOf(*spec);
        if (mount) info.folder = mount->target;
        info.medium = mount != nullptr;
    } else {
        bool must_be_mounted = spec->mounted || NamedInFstab(spec->folder);
        info.medium = !must_be_mounted || IsMountPoint(spec->folder);
        mount = MountHolding(spec->folder);
    }
    if (mount) {
        info.source = mount->source;
        info.fstype = mount->fstype;
        info.slow = mount->network || IsFuseType(mount->fstype);
    }
    if (spec->kind)
        info.kind = *spec->kind;
    else if (!spec->device.empty())
        info.kind = 4;
    else if (spec->BoundToFileSystem() && !info.medium)
        info.kind = KindWhenAbsent(*spec);
    else
        info.kind = mount ? KindOfMount(*mount) : 2;
    return info;
}

std::vector<char> DriveTable::Letters() const {
    std::vector<char> out;
    for (const auto& s : specs_) out.push_back(s.letter);
    return out;
}

std::optional<std::string> DriveTable::ToNative(std::string_view path) const {
    if (path.size() < 2 || path[1] != ':' || !NormaliseLetter(path[0])) return std::string(path);
    DriveInfo info = Info(NormaliseLetter(path[0]));
    if (!info.exists || !info.medium) return std::nullopt;
    std::string rest(path.substr(2));
    std::replace(rest.begin(), rest.end(), '\\', '/');
    while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    if (rest.empty()) return info.folder;
    return info.folder == "/" ? "/" + rest : info.folder + "/" + rest;
}

std::string DriveTable::ToLetterPath(const std::string& native) const {
    const DriveSpec* best = nullptr;
    std::string best_folder;
    for (const auto& spec : specs_) {
        DriveInfo info = Info(spec.letter);
        if (!info.medium || !IsUnder(native, info.folder)) continue;
        if (!best || info.folder.size() > best_folder.size()) {
            best = &spec;
            best_folder = info.folder;
        }
    }
    if (!best) return native;
    std::string rest = best_folder == "/" ? native.substr(1) : native.substr(best_folder.size());
    while (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return std::string(1, best->letter) + ":\\" + rest;
}

namespace {
DriveTable& CurrentTable() {
    static DriveTable table;
    return table;
}
}  // namespace

void SetDriveTable(DriveTable table) {
    CurrentTable() = std::move(table);
}
const DriveTable& Drives() {
    return CurrentTable();
}

}  // namespace vaultor::fs
