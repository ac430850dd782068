#include "engine/content_reader.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>

#include "engine/copy_step.h"
#include "fs/drive_mapping.h"
#include "fs/drive_table.h"

namespace vaultor {
namespace {

// What a watched read and its watcher share; it outlives a watcher that
// walked away.
struct Shared {
    std::atomic<std::int64_t> done{0};
    std::atomic<std::int64_t> moved_ms{0};
    std::atomic<bool> stop{false};
};

}  // namespace

// The same clock on every thread: a watched read stamps its progress on its own.
std::int64_t SteadyClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool ContentReader::Slow(const std::string& letter_path) {
    char letter =
        letter_path.size() >= 2 && letter_path[1] == ':' ? fs::NormaliseLetter(letter_path[0]) : 0;
    auto known = slow_.find(letter);
    if (known != slow_.end()) return known->second;
    return slow_[letter] = OnSlowDrive(letter_path);
}

void ContentReader::Tell(std::int64_t done) {
    const std::int64_t now = state_.Ui.NowMs();
    if (told_ms_ >= 0 && now - told_ms_ < 20) return;
    told_ms_ = now;
    if (progress_) progress_(done);
    state_.Ui.ProcessMessages();
}

// Every 50 ms of a watched read: the progress shown and Stop seen; false to
// walk away, a few seconds after Stop or after a minute without progress.
bool ContentReader::Watch(std::int64_t done, std::int64_t moved_ms, std::int64_t& stop_seen_ms) {
    Tell(done);
    const std::int64_t now = SteadyClockMs();
    if (state_.AbortRequested && stop_seen_ms < 0) stop_seen_ms = now;
    if (stop_seen_ms >= 0 && now - stop_seen_ms > kStopWaitMs) return false;
    return now - moved_ms < kSilentMs;
}

template <typename T>
std::optional<T> ContentReader::Read(const std::string& letter_path,
                                     std::function<T(const fs::ChunkRead&)> read) {
    if (!Slow(letter_path)) {
        return read([this](std::int64_t done) {
            Tell(done);
            return !state_.AbortRequested;
        });
    }
    auto shared = std::make_shared<Shared>();
    shared->moved_ms = SteadyClockMs();
    std::int64_t stop_seen_ms = -1;
    return fs::AskWatched<T>(
        [shared, read = std::move(read)] {
            return read([shared](std::int64_t done) {
                shared->done = done;
                shared->moved_ms = SteadyClockMs();
                return !shared->stop.load();
            });
        },
        [&](std::int64_t) {
            if (state_.AbortRequested) shared->stop = true;
            return Watch(shared->done, shared->moved_ms, stop_seen_ms);
        });
}

std::optional<fs::ContentOutcome> ContentReader::Compare(const std::string& source,
                                                         const std::string& target) {
    auto from = fs::Drives().ToNative(source), to = fs::Drives().ToNative(target);
    if (!from || !to)
        return fs::ContentOutcome{from ? fs::ReadEnd::SecondFailed : fs::ReadEnd::FirstFailed,
                                  ENOENT, false};
    // Either side may hang: a source on a network drive as well as the target.
    const std::string& watched = Slow(source) ? source : target;
    return Read<fs::ContentOutcome>(watched, [from = *from, to = *to](const fs::ChunkRead& chunk) {
        return fs::CompareContents(from, to, chunk);
    });
}

std::optional<fs::SumOutcome> ContentReader::Sum(const std::string& path, bool from_medium) {
    auto native = fs::Drives().ToNative(path);
    if (!native) return fs::SumOutcome{fs::ReadEnd::FirstFailed, ENOENT, {}};
    return Read<fs::SumOutcome>(path, [native = *native, from_medium](const fs::ChunkRead& chunk) {
        return fs::SumOfContents(native, from_medium, chunk);
    });
}

}  // namespace vaultor
