#include "engine/sums_recorder.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "fs/atomic_write.h"
#include "fs/drive_table.h"
#include "fs/i18n.h"
#include "fs/text_lines.h"

namespace vaultor {
namespace {

// Native paths only: on a drive that may stop answering this runs on a
// thread of its own. 0, or the errno of what failed.
int MergeIntoManifest(const std::string& folder, const std::string& manifest_path,
                      const SumsUpdate& update) {
    if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    fs::SmallFile old = fs::ReadSmallFile(manifest_path, kMaxManifestBytes);
    // Lines that cannot be read are never written over with fewer.
    if (old.status != fs::SmallFile::Status::Ok && old.status != fs::SmallFile::Status::Missing)
        return old.status == fs::SmallFile::Status::TooLarge ? EFBIG : EIO;
    SumsManifest manifest = ParseSumsManifest(old.bytes);
    MergeSums(manifest, update);
    return fs::WriteFileAtomically(manifest_path, FormatSumsManifest(manifest)) ? 0 : errno;
}

}  // namespace

SumsRecorder::~SumsRecorder() {
    stop_ = true;
    FinishBeside(false);
}

void SumsRecorder::FileDone(const std::string& target, std::int64_t size, CopyEnd how) {
    shown_.FileDone(target, size, how);
    const std::string& root = state_.TargetRoot;
    if (how == CopyEnd::Failed || target.size() <= root.size()) return;
    const std::string relative = target.substr(root.size());
    const char letter = SourceLetterOfCopy(relative);
    if (!letter) return;
    if (!reader_.Slow(target)) {
        auto native = fs::Drives().ToNative(target);
        if (native) return SumBeside({*native, relative, letter});
        std::lock_guard lock(mutex_);  // the thread beside may be writing them
        updates_[letter][relative] = std::nullopt;
        return;
    }
    std::optional<fs::Sum128> sum;
    if (!target_gone_) {
        auto read = reader_.Sum(target, false);
        target_gone_ = !read && !state_.AbortRequested;
        if (read && read->end == fs::ReadEnd::Done) sum = read->sum;
    }
    // No sum: the line of the copy it replaced must not stay.
    updates_[letter][relative] = sum;
}

// The run hands the copy over and goes on; it waits only when many are waiting.
void SumsRecorder::SumBeside(Job job) {
    std::unique_lock lock(mutex_);
    if (!beside_.joinable()) beside_ = std::thread([this] { SumJobs(); });
    WaitPumping(lock, [&] { return jobs_.size() < kMaxWaiting; });
    jobs_.push_back(std::move(job));
    changed_.notify_all();
}

// While the run waits for the thread beside it, the window stays alive and
// Stop is seen: the reads still waiting are then given up.
void SumsRecorder::WaitPumping(std::unique_lock<std::mutex>& lock,
                               const std::function<bool()>& done) {
    for (;;) {
        if (state_.AbortRequested) stop_ = true;
        if (changed_.wait_for(lock, std::chrono::milliseconds(50), done)) return;
        lock.unlock();
        state_.Ui.ProcessMessages();
        lock.lock();
    }
}

void SumsRecorder::SumJobs() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !jobs_.empty() || no_more_; });
        if (jobs_.empty()) break;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        changed_.notify_all();
        lock.unlock();
        // Read as written, mostly from the cache; Stop ends it between two chunks.
        std::optional<fs::Sum128> sum;
        if (!stop_) {
            fs::SumOutcome read =
                fs::SumOfContents(job.native, false, [&](std::int64_t) { return !stop_.load(); });
            if (read.end == fs::ReadEnd::Done) sum = read.sum;
        }
        lock.lock();
        if (!sum) ++without_sum_;
        // No sum: the line of the copy it replaced must not stay.
        updates_[job.letter][job.relative] = sum;
    }
    finished_ = true;
    changed_.notify_all();
}

void SumsRecorder::FinishBeside(bool pumping) {
    if (!beside_.joinable()) return;
    {
        std::unique_lock lock(mutex_);
        no_more_ = true;
        changed_.notify_all();
        if (pumping) WaitPumping(lock, [&] { return finished_; });
    }
    beside_.join();
}

std::vector<std::string> SumsRecorder::Save() {
    FinishBeside(true);
    std::vector<std::string> lines;
    if (without_sum_)
        lines.push_back(Printf(_("Van %d kopieën is geen controlegetal bewaard; de controle op "
                                 "inhoud leest daar beide kanten."),
                               without_sum_));
    const std::string& root = state_.TargetRoot;
    for (const auto& entry : updates_) {
        const auto letter = entry.first;
        const std::string path = SumsManifestPath(root, letter);
        auto native = fs::Drives().ToNative(path);
        auto folder = fs::Drives().ToNative(root + kSumsFolderName);
        std::optional<int> error;
        if (native && folder && !target_gone_)
            error = reader_.OnDrive<int>(
                root, [folder = *folder, native = *native, update = entry.second] {
                    return MergeIntoManifest(folder, native, update);
                });
        if (!error || *error)
            lines.push_back(
                Printf(_("Het bestand %s kon niet worden geschreven: %s"), path.c_str(),
                       error ? std::strerror(*error) : _("de doeldrive antwoordt niet meer")));
    }
    updates_.clear();
    return lines;
}

}  // namespace vaultor
