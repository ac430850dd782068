#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/content_reader.h"
#include "engine/run_observer.h"
#include "state/app_state.h"
#include "target/sums_manifest.h"

namespace vaultor {

// For a list that keeps checksums (Sums=1): each copy a run makes is read
// once it is complete (as written, mostly from the cache) and its XXH3-128
// kept, and at the end of the run the target's manifests take them in. It
// stands between the copy run and the run's own observer, to which it passes
// every event, so the copy run is the same with Sums on or off. On a drive
// that cannot stop answering the copies are read on a thread of their own
// while the run goes on; elsewhere they are read under watch on the run's.
class SumsRecorder : public RunObserver {
  public:
    SumsRecorder(AppState& state, RunObserver& shown)
        : state_(state), shown_(shown), reader_(state, nullptr) {}
    SumsRecorder(const SumsRecorder&) = delete;
    SumsRecorder& operator=(const SumsRecorder&) = delete;
    ~SumsRecorder() override;

    void FileDone(const std::string& target, std::int64_t size, CopyEnd how) override;

    // The manifests brought up to date, each merged with the lines it held
    // and written whole under a temporary name that is renamed over it.
    // A line for the log for each that could not be.
    std::vector<std::string> Save();

    void Status(const std::string& text) override { shown_.Status(text); }
    void FileCompared(std::int64_t size, bool present, bool differs) override {
        shown_.FileCompared(size, present, differs);
    }
    void CheckProgress(std::int64_t done, std::int64_t total) override {
        shown_.CheckProgress(done, total);
    }
    void FolderCompared() override { shown_.FolderCompared(); }
    void FileStarted(const std::string& target) override { shown_.FileStarted(target); }
    void FileBytes(std::int64_t written) override { shown_.FileBytes(written); }
    void CopyProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) override {
        shown_.CopyProgress(done, total, elapsed_ms);
    }
    void ContentProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) override {
        shown_.ContentProgress(done, total, elapsed_ms);
    }
    void FolderMade(const std::string& folder) override { shown_.FolderMade(folder); }
    void Say(const std::string& line) override { shown_.Say(line); }

  private:
    struct Job {
        std::string native, relative;
        char letter;
    };
    void SumBeside(Job job);
    void WaitPumping(std::unique_lock<std::mutex>& lock, const std::function<bool()>& done);
    void SumJobs();
    void FinishBeside(bool pumping);

    AppState& state_;
    RunObserver& shown_;
    ContentReader reader_;
    bool target_gone_ = false;            // a read walked away from it: no more are tried
    std::map<char, SumsUpdate> updates_;  // by source letter; the thread's while it runs

    // The thread beside the run, and what it shares with it.
    static constexpr size_t kMaxWaiting = 256;
    std::thread beside_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool no_more_ = false, finished_ = false;
    int without_sum_ = 0;  // copies read by the thread beside that got no sum
    std::atomic<bool> stop_{false};
};

}  // namespace vaultor
