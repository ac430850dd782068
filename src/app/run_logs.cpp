#include "app/run_logs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "fs/atomic_write.h"
#include "fs/time_text.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;

std::string StampOf(std::time_t when) {
    return fs::LocalTimeText(when, "%Y-%m-%d %H%M%S");
}

}  // namespace

std::string RunLogFolder(const std::string& program_dir, const std::string& list) {
    return program_dir + "Logs/" + list;
}

bool KeepRunLog(const std::string& program_dir, const std::string& list,
                const std::vector<std::string>& lines, std::time_t when) {
    const std::string folder = RunLogFolder(program_dir, list);
    std::error_code ec;
    fsys::create_directories(folder, ec);
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    // Two runs in one second: the later one gets a number after its time.
    std::string path = folder + "/" + StampOf(when) + ".log";
    for (int n = 2; fsys::exists(path, ec) && n < 100; ++n)
        path = folder + "/" + StampOf(when) + " " + std::to_string(n) + ".log";
    if (!fs::WriteFileAtomically(path, text)) return false;
    std::vector<std::string> logs;
    for (const auto& entry : fsys::directory_iterator(folder, ec))
        if (entry.path().extension() == ".log") logs.push_back(entry.path().string());
    std::sort(logs.begin(), logs.end());  // the time in the name sorts them
    for (size_t i = 0; i + kRunLogsKept < logs.size(); ++i) fsys::remove(logs[i], ec);
    return true;
}

void MoveRunLogs(const std::string& program_dir, const std::string& from, const std::string& to) {
    std::error_code ec;
    const std::string old_folder = RunLogFolder(program_dir, from);
    if (!fsys::is_directory(old_folder, ec)) return;
    const std::string new_folder = RunLogFolder(program_dir, to);
    if (fsys::exists(new_folder, ec)) fsys::remove_all(new_folder, ec);  // of a list long gone
    fsys::rename(old_folder, new_folder, ec);
}

void RemoveRunLogs(const std::string& program_dir, const std::string& list) {
    std::error_code ec;
    fsys::remove_all(RunLogFolder(program_dir, list), ec);
    fsys::remove(program_dir + "Logs", ec);  // only when it is empty
}

}  // namespace vaultor
