#pragma once

#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace vaultor {

// Which lists to back up now that drives came: a list backed up on plug-in
// whose last good backup is older than its MinHours, or a scheduled list
// whose last run found its drive absent. A list counts once per arrival of
// its drive; drives present when watching begins count as arriving.
class PlugWatch {
  public:
    explicit PlugWatch(std::string program_dir) : program_dir_(std::move(program_dir)) {}
    // Looks at every list's target drive again.
    std::vector<std::string> DueNow(std::time_t now);

  private:
    std::string program_dir_;
    std::map<std::string, bool> drive_was_ready_;  // per list
};

// `vaultor-cli watch`: follows the mount table and runs `run LIST` for each
// list due, one after the other, until a signal ends it. `run_prefix` is the
// command line a run begins with (the program, its program folder and drive
// options). Returns the exit status.
int WatchForDrives(const std::string& program_dir, const std::vector<std::string>& run_prefix);

}  // namespace vaultor
