#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "fs/content_read.h"
#include "fs/time_limit.h"
#include "state/app_state.h"

namespace vaultor {

// Reads whole files for the content check and for a run's checksums: on the
// calling thread, or, when a file lies on a drive that may stop answering
// (network, FUSE), on a thread of its own under watch, as a copy to such a
// drive runs. Stop ends a read between two chunks (a watched one within a few
// seconds, whatever its drive does); a watched read that has not moved for a
// minute is walked away from, and the answer is then nullopt.
class ContentReader {
  public:
    // `progress` hears the bytes of the file in hand so far, at most every
    // 20 ms, and the window's messages are processed as often.
    ContentReader(AppState& state, std::function<void(std::int64_t done)> progress)
        : state_(state), progress_(std::move(progress)) {}

    // Letter paths; the target is read from its medium.
    std::optional<fs::ContentOutcome> Compare(const std::string& source, const std::string& target);
    std::optional<fs::SumOutcome> Sum(const std::string& path, bool from_medium);
    // Other work on the drive of `letter_path` (native paths only inside),
    // watched the same way when that drive may stop answering.
    template <typename T>
    std::optional<T> OnDrive(const std::string& letter_path, std::function<T()> work) {
        if (!Slow(letter_path)) return work();
        return WatchedWork<T>(std::move(work));
    }
    // A drive that may stop answering.
    bool Slow(const std::string& letter_path);

  private:
    template <typename T>
    std::optional<T> Read(const std::string& letter_path,
                          std::function<T(const fs::ChunkRead&)> read);
    template <typename T>
    std::optional<T> WatchedWork(std::function<T()> work);
    bool Watch(std::int64_t done, std::int64_t moved_ms, std::int64_t& stop_seen_ms);
    void Tell(std::int64_t done);

    static constexpr std::int64_t kStopWaitMs = 3000;
    static constexpr std::int64_t kSilentMs = 60000;
    AppState& state_;
    std::function<void(std::int64_t)> progress_;
    std::int64_t told_ms_ = -1;
    std::map<char, bool> slow_;
};

std::int64_t SteadyClockMs();

template <typename T>
std::optional<T> ContentReader::WatchedWork(std::function<T()> work) {
    const std::int64_t began = SteadyClockMs();
    std::int64_t stop_seen_ms = -1;
    return fs::AskWatched<T>(std::move(work),
                             [&](std::int64_t) { return Watch(0, began, stop_seen_ms); });
}

}  // namespace vaultor
