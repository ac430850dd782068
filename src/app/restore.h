#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vaultor {

// A run folder's stamp, "yyyy-mm-dd hhmmss": the start of its name.
inline constexpr size_t kVersionStampLength = 17;

// What becomes of a file at the destination that differs from the copy.
enum class Conflict {
    KeepBoth,  // the copy goes beside it, as "name (hersteld yyyy-mm-dd).ext"
    Replace,
    Skip,  // left as it is, the copy not restored
};

struct RestoreRequest {
    std::string target_root;  // "E:\"
    std::string path;         // the source path in letter form, a file or a folder
    // The run folders that count for `version`: one list's, or any list's when empty.
    std::string list;
    // A run folder's stamp ("2026-12-07 193000"): the state that run replaced.
    // Empty: the current copy.
    std::string version;
    // The folder the file or folder is restored into under its own name
    // (letter form or native). Empty: its original place, `path` itself.
    std::string to;
    // For a differing file: replace it instead of keeping both.
    bool overwrite = false;
    // When set, asked for every differing file instead of `overwrite`.
    std::function<Conflict(const std::string& destination)> on_conflict;
    std::time_t today = std::time(nullptr);  // the date in a kept-both name
    // Told of every file before it is restored, so a window can show where
    // a long restore is and stay alive.
    std::function<void(const std::string& destination)> each_file;
    // Asked before every file: true ends the restore there (Stop, Ctrl-C).
    // The file in hand is finished first, so none is left half written.
    std::function<bool()> stop_requested;
};

struct RestoreResult {
    int restored = 0;   // written under their own names: new, or replacing
    int kept_both = 0;  // written beside a differing file under a new name
    int identical = 0;  // the same size and date stood there already: left alone
    int skipped = 0;    // differing files the user chose to leave
    int failed = 0;
    bool stopped = false;                 // ended by a stop before everything was looked at
    std::vector<std::string> kept_names;  // where the kept-both copies went
    std::vector<std::string> failures;    // a line for each failure, saying why
    // Everything asked for is at the destination (restored, kept beside, or identical).
    bool Complete() const { return failed == 0 && skipped == 0 && !stopped; }
};

// Copies a file or a folder (with everything below it) from its copy on the
// target back. Reads the target only: a destination on it is refused.
RestoreResult Restore(const RestoreRequest& request);

// One line with the counts (and a second when it was stopped), for a
// message or a terminal.
std::string RestoreSummary(const RestoreResult& result);

// "S:\Data\a.txt" from "s:/Data/a.txt/" or "S:Data\a.txt"; nullopt for
// anything that is no safe path in letter form.
std::optional<std::string> SourcePathOf(const std::string& text);

// Whether `text` is a run folder's stamp: "yyyy-mm-dd hhmmss".
bool IsVersionStamp(const std::string& text);

// The name a restored copy takes beside a differing file: "a (hersteld
// 2026-12-07).txt", the n-th free one "a (hersteld 2026-12-07 n).txt".
std::string KeptBothName(const std::string& name, std::time_t today, int n = 1);

// One version of a file on the target.
struct FileVersion {
    std::string stamp;  // the run folder's stamp; empty for the current copy
    std::string list;   // the list whose run made it; empty for the current copy
    std::string path;   // where it lies on the target, letter form
    std::int64_t size = 0;
    std::time_t modified = 0;
};

// The run folders of `list` (of any list when empty) that hold `path` as a
// file, oldest first, then the current copy when there is one.
std::vector<FileVersion> VersionsOf(const std::string& target_root, const std::string& list,
                                    const std::string& path);

}  // namespace vaultor
