#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/copy_plan.h"
#include "engine/run_observer.h"
#include "log/log_file.h"
#include "state/app_state.h"
#include "state/pump_gate.h"

namespace vaultor {

enum WalkMode { wmLog = 0, wmTotal = 1, wmCompare = 3 };

// A folder entry that is not a folder, as the walk found it: a link to a file
// carries the file's status, a dangling link a mode of 0.
struct ListedEntry {
    std::string name;
    struct stat st;
    bool link = false;
};

// A folder as a walk reads it.
struct WalkListing {
    bool readable = false;
    bool complete = true;  // every entry could be looked at
    std::int64_t file_bytes = 0;
    bool has_files = false;
    std::vector<std::string> folders;  // those the walk may enter
    std::vector<ListedEntry> entries;  // what is not a folder, kept for a comparison
};

// What a walk never enters: pseudo file systems, and the target's root and
// its drive folders (the first is the root).
struct WalkFence {
    std::vector<dev_t> pseudo_devices;
    std::vector<std::pair<dev_t, ino_t>> fenced;
    bool MayEnter(const struct stat& st) const;
};

// Reads a folder (native path) once: its subfolders that may be entered, the
// bytes of its files, and with `keep_entries` every entry that is not a folder.
WalkListing ListForWalk(const std::string& native, const WalkFence& fence, bool follow,
                        bool keep_entries);
// The subfolders of a listing a walk goes into, in order: not one whose name a
// letter path cannot hold, nor (comparing, on a target that folds case) a
// case twin.
std::vector<std::string> FoldersToEnter(const WalkListing& listing, WalkMode mode,
                                        bool target_folds_case);

class ListingPrefetch;

// The walk over one list folder and everything below it, each folder before
// the folders inside it, in the order the file system lists them.
//
// It never follows a symbolic link to a folder, never enters a pseudo file
// system and never enters the target drive's root or its "Vaultor_Drive"
// folders, so a list of C:\ with the target mounted below it never counts its
// own copy. It reads folder entries only; no file is opened. Between folders
// it lets the window work and stops when Stop was pressed.
class Walker {
  public:
    // The comparison of one folder, given what the walk read of it.
    using CompareFolder =
        std::function<void(const std::string& letter_path, const WalkListing& listing)>;

    // A comparing walk records what it passes over in `plan`, and logs it
    // when it has a log.
    Walker(AppState& state, LogFile* log, RunObserver& observer, CopyPlan* plan = nullptr,
           CompareFolder compare = {});
    ~Walker();

    // Walks a list folder ("C:" for a drive root) in the given mode.
    void FillDirTree(const std::string& root, WalkMode mode);
    // The sizes of the files directly in a folder, added to TotalBytes.
    std::int64_t CountSize(const std::string& letter_path);
    // True when the folder holds no files (subfolders do not count).
    bool IsDirEmpty(const std::string& letter_path);
    // The names of the subfolders of a folder, in listing order.
    std::vector<std::string> GetOneLower(const std::string& letter_path);

  private:
    using Listing = WalkListing;
    Listing List(const std::string& native, bool follow = false, bool keep_entries = false);
    bool InsideADriveFolder(const std::string& native) const;
    ListingPrefetch& Prefetch(WalkMode mode);
    void GetLower(const std::string& letter, const std::string& native, const Listing& here,
                  WalkMode mode);
    void Act(const std::string& letter, const Listing& listing, WalkMode mode, bool root);
    void FindFencedFolders();

    void PassOver(PassedOverEntry::Why why, const std::string& letter_path);

    AppState& state_;
    LogFile* log_;
    RunObserver& observer_;
    CopyPlan* plan_;
    CompareFolder compare_;
    WalkFence fence_;
    std::unique_ptr<ListingPrefetch> prefetch_;
    PumpGate pump_;
};

// The size of every file below each list folder added to TotalBytes, one
// folder after the other; `after_each` runs after each. Stop ends it.
void WalkTotals(AppState& state, const std::vector<std::string>& roots, RunObserver& observer,
                const std::function<void()>& after_each);

// "C:\" becomes "C:", so every path below it is built as folder + "\" + name.
std::string WalkRootOf(const std::string& list_line);
// The walk roots of the list's lines, each folder once: a line repeated or
// lying below another line (a hand edit, an old copy) adds nothing, so no
// file is counted, compared or copied twice.
std::vector<std::string> WalkRootsOf(const std::vector<std::string>& list_lines);
// On a target that folds case, of names that differ only in case the first in
// byte order is backed up (the same one every run); the others are returned
// here. Empty when the target keeps case.
std::vector<std::string> CaseTwinsLeftOut(bool target_folds_case,
                                          const std::vector<std::string>& names);

// Reads the entries of a folder that are not folders; empty when it cannot be read.
std::vector<ListedEntry> ListFiles(const std::string& native);

// A name the program's letter paths and line files can hold: no backslash, CR or LF.
bool WritableName(const char* name);
// Records an entry that is not backed up; a name that cannot be written and a
// dangling link are logged too (when there is a log), a FIFO or socket is
// not: it holds no data, so it is no difference.
void PassOver(CopyPlan& plan, LogFile* log, PassedOverEntry::Why why,
              const std::string& letter_path);
// The line that reports a passed-over entry, its control characters shown as "?".
std::string PassedOverLine(const PassedOverEntry& entry);

}  // namespace vaultor
