#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/copy_plan.h"
#include "engine/copy_step.h"
#include "engine/run_journal.h"
#include "engine/run_observer.h"
#include "engine/run_result.h"
#include "fs/copy_file.h"
#include "fs/time_limit.h"
#include "log/log_file.h"
#include "state/app_state.h"

namespace vaultor {

// The copy run: every item of the plan copied and checked, then the empty
// folders, the folder compression, a flush of the target, the summary and the
// remarks. Stop is honoured between files. The result has every figure but
// how the run ended, which its caller knows.
class CopyRun {
  public:
    CopyRun(AppState& state, const CopyPlan& plan, LogFile& log, RunObserver& observer)
        : state_(state),
          plan_(plan),
          log_(log),
          observer_(observer),
          step_(state, observer),
          journal_(RunJournal::PathFor(state)) {}
    RunResult KopieerDeLijst();

  private:
    enum class Next { Go, Stop, EndRun };
    Next CopyOne(const vaultor::CopyItem& item);
    Next Finish(const std::string& source, const std::string& target,
                const fs::CopyOutcome& outcome);
    Next CopyAllInTurn();
    Next CopyAllSideBySide(int workers);
    int Workers();
    enum class Folder { Ready, Refused, TargetFailed, NotAnswering };
    Folder MakeTargetFolder(const std::string& folder, const std::string& source_folder);
    bool BelowRefusedFolder(const std::string& folder) const;
    void Copied(const std::string& source, const std::string& target, bool existed,
                const fs::CopyOutcome& outcome);
    // `size` is the source's, -1 when the copy never began.
    void Failed(const std::string& target, bool existed, std::int64_t size,
                const std::string& reason, bool no_room = false);
    std::string FailureReason(const fs::CopyOutcome& outcome) const;
    void RateUpdate();
    void ReportPassedOver();
    // Work on the target: on a drive that may stop answering it runs on a
    // thread of its own, and nullopt (TargetNotAnswering set) when the run
    // walked away from it. `work` takes native paths only.
    template <typename T>
    std::optional<T> OnTarget(std::function<T()> work) {
        if (!step_.SlowDrive(state_.TargetRoot)) return work();
        auto answer = fs::AskWatched<T>(std::move(work), step_.WatchWork());
        if (!answer) result_.target_not_answering = true;
        return answer;
    }
    void MakeEmptyFolders();
    // Where this run's versions keep the old state of a target path (native;
    // empty when the run keeps none).
    std::string KeepPathFor(const std::string& target) const;
    void MoveRemovedFromSource();
    void SayWhatWasKept();
    bool FlushTarget();
    bool CheckpointDue(size_t next) const;
    void Checkpoint(size_t next);
    bool FlushForCheckpoint();
    void CloseJournal(bool flushed);
    void WriteRemarks();
    void Complete();

    AppState& state_;
    const CopyPlan& plan_;
    LogFile& log_;
    RunObserver& observer_;
    CopyStep step_;
    RunResult result_;
    std::int64_t copied_ = 0;  // bytes of the copies made
    std::vector<std::string> remarks_;
    std::int32_t failed_ = 0;
    std::int64_t files_updated_ = 0, files_copied_ = 0, folders_made_ = 0;
    std::int64_t versions_kept_ = 0, moved_aside_ = 0;
    std::int64_t run_start_ms_ = 0;
    std::vector<std::string> FoldersToSyncOneByOne();
    // Checkpoints: every few seconds, few hundred MB or thousand files.
    static constexpr std::int64_t kCheckpointMs = 5000;
    static constexpr std::int64_t kCheckpointBytes = 256 << 20;
    static constexpr size_t kCheckpointFiles = 1000;
    static constexpr size_t kCopiesAhead = 12;
    RunJournal journal_;
    bool journal_failed_ = false;
    size_t batch_end_ = 0;
    std::int64_t checkpoint_ms_ = 0, bytes_since_checkpoint_ = 0;
    std::vector<std::string> done_since_checkpoint_;
    std::unordered_set<std::string> pending_interrupted_;
    bool flush_by_folder_ = false;     // FolderSyncFlushesMedium, asked once per run
    bool defer_folder_lines_ = false;  // "Map gemaakt" waits in folder_lines_
    std::vector<std::string> folder_lines_;
    std::set<std::string> cleaned_;          // target folders whose leftovers were removed
    std::set<std::string> written_folders_;  // target folders this run wrote in
    std::string last_folder_;                // the target folder of the line before
    std::shared_ptr<const fs::TargetFolder> folder_handle_;  // last_folder_, opened
    // Target folders the target would not make (a name it does not allow):
    // what lies below them is reported, the rest of the run goes on.
    std::vector<std::string> refused_folders_;
};

inline RunResult KopieerDeLijst(AppState& state, const CopyPlan& plan, LogFile& log,
                                RunObserver& observer) {
    return CopyRun(state, plan, log, observer).KopieerDeLijst();
}

}  // namespace vaultor
