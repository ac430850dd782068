#include "fs/drive_table.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "fs/letter_path.h"

namespace vaultor::fs {
namespace {

bool IsUnder(std::string_view path, std::string_view folder) {
    if (folder == "/") return !path.empty() && path.front() == '/';
    return path == folder || (path.substr(0, folder.size()) == folder &&
                              path.size() > folder.size() && path[folder.size()] == '/');
}

// A kind for a file system that is bound by uuid or source but not mounted
// now: it comes and goes, so it is removable media or a network share.
int KindWhenAbsent(const DriveMapping& mapping) {
    if (!mapping.source.empty())
        return mapping.source.find(':') != std::string::npos || mapping.source.rfind("//", 0) == 0
                   ? 3
                   : 2;
    return 1;
}

// Whether a path holds an empty, "." or ".." component; most do not, and
// those need no normalising.
bool NeedsNormalising(const std::string& rest) {
    size_t start = rest.empty() || rest.front() != '/' ? 0 : 1;
    while (start <= rest.size()) {
        size_t end = rest.find('/', start);
        if (end == std::string::npos) end = rest.size();
        std::string_view part(rest.data() + start, end - start);
        if (part == "." || part == ".." || (part.empty() && end < rest.size())) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

DriveTable::DriveTable() {
    DriveMapping c;
    c.letter = 'C';
    c.folder = "/";
    mappings_.push_back(c);
}

DriveTable DriveTable::Build(const Sources& sources) {
    DriveTable table;
    table.mappings_.clear();
    table.fstab_path_ = sources.fstab;
    bool command_line = !sources.command_line.empty();
    for (const auto& list : {&sources.command_line, &sources.recorded}) {
        if (command_line && list == &sources.recorded) continue;
        for (const auto& mapping : *list)
            if (!table.FindMapping(mapping.letter)) table.mappings_.push_back(mapping);
    }
    if (!table.FindMapping('C')) {
        DriveMapping c;
        c.letter = 'C';
        c.folder = "/";
        table.mappings_.push_back(c);
    }
    table.RefreshIfMountsChanged();
    if (!command_line) table.AssignAutomaticLetters();
    std::sort(table.mappings_.begin(), table.mappings_.end(),
              [](const DriveMapping& a, const DriveMapping& b) { return a.letter < b.letter; });
    return table;
}

void DriveTable::RefreshIfMountsChanged(bool for_a_path) const {
    if (mountinfo_watch_) {
        // A run translates many paths a millisecond: for a path the kernel's
        // flag is asked at most once a millisecond. A mount that goes between
        // two such looks is no worse than one that goes between the look and
        // the file call that follows it, which no look can rule out.
        if (for_a_path) {
            timespec now{};
            ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
            std::int64_t now_ms = std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1'000'000;
            if (now_ms == polled_ms_) return;
            polled_ms_ = now_ms;
        }
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

const DriveMapping* DriveTable::FindMapping(char letter) const {
    for (const auto& s : mappings_)
        if (s.letter == letter) return &s;
    return nullptr;
}

const MountEntry* DriveTable::MountOf(const DriveMapping& mapping) const {
    const MountEntry* found = nullptr;
    for (const auto& m : mounts_) {
        bool match = (!mapping.uuid.empty() && m.uuid == mapping.uuid &&
                      m.root == (mapping.root.empty() ? "/" : mapping.root)) ||
                     (!mapping.source.empty() && m.source == mapping.source) ||
                     (!mapping.device.empty() && m.source == mapping.device);
        if (!match) continue;
        if (m.target == mapping.folder) return &m;
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

char DriveTable::FirstFreeLetter() const {
    for (char l = 'D'; l <= 'Z'; ++l)
        if (!FindMapping(l)) return l;
    return 0;
}

void DriveTable::Assign(DriveMapping mapping) {
    mappings_.push_back(mapping);
    newly_recorded_.push_back(std::move(mapping));
}

// An optical drive has its letter with or without a disc, bound to its device.
void DriveTable::AssignOpticalDrives() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/sys/block", ec)) {
        std::string name = e.path().filename().string();
        if (name.rfind("sr", 0) != 0) continue;
        std::string device = "/dev/" + name;
        bool bound = std::any_of(mappings_.begin(), mappings_.end(),
                                 [&](const DriveMapping& s) { return s.device == device; });
        char letter = FirstFreeLetter();
        if (bound || !letter) continue;
        DriveMapping mapping;
        mapping.letter = letter;
        mapping.device = device;
        const MountEntry* mount = MountOf(mapping);
        mapping.folder = mount ? mount->target : "/media/cdrom" + name.substr(2);
        Assign(std::move(mapping));
    }
}

void DriveTable::AssignAutomaticLetters() {
    AssignOpticalDrives();
    // A file system is known by its device and the part of it that is mounted:
    // btrfs subvolumes share the device.
    std::vector<std::pair<dev_t, std::string>> seen;
    for (const auto& mapping : mappings_) {
        const MountEntry* m = nullptr;
        if (mapping.BoundToFileSystem() || !mapping.device.empty())
            m = MountOf(mapping);
        else if (IsMountPoint(mapping.folder))
            m = MountHolding(mapping.folder);
        if (m) seen.emplace_back(m->devno, m->root);
    }
    for (const auto& m : mounts_) {
        if (m.target == "/" || !IsUserVisibleMount(m)) continue;
        if (IsOpticalDevice(m.source)) continue;  // has its letter already
        std::pair<dev_t, std::string> id{m.devno, m.root};
        if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
        struct stat target {};
        if (IsBlockDeviceSource(m.source) &&
            (::stat(m.target.c_str(), &target) != 0 || !S_ISDIR(target.st_mode)))
            continue;  // a file bind-mounted over another (/etc/hosts in a container)
        char letter = FirstFreeLetter();
        if (!letter) return;
        DriveMapping mapping;
        mapping.letter = letter;
        mapping.folder = m.target;
        if (!m.uuid.empty()) {
            mapping.uuid = m.uuid;
            mapping.root = m.root;
        } else if (m.network || IsFuseType(m.fstype)) {
            mapping.source = m.source;
        } else {
            mapping.mounted = true;
        }
        seen.push_back(id);
        Assign(std::move(mapping));
    }
}

DriveTable::Location DriveTable::Locate(const DriveMapping& mapping) const {
    Location where;
    where.folder = mapping.folder;
    if (mapping.BoundToFileSystem() || !mapping.device.empty()) {
        where.mount = MountOf(mapping);
        if (where.mount) where.folder = where.mount->target;
        where.medium = where.mount != nullptr;
    } else {
        bool must_be_mounted = mapping.mounted || NamedInFstab(mapping.folder);
        where.medium = !must_be_mounted || IsMountPoint(mapping.folder);
        where.mount = MountHolding(mapping.folder);
    }
    return where;
}

DriveInfo DriveTable::Info(char letter) const {
    DriveInfo info;
    info.letter = letter;
    const DriveMapping* mapping = FindMapping(letter);
    if (!mapping) return info;
    RefreshIfMountsChanged();
    Location where = Locate(*mapping);
    info.exists = true;
    info.label = mapping->label;
    info.folder = where.folder;
    info.medium = where.medium;
    if (where.mount) {
        info.source = where.mount->source;
        info.fstype = where.mount->fstype;
        info.slow = where.mount->network || IsFuseType(where.mount->fstype);
    }
    if (mapping->kind)
        info.kind = *mapping->kind;
    else if (!mapping->device.empty())
        info.kind = drive_kind::kOptical;
    else if (mapping->BoundToFileSystem() && !info.medium)
        info.kind = KindWhenAbsent(*mapping);
    else
        info.kind = where.mount ? where.mount->kind : 2;
    return info;
}

const std::vector<MountEntry>& DriveTable::Mounts() const {
    RefreshIfMountsChanged();
    return mounts_;
}

std::vector<char> DriveTable::Letters() const {
    std::vector<char> out;
    for (const auto& s : mappings_) out.push_back(s.letter);
    return out;
}

std::optional<std::string> DriveTable::ToNative(std::string_view path) const {
    if (path.size() < 2 || path[1] != ':' || !NormaliseLetter(path[0])) return std::string(path);
    // A path that would name something else than its text, or lead out of
    // the folder it names, stands for nothing.
    if (!IsSafeLetterPath(path)) return std::nullopt;
    const DriveMapping* mapping = FindMapping(NormaliseLetter(path[0]));
    if (!mapping) return std::nullopt;
    RefreshIfMountsChanged(true);
    Location info = Locate(*mapping);
    if (!info.medium) return std::nullopt;
    std::string rest(path.substr(2));
    std::replace(rest.begin(), rest.end(), '\\', '/');
    if (NeedsNormalising(rest))
        rest = std::filesystem::path("/" + rest).lexically_normal().relative_path().string();
    else if (!rest.empty() && rest.front() == '/')
        rest.erase(0, 1);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    if (rest.empty()) return info.folder;
    return info.folder == "/" ? "/" + rest : info.folder + "/" + rest;
}

std::string DriveTable::ToLetterPath(const std::string& native) const {
    const DriveMapping* best = nullptr;
    std::string best_folder;
    RefreshIfMountsChanged();
    for (const auto& mapping : mappings_) {
        Location info = Locate(mapping);
        if (!info.medium || !IsUnder(native, info.folder)) continue;
        if (!best || info.folder.size() > best_folder.size()) {
            best = &mapping;
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
