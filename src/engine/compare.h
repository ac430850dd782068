#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "engine/walk.h"
#include "fs/copy_file.h"
#include "log/log_file.h"
#include "state/app_state.h"
#include "state/pump_gate.h"

namespace vaultor {

// The date text two files are compared by: "yyyy:mm:dd hh:nn:ss", or to the
// minute on a CD target; "0000:00:00 00:00:00" for no file or no date.
std::string FileDate(const AppState& state, const std::string& path);

// Whether a copy's last-write time is its source's: the same two-second step
// (minute, when `minutes_only`), after what the target does with dates outside
// 1980..2107; with IgnoreTimeShift a shift of exactly one hour is no change.
// The check, the test and the check after a copy all ask this.
bool SameDate(const AppState& state, std::time_t source, std::time_t target, bool minutes_only);

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
CopyCheck VerifySizeAndDate(const AppState& state, const std::string& source,
                            const std::string& target);
// The same from what a complete copy saw of both sides, without a look of its own.
CopyCheck VerifyCopied(const AppState& state, const std::string& source, const std::string& target,
                       const fs::CopyOutcome& copy);
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
CopyCheck VerifyFacts(const AppState& state, const std::string& source, const std::string& target,
                      const UpToDateFacts& facts);

// Compares one source folder with its copy under the target's drive folder:
// missing and changed files go to CopyList, missing empty folders to
// EmptyFolderList, folder compression to CompressList, with the counters,
// lamps, progress and (unless QuietCompare) log lines.
class Comparer {
  public:
    Comparer(AppState& state, LogFile* log) : state_(state), log_(log) {}
    // The entries of the folder when the walk has read them already.
    void CompareCalcSize(const std::string& folder,
                         const std::vector<ListedEntry>* entries = nullptr);

  private:
    void Log(const std::string& line);
    std::int64_t MaxFileSize();
    AppState& state_;
    LogFile* log_;
    PumpGate pump_;
    std::optional<std::int64_t> max_file_size_;  // of the target, asked once
};

// "E:\Vaultor_Drive C\" for the source folder "C:\Data" and target "E:\".
std::string DriveFolderOf(const AppState& state, const std::string& folder);

}  // namespace vaultor
