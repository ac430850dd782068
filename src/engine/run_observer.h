#pragma once

#include <cstdint>
#include <string>

namespace vaultor {

// How a copy ended, as the run reports it.
enum class CopyEnd { Copied, Updated, Failed };

// What a walk, a check or a copy run tells while it works. The engine knows
// nothing of how it is shown: the window maps it onto its controls and lamps,
// vaultor-cli onto its progress line. Every call comes on the run's thread.
class RunObserver {
  public:
    virtual ~RunObserver() = default;
    // What the program is at: a folder walked, a file copied.
    virtual void Status(const std::string& /*text*/) {}
    // The check looked at one file: whether its copy is there and differs.
    virtual void FileCompared(std::int64_t /*size*/, bool /*present*/, bool /*differs*/) {}
    // The check's bytes so far of all it compares.
    virtual void CheckProgress(std::int64_t /*done*/, std::int64_t /*total*/) {}
    // A list folder compared to its end.
    virtual void FolderCompared() {}
    // A copy begins; its bytes as they are written.
    virtual void FileStarted(const std::string& /*target*/) {}
    virtual void FileBytes(std::int64_t /*written*/) {}
    // A copy ended; `size` is the source's.
    virtual void FileDone(const std::string& /*target*/, std::int64_t /*size*/, CopyEnd /*how*/) {}
    // The copy run's bytes so far of all it copies, and the time that took.
    virtual void CopyProgress(std::int64_t /*done*/, std::int64_t /*total*/,
                              std::int64_t /*elapsed_ms*/) {}
    // The content check's bytes read so far of all it reads, and the time that took.
    virtual void ContentProgress(std::int64_t /*done*/, std::int64_t /*total*/,
                                 std::int64_t /*elapsed_ms*/) {}
    // A target folder the run made.
    virtual void FolderMade(const std::string& /*folder*/) {}
    // A line for the user while the run works; the log has its own.
    virtual void Say(const std::string& /*line*/) {}
};

}  // namespace vaultor
