#pragma once

#include <optional>
#include <string>

#include "fs/unique_fd.h"
#include "state/app_state.h"

namespace vaultor {

// One run at a time in a program folder, whichever program runs it (the
// window, vaultor-cli, a timer): an flock on the folder itself, so nothing is
// left behind, and a program that dies lets go of it.
class RunLock {
  public:
    // Waits a few seconds for another program's run to end, the window kept
    // alive meanwhile; nullopt when it does not.
    static std::optional<RunLock> Take(AppState& state);
    // The same, and when it is not had, the user is told so.
    static std::optional<RunLock> TakeOrSay(AppState& state);
    RunLock(RunLock&&) = default;
    RunLock& operator=(RunLock&&) = default;

  private:
    explicit RunLock(fs::UniqueFd fd) : fd_(std::move(fd)) {}
    fs::UniqueFd fd_;
};

// The message for a run that found another one going on in its program folder.
std::string BusyText(const AppState& state);

}  // namespace vaultor
