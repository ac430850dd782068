#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace vaultor {

// The logs of unattended runs, kept per list as Vaultor.log is written anew
// by every run: "Logs/LIST/yyyy-mm-dd hhmmss.log" in the program folder, the
// newest few. Only lists backed up unattended have them.
inline constexpr size_t kRunLogsKept = 10;
std::string RunLogFolder(const std::string& program_dir, const std::string& list);
// Writes one (CR LF lines) and removes the oldest beyond the number kept;
// false when it could not be written.
bool KeepRunLog(const std::string& program_dir, const std::string& list,
                const std::vector<std::string>& lines, std::time_t when);
// A list renamed or deleted takes its logs along.
void MoveRunLogs(const std::string& program_dir, const std::string& from, const std::string& to);
void RemoveRunLogs(const std::string& program_dir, const std::string& list);

}  // namespace vaultor
