#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/run_observer.h"
#include "fs/copy_file.h"
#include "state/app_state.h"

namespace vaultor {

// Copies one file for a run: through the safe copy of one file, so an old
// copy stays whole when the new one cannot be made, with the compression the
// options ask for set before any data. It tells the observer when it begins
// and how far it is.
class CopyStep {
  public:
    CopyStep(AppState& state, RunObserver& observer) : state_(state), observer_(observer) {}
    // `expect_new`: the check found no copy there.
    // `folder`: the target's folder, opened already.
    // `keep_old_as`: where a copy this one replaces is kept (native; empty: it goes).
    bool KopieerBestand(const std::string& source, const std::string& target,
                        bool expect_new = false,
                        std::shared_ptr<const fs::TargetFolder> folder = nullptr,
                        std::string keep_old_as = {});
    // Why the last copy failed, for the run's remark.
    const fs::CopyOutcome& LastOutcome() const { return last_; }

    // For other work on a drive that may stop answering (fs::RunWatched):
    // false once Stop has waited a few seconds or the work took a minute.
    std::function<bool(std::int64_t)> WatchWork();
    // OnSlowDrive, asked once per drive for the run: it is asked for every file.
    bool SlowDrive(const std::string& letter_path);
    // The target drive can hold compressed files; asked once per drive.
    bool Compresses(char letter);
    // New copies are left to the run's checkpoints to flush (CopyRequest).
    void FlushNewCopiesAtCheckpoints(bool on) { flushed_at_checkpoints_ = on; }

  private:
    static constexpr std::int64_t kStopWaitMs = 3000;
    static constexpr std::int64_t kSilentTargetMs = 60000;
    std::function<bool(std::int64_t, std::int64_t, std::int64_t)> Watch();
    AppState& state_;
    RunObserver& observer_;
    fs::CopyOutcome last_;
    std::map<char, bool> slow_, compresses_;
    bool flushed_at_checkpoints_ = false;
};

// The FUSE daemons of an exFAT or NTFS block device (exfat-fuse, ntfs-3g,
// mounted as "fuseblk") sync that device whenever a folder of it is synced,
// so a checkpoint's one sync of the target's root puts every copy written
// before it on the medium. Other FUSE daemons (a daemon that does not answer
// a folder's sync is taken by the kernel to have done it) and network shares
// may not: there each copy is synced.
bool FolderSyncFlushesMedium(const std::string& target_root);
// A sync of the target's root folder (native), for such a drive.
int SyncFolder(const std::optional<std::string>& native_folder);

// Makes the missing folder levels of "E:\A\B" (or "E:\A\B\") from the top
// down; false at the first level that cannot be made.
bool IncForceDirectories(const std::string& path);
// The same on native paths, which a thread of its own may use: "E:\A\B" as
// the native paths of its levels (none when one has none), then each missing
// one made; 0 or the errno of the first that could not be.
std::vector<std::string> NativeLevels(const std::string& folder);
int MakeNativeLevels(const std::vector<std::string>& levels);
bool IsNativeFolder(const std::string& native);
// syncfs on the file system holding a native folder: 0 or an errno.
int SyncFileSystemOf(const std::optional<std::string>& native_root);
// Applies a plan's folder compression ("+" compress, "-" uncompress) when an
// option asks for it.
void SetAllFoldersCompressionstate(const AppState& state, const std::vector<std::string>& compress);
// The same as work on native paths, which may run on a thread of its own;
// empty when there is nothing to do.
std::function<void()> FoldersCompressionWork(const AppState& state,
                                             const std::vector<std::string>& compress);

// Removes temporary files a killed copy left in a target folder, but never one
// whose name the source folder holds as an entry of its own.
void RemoveLeftoverTemps(const std::string& target_folder, const std::string& source_folder);
// The same on native paths (no source folder: nothing is kept for its sake).
void RemoveLeftoverTempsNative(const std::string& target_folder,
                               const std::optional<std::string>& source_folder);

// The compression a copy should have on the target (nullopt: what its
// folder gives), as the options ask.
std::optional<bool> WantedCompression(const AppState& state, const std::string& source,
                                      bool target_compresses);

// A network or FUSE drive, which may stop answering in the middle of work.
bool OnSlowDrive(const std::string& letter_path);

}  // namespace vaultor
