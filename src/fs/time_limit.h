#pragma once

#include <chrono>
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

inline constexpr std::chrono::milliseconds kSlowDriveLimit{2000};

}  // namespace vaultor::fs
