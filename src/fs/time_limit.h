#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vaultor::fs {

// Runs `work` on a worker thread and waits at most `limit` for it. A network
// or FUSE file system that does not answer must not hang the program; while a
// query under `key` still hangs from before, the next one answers false at once.
bool RunWithTimeLimit(const std::string& key, std::chrono::milliseconds limit,
                      std::function<void()> work);

template <typename T>
std::optional<T> AskWithTimeLimit(const std::string& key, std::chrono::milliseconds limit,
                                  std::function<T()> ask) {
    auto answer = std::make_shared<std::optional<T>>();
    bool done = RunWithTimeLimit(key, limit, [answer, ask = std::move(ask)] { *answer = ask(); });
    if (!done) return std::nullopt;
    return *answer;
}

// Runs `work` on a thread of its own while `watch` is called every 50 ms with
// the milliseconds since it began; when `watch` answers false the caller waits
// one second more, then walks away and `work` goes on alone (it must own what
// it uses). False: walked away. For work on a drive that may stop answering,
// whose caller must stay alive (Stop, the window).
bool RunWatched(std::function<void()> work, const std::function<bool(std::int64_t)>& watch);

template <typename T>
std::optional<T> AskWatched(std::function<T()> ask,
                            const std::function<bool(std::int64_t)>& watch) {
    auto answer = std::make_shared<std::optional<T>>();
    if (!RunWatched([answer, ask = std::move(ask)] { *answer = ask(); }, watch))
        return std::nullopt;
    return *answer;
}

inline constexpr std::chrono::milliseconds kSlowDriveLimit{2000};

}  // namespace vaultor::fs
