#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "state/app_state.h"

namespace vaultor {

// What a copy run has in hand, kept in the program folder while it runs: at
// each checkpoint the target is flushed, then the copies the run will start
// before the next one are written here, on the medium before the first of
// them is begun. A cut or a pulled drive between two checkpoints may leave
// such a copy with its size and date but not its data; the next Start copies
// every copy named here again. A run that ends normally removes the file.
class RunJournal {
  public:
    // "<list>.journal" beside the list file (the program folder's
    // "Vaultor.journal" for a list never saved).
    static std::string PathFor(const AppState& state);
    static std::string PathForList(const std::string& list_file);
    // The copies a journal names (target paths as the log writes them);
    // empty for no journal or one that cannot be read.
    static std::unordered_set<std::string> Read(const std::string& path);
    static bool Exists(const std::string& path);

    explicit RunJournal(std::string path) : path_(std::move(path)) {}
    // Durably: false when it could not be written.
    bool Write(const std::vector<std::string>& copies) const;
    void Remove() const;

  private:
    std::string path_;
};

// Before Start's check (`for_start`) or a test: tells the user when the
// list's last run was interrupted; for Start, returns what it had in hand.
std::unordered_set<std::string> TellOfInterruptedRun(AppState& state, bool for_start);

}  // namespace vaultor
