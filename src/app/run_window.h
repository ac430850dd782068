#pragma once

#include <cstdint>
#include <string>

#include "engine/run_observer.h"
#include "state/app_state.h"

namespace vaultor {

// What a run tells, shown on the window's controls: the status bar, the file
// label, the three lamps, the progress bar and its label, the time labels,
// the pane and the target browser. Every event is passed on to `also` (a
// front end's own observer) after the window has shown it.
class WindowObserver : public RunObserver {
  public:
    explicit WindowObserver(AppState& state, RunObserver* also = nullptr)
        : state_(state), also_(also) {}
    void Status(const std::string& text) override;
    void FileCompared(std::int64_t size, bool present, bool differs) override;
    void CheckProgress(std::int64_t done, std::int64_t total) override;
    void FolderCompared() override;
    void FileStarted(const std::string& target) override;
    void FileBytes(std::int64_t written) override;
    void FileDone(const std::string& target, std::int64_t size, CopyEnd how) override;
    void CopyProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) override;
    void ContentProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) override;
    void FolderMade(const std::string& folder) override;
    void Say(const std::string& line) override;

  private:
    AppState& state_;
    RunObserver* also_;
};

// TotalBytes in the four labels of the totals box.
void ShowTotals(AppState& state);
// The buttons, list and drive controls a run disables, in their order.
void EnableRunControls(MainWindowModel& m, bool enabled);

// Marks a Start or test as running for as long as it lives, also when it fails.
class RunScope {
  public:
    explicit RunScope(AppState& state) : state_(state) { state_.RunInProgress = true; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
    ~RunScope() { state_.RunInProgress = false; }

  private:
    AppState& state_;
};

// What a walk disables, and gives back also when it fails.
class WalkControls {
  public:
    explicit WalkControls(AppState& state);
    WalkControls(const WalkControls&) = delete;
    WalkControls& operator=(const WalkControls&) = delete;
    ~WalkControls();

  private:
    AppState& state_;
};

}  // namespace vaultor
