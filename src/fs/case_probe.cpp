#include "fs/case_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fs/drive_table.h"
#include "fs/time_limit.h"
#include "fs/unique_fd.h"

namespace vaultor::fs {

bool FoldsCase(const std::string& native_folder) {
    std::string folder = native_folder;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string lower = ".vaultor-case-" + std::to_string(::getpid()) + "-abc.tmp";
    std::string upper = lower;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    UniqueFd fd(::open((folder + lower).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd) return false;
    struct stat st {};
    bool folds = ::stat((folder + upper).c_str(), &st) == 0;
    fd.Reset();
    ::unlink((folder + lower).c_str());
    return folds;
}

bool DriveFoldsCase(char letter) {
    if (letter < 'A' || letter > 'Z') return false;
    DriveInfo info = Drives().Info(letter);
    if (!info.exists || !info.medium || info.kind == drive_kind::kOptical) return false;
    auto probe = [folder = info.folder] { return FoldsCase(folder); };
    if (!info.slow) return probe();
    return AskWithTimeLimit<bool>(info.folder, kSlowDriveLimit, probe).value_or(false);
}

std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

}  // namespace vaultor::fs
