#pragma once

#include <sys/statfs.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fs/unique_fd.h"

namespace vaultor::fs {

enum class CopyFailure {
    None,
    SourceMissing,   // the source is gone or cannot be read
    NotRegularFile,  // a folder, FIFO, socket or device: nothing to copy
    NoRoom,          // the target is full (or out of quota)
    IoError,         // the medium failed
    Refused,         // the target refused: no rights, read-only, no such folder
    SourceChanged,   // written to while it was copied: the copy would be neither
    Cancelled,       // stopped by the caller before it was complete
    NotAnswering,    // the target gave no answer for too long: walked away from
};

struct CopyOutcome {
    CopyFailure failure = CopyFailure::None;
    int error_number = 0;  // errno of the failing call
    // What the copy found on its way, so the caller need not look again:
    // whether a file stood at the target before (false when it got no
    // further than the source), and the source's size.
    bool target_existed = false;
    std::int64_t source_size = 0;
    // After a complete copy: the source's date as copied, and what the final
    // name holds (a look after the rename, on the copy's own thread, so the
    // check after a copy never waits on a target that stopped answering).
    std::int64_t source_mtime = 0;
    bool target_seen = false;  // the final name is a regular file
    bool kept_old = false;     // the copy replaced was moved to keep_old_as
    std::int64_t target_size = 0, target_mtime = 0;
    std::optional<bool> target_compressed;  // asked for when compression was wanted
    bool Ok() const { return failure == CopyFailure::None; }
};

// A target folder opened once for the copies into it, with its file system.
struct TargetFolder {
    std::string native;
    UniqueFd fd;
    bool known_fs = false;
    struct statfs fs {};
    // nullptr when it cannot be opened.
    static std::shared_ptr<const TargetFolder> Open(const std::string& native);
};

struct CopyRequest {
    // Compression wanted on the target (nullopt: what the folder gives).
    std::optional<bool> compressed;
    // Called every 20-50 ms by the pump's clock during a long copy.
    std::function<void(std::int64_t done, std::int64_t total)> progress;
    // Set by another thread to stop the copy at its next piece.
    const std::atomic<bool>* cancel = nullptr;
    // The check found no copy: the final name is not looked up first, the
    // rename refuses to replace, and only a name that appeared meanwhile
    // costs the look (and the flush a replacement needs).
    bool expect_new = false;
    // The target's folder, opened already: copies into one folder share it.
    std::shared_ptr<const TargetFolder> folder;
    // A native path on the same file system: a copy this one replaces is
    // moved there (its folders made) just before the new one takes its name,
    // so a cut between the two leaves it there or at its place, never gone.
    std::string keep_old_as;
    // The caller flushes the target at checkpoints, in a way that reaches a
    // FUSE daemon's medium, and keeps a journal of the copies in between:
    // there a new copy needs no sync of its own (a replacement still has one).
    bool flushed_at_checkpoints = false;
};

// Copies source to target so that the target path holds either its old content
// or the complete new copy, never a part: the data goes to a temporary file in
// the target folder, which gets the source's permission bits, the wanted
// compression and the modification time, and is then renamed over the target.
// On failure the temporary file is removed and an old target stays as it was.
CopyOutcome CopyOneFile(std::string_view source, std::string_view target,
                        const CopyRequest& request = {});

// CopyOneFile on native paths taken beforehand (nullopt: that side has
// none), for a thread that must not touch the drive table.
CopyOutcome CopyOneFileNative(const std::optional<std::string>& source_native,
                              const std::optional<std::string>& target_native,
                              const CopyRequest& request = {});

// CopyOneFile on a thread of its own, so a target that stops answering (a
// FUSE daemon gone, a network share gone) never blocks the caller: `watch` is
// called every 50 ms with the bytes done and the milliseconds since the last
// progress, and answers false to walk away (the copy is asked to stop; one
// that hangs inside a write is left behind, and since it renames only a
// complete copy nothing is lost). `request.progress` and `cancel` are its own.
CopyOutcome CopyOneFileWatched(
    std::string_view source, std::string_view target, CopyRequest request,
    const std::function<bool(std::int64_t done, std::int64_t total, std::int64_t idle_ms)>& watch);

// Moves a file or folder to `to` on the same file system, making the folders
// above it, never over something standing there; 0 or an errno.
int MoveAside(const std::string& from, const std::string& to);

// ".vaultor-XXXXXXXXXXXX.tmp": the temporary names of CopyOneFile.
bool IsCopyTempName(std::string_view name);

}  // namespace vaultor::fs
