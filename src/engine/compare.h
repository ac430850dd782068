#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "engine/copy_plan.h"
#include "engine/run_observer.h"
#include "engine/walk.h"
#include "fs/copy_file.h"
#include "log/log_file.h"
#include "state/app_state.h"
#include "state/pump_gate.h"
#include "target/link_guard.h"

namespace vaultor {

// Whether a copy's last-write time is its source's: the same two-second step
// (minute, when `minutes_only`), after what the target does with dates outside
// 1980..2107; with IgnoreTimeShift a shift of exactly one hour is no change.
// The check, the test and the check after a copy all ask this.
bool SameDate(const AppState& state, const TargetFacts& facts, std::time_t source,
              std::time_t target, bool minutes_only);

// What the check after a copy (and the test of one file) found.
enum class CopyCheck {
    UpToDate,
    DateDiffers,
    SizeDiffers,
    DateAndSizeDiffer,
    NoCopy,
    CompressionDiffers,  // from the source's, with the mirrored compression
    NotCompressed,       // with compression always on
};
CopyCheck VerifySizeAndDate(const AppState& state, const TargetFacts& facts,
                            const std::string& source, const std::string& target);
// The same from what a complete copy saw of both sides, without a look of its own.
CopyCheck VerifyCopied(const AppState& state, const TargetFacts& facts, const std::string& source,
                       const std::string& target, const fs::CopyOutcome& copy);
// The one rule of "is this copy up to date", for the check, the test and
// the check after a copy: size, date (two-second steps, minutes on a CD,
// the hour shift when asked), compression as the options ask. What is not
// given is looked up: the copy's compression, the target's support for it.
struct UpToDateFacts {
    bool source_seen = true;
    std::int64_t source_size = 0, target_size = 0;
    std::time_t source_mtime = 0, target_mtime = 0;
    bool minutes_only = false;                 // a CD keeps minutes
    std::optional<bool> target_compressed;     // as the copy saw it
    std::optional<bool> compression_possible;  // on the target, as the caller knows
};
CopyCheck VerifyFacts(const AppState& state, const TargetFacts& target_facts,
                      const std::string& source, const std::string& target,
                      const UpToDateFacts& facts);

// Compares source folders with their copies under the target's drive
// folder, into a plan: the counts and room always, the files to copy when
// `collect` (Start's check), a log line for each difference when there is a
// log (the test). `percent_base` is what the progress counts against.
class Comparer {
  public:
    Comparer(AppState& state, CopyPlan& plan, LogFile* log, RunObserver& observer, bool collect,
             std::int64_t percent_base = 0)
        : state_(state),
          plan_(plan),
          log_(log),
          observer_(observer),
          collect_(collect),
          percent_base_(percent_base) {}
    // The entries of the folder when the walk has read them already, and its
    // subfolders (what left the source is looked for only then).
    void CompareCalcSize(const std::string& folder,
                         const std::vector<ListedEntry>* entries = nullptr,
                         const std::vector<std::string>* folders = nullptr);
    std::int64_t BytesCompared() const { return compared_; }
    // Hears each file found up to date by size and date (the content check reads them after).
    using UpToDate = std::function<void(const std::string& source, std::int64_t size)>;
    void OnUpToDate(UpToDate hear) { up_to_date_ = std::move(hear); }

  private:
    void Log(const std::string& line);
    std::int64_t MaxFileSize();
    void Compression(const std::string& source_folder, const std::string& drive_folder,
                     const std::string& target_folder);
    bool BehindLink(const std::optional<std::string>& target_folder_native);
    AppState& state_;
    CopyPlan& plan_;
    LogFile* log_;
    RunObserver& observer_;
    const bool collect_;
    const std::int64_t percent_base_;
    std::int64_t compared_ = 0;
    PumpGate pump_;
    std::optional<std::int64_t> max_file_size_;  // of the target, asked once
    UpToDate up_to_date_;
    std::optional<TargetLinkGuard> links_;  // made at the first folder
};

// Every list folder compared with its copy, as a comparing walk: a folder that
// is not there is passed over and said. Stop ends it between folders.
void CompareListFolders(AppState& state, const std::vector<std::string>& roots, Comparer& comparer,
                        CopyPlan& plan, LogFile* log, RunObserver& observer);
// What a check learns of the target once, before its first comparison.
TargetFacts ProbeTarget(const AppState& state);

// "E:\Vaultor_Drive C\" for the source folder "C:\Data" and target "E:\".
std::string DriveFolderOf(const AppState& state, const std::string& folder);

}  // namespace vaultor
