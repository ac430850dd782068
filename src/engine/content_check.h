#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/content_reader.h"
#include "engine/run_observer.h"
#include "log/log_file.h"
#include "state/app_state.h"
#include "target/sums_manifest.h"

namespace vaultor {

// What the content check found.
struct ContentCheckResult {
    std::int64_t differences = 0;  // its log lines: content that differs or could not be read
    bool target_not_answering = false;
};

// The content check of "Test - Verifieer": every file the size and date test
// found up to date is read on both sides and compared byte for byte, so what
// size and date cannot tell is found (bit rot, a copy whose data a pulled
// stick lost). Where the list keeps checksums (Sums=1), only the copy is read
// and its sum compared with its line in the manifest; the source is read only
// when they disagree, to tell bit rot on the target from a source that changed
// in place (or a line of a copy made while Sums was off). A copy the manifest
// does not know is compared with its source.
class ContentCheck {
  public:
    ContentCheck(AppState& state, LogFile& log, bool use_sums)
        : state_(state), log_(log), use_sums_(use_sums) {}
    // A file found up to date by size and date, in letter form.
    void Add(const std::string& source, std::int64_t size);
    std::int64_t Bytes() const { return total_; }
    // Reads every file added, with a log line for each whose content differs;
    // its progress is told in bytes. Stop ends it between two chunks.
    ContentCheckResult Run(RunObserver& observer);

  private:
    struct File {
        std::string source;
        std::int64_t size = 0;
    };
    enum class Next { Go, End };
    Next CheckOne(const File& file, ContentReader& reader);
    Next CompareBoth(const std::string& source, const std::string& target, ContentReader& reader);
    Next CompareWithSum(const std::string& source, const std::string& target,
                        const fs::Sum128& kept, ContentReader& reader);
    Next Unread(const std::string& path, int error);
    Next NotAnswering(const std::string& source, const std::string& target, ContentReader& reader);
    const SumsManifest& ManifestOf(char letter, ContentReader& reader);
    void Differs(const std::string& line);

    AppState& state_;
    LogFile& log_;
    const bool use_sums_;
    std::vector<File> files_;
    std::int64_t total_ = 0, base_ = 0;
    std::map<char, SumsManifest> manifests_;
    ContentCheckResult result_;
};

}  // namespace vaultor
