#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "fs/copy_file.h"

namespace vaultor {

// A few threads that copy files side by side while the run's own thread
// keeps the state, the pump and the log. Copies are begun in the order they
// are handed in and taken back by their number, so the run reports them in
// its own order whatever finishes first. A copy touches nothing but what its
// job holds (native paths, never the drive table).
class CopyPool {
  public:
    using Job = std::function<fs::CopyOutcome()>;
    explicit CopyPool(int workers);
    ~CopyPool();  // copies begun are finished, those waiting dropped
    CopyPool(const CopyPool&) = delete;
    CopyPool& operator=(const CopyPool&) = delete;

    void Submit(std::size_t number, Job job);
    // The outcome of copy `number`, calling `waiting` every 50 ms until it
    // is there; nullopt for one dropped before it began. Numbers are taken
    // in the order they were handed in.
    std::optional<fs::CopyOutcome> Take(std::size_t number, const std::function<void()>& waiting);
    // Stop: no waiting copy begins.
    void DropWaiting();

  private:
    void Work();
    std::mutex mutex_;
    std::condition_variable job_cv_, done_cv_;
    std::deque<std::pair<std::size_t, Job>> waiting_;
    std::map<std::size_t, std::optional<fs::CopyOutcome>> done_;
    bool closing_ = false;
    // A wake-up is a system call: the run's thread, once it has caught up,
    // is woken when a few more copies are done (or the one it needs, or the
    // last handed in), and a copying thread only when it waits for a job.
    static constexpr std::size_t kWakeAfter = 8;
    std::optional<std::size_t> awaited_, awaited_last_;
    std::set<std::size_t> in_flight_;  // handed in, not yet done
    int idle_ = 0;
    std::vector<std::thread> threads_;
};

}  // namespace vaultor
