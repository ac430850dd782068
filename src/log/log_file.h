#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "fs/unique_fd.h"

namespace vaultor {

// A failure to create, write or close the log: it ends the operation in progress.
class LogError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// "Vaultor.log" in the program folder: one line per entry, CR LF ends. Each
// logged operation starts it afresh. Lines are buffered and written in large
// pieces, since a walk of a big tree logs a line per folder.
class LogFile {
  public:
    static std::string PathIn(const std::string& program_dir) {
        return program_dir + "Vaultor.log";
    }

    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile();

    void Open(const std::string& program_dir);  // empty, replacing the old log
    void WriteLine(const std::string& line);
    void Close();
    bool IsOpen() const { return fd_.Valid(); }

  private:
    void Flush();
    std::string path_;
    fs::UniqueFd fd_;
    std::string buffer_;
};

// The log pane and the viewer's file side.
std::vector<std::string> ReadLogLines(const std::string& path);  // empty when unreadable
// Throws LogError naming the file when it cannot be written.
void SaveLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace vaultor
