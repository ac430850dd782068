#pragma once

#include <string>
#include <utility>

#include "fs/unique_fd.h"

namespace vaultor {

// Shows one notification on the user's desktop, under the program's name and
// icon. False when there is no session bus, nobody serves notifications or
// the call fails: a notification is a courtesy, so the caller goes on without
// it. Never throws, and gives up after a few seconds.
bool NotifyDesktop(const std::string& summary, const std::string& body);

// Keeps the computer from going to sleep while it lives, so a run is not cut
// off halfway: a "block" inhibitor of logind on the system bus, held as the
// descriptor logind hands out and released by closing it. Without logind,
// without a system bus or when logind says no, it holds nothing and the run
// goes on all the same.
class SleepInhibitor {
  public:
    static SleepInhibitor Take(const std::string& why);
    SleepInhibitor() = default;  // holds nothing
    SleepInhibitor(SleepInhibitor&&) = default;
    // The inhibitor held before is released.
    SleepInhibitor& operator=(SleepInhibitor&&) = default;

    bool Held() const { return fd_.Valid(); }

  private:
    explicit SleepInhibitor(fs::UniqueFd fd) : fd_(std::move(fd)) {}
    fs::UniqueFd fd_;
};

}  // namespace vaultor
