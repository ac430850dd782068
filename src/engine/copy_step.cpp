#include "engine/copy_step.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "fs/compression.h"
#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fs/file_info.h"
#include "fs/mounts.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "fs/unique_fd.h"

namespace vaultor {

std::optional<bool> WantedCompression(const AppState& state, const std::string& source,
                                      bool target_compresses) {
    if (!target_compresses) return std::nullopt;
    if (state.Ini.AlwaysCompress) return true;
    if (!state.Ini.MirrorCompression) return std::nullopt;
    std::uint16_t source_state = 0;
    if (!fs::GetCompressionState(source, source_state)) return false;  // no such state: plain
    return source_state == fs::kCompressionLznt1;
}

bool OnSlowDrive(const std::string& letter_path) {
    char letter =
        letter_path.size() >= 2 && letter_path[1] == ':' ? fs::NormaliseLetter(letter_path[0]) : 0;
    return letter && fs::Drives().Info(letter).slow;
}

bool CopyStep::Compresses(char letter) {
    auto known = compresses_.find(letter);
    if (known != compresses_.end()) return known->second;
    return compresses_[letter] = fs::SupportsCompression(letter);
}

bool CopyStep::SlowDrive(const std::string& letter_path) {
    char letter =
        letter_path.size() >= 2 && letter_path[1] == ':' ? fs::NormaliseLetter(letter_path[0]) : 0;
    auto known = slow_.find(letter);
    if (known != slow_.end()) return known->second;
    return slow_[letter] = OnSlowDrive(letter_path);
}

std::function<bool(std::int64_t)> CopyStep::WatchWork() {
    auto stop_seen_ms = std::make_shared<std::int64_t>(-1);
    return [this, stop_seen_ms](std::int64_t elapsed_ms) {
        state_.Ui.ProcessMessages();
        std::int64_t now = fs::PumpClockMs();
        if (state_.AbortRequested && *stop_seen_ms < 0) *stop_seen_ms = now;
        if (*stop_seen_ms >= 0 && now - *stop_seen_ms > kStopWaitMs) return false;
        return elapsed_ms < kSilentTargetMs;
    };
}

// While a copy to a drive that may hang runs on its own thread: the window
// and Stop stay alive. Stop walks away after a few seconds, a target silent
// for a minute counts as gone.
std::function<bool(std::int64_t, std::int64_t, std::int64_t)> CopyStep::Watch() {
    auto stop_seen_ms = std::make_shared<std::int64_t>(-1);
    return [this, stop_seen_ms](std::int64_t, std::int64_t total, std::int64_t idle_ms) {
        observer_.FileBytes(total);
        state_.Ui.ProcessMessages();
        std::int64_t now = fs::PumpClockMs();
        if (state_.AbortRequested && *stop_seen_ms < 0) *stop_seen_ms = now;
        if (*stop_seen_ms >= 0 && now - *stop_seen_ms > kStopWaitMs) return false;
        return idle_ms < kSilentTargetMs;
    };
}

bool CopyStep::KopieerBestand(const std::string& source, const std::string& target, bool expect_new,
                              std::shared_ptr<const fs::TargetFolder> folder,
                              std::string keep_old_as) {
    observer_.FileStarted(target);
    fs::CopyRequest request;
    request.compressed =
        WantedCompression(state_, source, !target.empty() && Compresses(target[0]));
    request.expect_new = expect_new;
    request.folder = std::move(folder);
    request.keep_old_as = std::move(keep_old_as);
    request.flushed_at_checkpoints = flushed_at_checkpoints_;
    if (SlowDrive(source) || SlowDrive(target)) {
        last_ = fs::CopyOneFileWatched(source, target, request, Watch());
    } else {
        request.progress = [this](std::int64_t, std::int64_t total) {
            observer_.FileBytes(total);
            state_.Ui.ProcessMessages();
        };
        last_ = fs::CopyOneFile(source, target, request);
    }
    return last_.Ok();
}

bool IsNativeFolder(const std::string& native) {
    struct stat st {};
    return ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> NativeLevels(const std::string& folder) {
    std::vector<std::string> levels;
    const std::string p = folder.empty() || folder.back() != '\\' ? folder + '\\' : folder;
    for (size_t i = 3; i < p.size(); ++i) {
        if (p[i] != '\\') continue;
        auto native = fs::Drives().ToNative(p.substr(0, i));
        if (!native) return {};
        levels.push_back(std::move(*native));
    }
    return levels;
}

int MakeNativeLevels(const std::vector<std::string>& levels) {
    if (levels.empty()) return ENOENT;
    for (const auto& level : levels)
        if (!IsNativeFolder(level) && ::mkdir(level.c_str(), 0777) != 0) return errno;
    return 0;
}

bool IncForceDirectories(const std::string& path) {
    return MakeNativeLevels(NativeLevels(path)) == 0;
}

bool FolderSyncFlushesMedium(const std::string& target_root) {
    const char letter = target_root.empty() ? 0 : fs::NormaliseLetter(target_root[0]);
    if (!letter) return false;
    const fs::DriveInfo info = fs::Drives().Info(letter);
    if (info.fstype != "fuseblk") return false;
    // Only the daemons whose folder sync was seen to sync their device.
    const std::string format = fs::BlockDeviceFormat(info.source);
    return format == "exfat" || format == "ntfs";
}

int SyncFolder(const std::optional<std::string>& native_folder) {
    if (!native_folder) return ENODEV;
    fs::UniqueFd fd(::open(native_folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return errno;
    return ::fsync(fd.Get()) != 0 ? errno : 0;
}

int SyncFileSystemOf(const std::optional<std::string>& native_root) {
    if (!native_root) return ENODEV;
    fs::UniqueFd fd(::open(native_root->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return errno;
    return ::syncfs(fd.Get()) != 0 ? errno : 0;
}

std::function<void()> FoldersCompressionWork(const AppState& state,
                                             const std::vector<std::string>& compress) {
    if (!state.Ini.MirrorCompression && !state.Ini.AlwaysCompress) return {};
    std::vector<std::pair<std::string, bool>> folders;
    for (const auto& line : compress) {
        if (line.size() < 2 || (line[0] != '+' && line[0] != '-')) continue;
        if (!fs::SupportsCompression(line[1])) continue;
        if (auto native = fs::Drives().ToNative(line.substr(1)))
            folders.emplace_back(std::move(*native), line[0] == '+');
    }
    if (folders.empty()) return {};
    return [folders = std::move(folders)] {
        for (const auto& [native, compressed] : folders)
            fs::SetCompressedNative(native, compressed);
    };
}

void SetAllFoldersCompressionstate(const AppState& state,
                                   const std::vector<std::string>& compress) {
    if (auto work = FoldersCompressionWork(state, compress)) work();
}

void RemoveLeftoverTemps(const std::string& target_folder, const std::string& source_folder) {
    auto target = fs::Drives().ToNative(target_folder);
    if (target) RemoveLeftoverTempsNative(*target, fs::Drives().ToNative(source_folder));
}

void RemoveLeftoverTempsNative(const std::string& target,
                               const std::optional<std::string>& source) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(target.c_str()), ::closedir);
    if (!dir) return;
    while (const dirent* e = ::readdir(dir.get())) {
        if (!fs::IsCopyTempName(e->d_name)) continue;
        // The source may hold a file of that very name: then it is a copy.
        struct stat st {};
        if (source && ::lstat((*source + "/" + e->d_name).c_str(), &st) == 0) continue;
        struct stat own {};
        if (::fstatat(::dirfd(dir.get()), e->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(own.st_mode))
            ::unlinkat(::dirfd(dir.get()), e->d_name, 0);
    }
}

}  // namespace vaultor
