#include "engine/copy_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

#include "engine/compare.h"
#include "engine/copy_pool.h"
#include "engine/run_journal.h"
#include "engine/walk.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "fs/time_limit.h"
#include "fs/unique_fd.h"
#include "state/rates.h"
#include "target/drive_box.h"
#include "target/target_browser.h"
#include "target/target_path.h"
#include "target/versions_folder.h"

namespace vaultor {
namespace {

// "E:\A\b.txt" gives "E:\A"; "E:\b.txt" gives "E:\".
std::string FolderPart(const std::string& path) {
    size_t cut = path.rfind('\\');
    if (cut == std::string::npos) return std::string();
    return cut == 2 ? path.substr(0, 3) : path.substr(0, cut);
}

// The remark for what the check after a copy found; none when all is as it should be.
const char* CheckRemark(CopyCheck check, bool cd_target) {
    switch (check) {
        case CopyCheck::DateDiffers:
            return cd_target ? _("Mogelijk datumverschil (test na herladen CDRW): ")
                             : _("Verschil in datum: ");
        case CopyCheck::SizeDiffers:
            return _("Verschil in bytes: ");
        case CopyCheck::DateAndSizeDiffer:
            return _("Verschil in datum en bytes: ");
        case CopyCheck::NoCopy:
            return _("Bestand niet gemaakt: ");
        case CopyCheck::CompressionDiffers:
            return _("Compressiestatus verschilt: ");
        case CopyCheck::NotCompressed:
            return _("Bestand niet gecomprimeerd: ");
        case CopyCheck::UpToDate:
            break;
    }
    return nullptr;
}

bool IsFile(const std::string& letter_path) {
    auto attr = fs::GetFileAttr(letter_path);
    return attr != fs::kNoAttributes && !(attr & fs::kAttrDirectory);
}

// What the user can make of an error of the target: its own words for the
// cases a user can act on, else the system's text.
std::string ErrorReason(int error) {
    if (error == EINVAL || error == EILSEQ || error == ENAMETOOLONG)
        return _("de naam is op de doeldrive niet toegestaan");
    if (error == EFBIG)
        return _("het bestand is te groot voor het bestandssysteem van de doeldrive");
    if (error == 0) return _("onbekende fout");
    return std::strerror(error);
}

}  // namespace

bool CopyRun::CheckpointDue(size_t next) const {
    return next >= batch_end_ || state_.Ui.NowMs() - checkpoint_ms_ >= kCheckpointMs ||
           bytes_since_checkpoint_ >= kCheckpointBytes;
}

// The target flushed, then the copies the run will begin before the next
// checkpoint written down, durably, before the first of them begins.
void CopyRun::Checkpoint(size_t next) {
    auto& st = state_;
    // The copies made since the last checkpoint leave the journal once they
    // are on the medium; a flush that failed keeps them in it, to be made again.
    if (FlushForCheckpoint())
        for (const auto& copy : done_since_checkpoint_) pending_interrupted_.erase(copy);
    else
        pending_interrupted_.insert(done_since_checkpoint_.begin(), done_since_checkpoint_.end());
    done_since_checkpoint_.clear();
    std::vector<std::string> copies(pending_interrupted_.begin(), pending_interrupted_.end());
    batch_end_ = std::min(next + kCheckpointFiles, plan_.items.size());
    for (size_t i = next; i < batch_end_; ++i)
        copies.push_back(TargetPathOf(st.TargetRoot, plan_.items[i].source));
    if (!journal_.Write(copies) && !journal_failed_) {
        journal_failed_ = true;
        // Copies no journal names are synced one by one where that is the only way.
        flush_by_folder_ = false;
        step_.FlushNewCopiesAtCheckpoints(false);
        remarks_.push_back(Printf(_("Het bestand %s kon niet worden geschreven."),
                                  RunJournal::PathFor(st).c_str()));
    }
    checkpoint_ms_ = st.Ui.NowMs();
    bytes_since_checkpoint_ = 0;
}

bool CopyRun::FlushForCheckpoint() {
    auto root = fs::Drives().ToNative(state_.TargetRoot);
    if (!step_.SlowDrive(state_.TargetRoot)) return SyncFileSystemOf(root) == 0;
    // Elsewhere a sync of the file system does not reach the medium: each
    // copy was synced before its rename, unless a folder's sync flushes it.
    if (!flush_by_folder_) return true;
    if (result_.target_not_answering) return false;
    auto error = OnTarget<int>([root] { return SyncFolder(root); });
    return error && *error == 0;
}

// A run that ended as it should needs no journal; copies of an interrupted
// run that failed again stay named in it.
void CopyRun::CloseJournal(bool flushed) {
    if (!flushed || result_.target_not_answering) return;
    for (const auto& copy : done_since_checkpoint_) pending_interrupted_.erase(copy);
    done_since_checkpoint_.clear();
    if (pending_interrupted_.empty())
        journal_.Remove();
    else
        journal_.Write({pending_interrupted_.begin(), pending_interrupted_.end()});
}

RunResult CopyRun::KopieerDeLijst() {
    auto& st = state_;
    run_start_ms_ = st.Ui.NowMs();
    st.BytesPerSecond = 0;
    flush_by_folder_ = FolderSyncFlushesMedium(st.TargetRoot);
    step_.FlushNewCopiesAtCheckpoints(flush_by_folder_);
    ReportPassedOver();
    // Of an interrupted run's copies, those this run copies again.
    if (!plan_.interrupted.empty())
        for (const auto& item : plan_.items) {
            std::string target = TargetPathOf(st.TargetRoot, item.source);
            if (plan_.interrupted.count(target)) pending_interrupted_.insert(std::move(target));
        }
    const int workers = Workers();
    if ((workers > 1 ? CopyAllSideBySide(workers) : CopyAllInTurn()) == Next::EndRun) {
        // The journal stays: what the run had in hand is copied again.
        FlushTarget();
        WriteRemarks();
    } else {
        Complete();
    }
    result_.failed = failed_;
    result_.remarks = remarks_.size();
    result_.bytes_copied = copied_;
    return result_;
}

// One copy after the other, each in the run's own thread (or, on a drive that
// may stop answering, under its watch): Stop holds between any two files.
CopyRun::Next CopyRun::CopyAllInTurn() {
    // The plan is read in place, as a copy would double the memory of a large run.
    for (size_t i = 0; i < plan_.items.size(); ++i) {
        if (CheckpointDue(i)) Checkpoint(i);
        Next next = CopyOne(plan_.items[i]);
        if (next == Next::EndRun) return next;
        if (next == Next::Stop) break;
    }
    return Next::Go;
}

// Copies begun in the list's order on a few threads, reported in that order
// by this one. After Stop no copy begins; those already begun finish.
CopyRun::Next CopyRun::CopyAllSideBySide(int workers) {
    auto& st = state_;
    struct InHand {
        size_t number;
        std::string target;
        bool refused;                           // its folder could not be made: nothing was begun
        std::vector<std::string> lines_before;  // of the folders made for it
    };
    defer_folder_lines_ = true;
    CopyPool pool(workers);
    std::deque<InHand> in_hand;
    bool dropped = false;
    auto take_first = [&] {
        InHand first = std::move(in_hand.front());
        in_hand.pop_front();
        for (const auto& line : first.lines_before) log_.WriteLine(line);
        if (first.refused) {
            Failed(first.target, false, -1, _("de map kon op de doeldrive niet worden gemaakt"));
            return Next::Go;
        }
        auto outcome = pool.Take(first.number, [&] {
            st.Ui.ProcessMessages();
            if (st.AbortRequested && !dropped) {
                pool.DropWaiting();
                dropped = true;
            }
        });
        if (!outcome) return Next::Go;  // Stop came before it began
        Next next = Finish(plan_.items[first.number].source, first.target, *outcome);
        fs::ProcessPendingMessages();
        if (st.AbortRequested && !dropped) {
            pool.DropWaiting();
            dropped = true;
        }
        return next;
    };
    auto take_all = [&] {
        Next end = Next::Go;
        while (!in_hand.empty())
            if (take_first() == Next::EndRun) end = Next::EndRun;
        return end;
    };
    for (size_t i = 0; i < plan_.items.size(); ++i) {
        // A checkpoint flushes only copies that are complete.
        if (CheckpointDue(i)) {
            if (take_all() == Next::EndRun) return Next::EndRun;
            Checkpoint(i);
        }
        if (st.AbortRequested) break;
        const std::string& source = plan_.items[i].source;
        std::string target = TargetPathOf(st.TargetRoot, source);
        const Folder folder = MakeTargetFolder(FolderPart(target), FolderPart(source));
        std::vector<std::string> lines_before = std::move(folder_lines_);
        folder_lines_.clear();
        if (folder != Folder::Ready && folder != Folder::Refused) {
            take_all();
            for (const auto& line : lines_before) log_.WriteLine(line);
        }
        switch (folder) {
            case Folder::TargetFailed:
                return Next::EndRun;
            case Folder::NotAnswering:
                result_.target_not_answering = true;
                Failed(target, false, -1, _("de doeldrive antwoordt niet meer"));
                return Next::EndRun;
            case Folder::Refused:
                in_hand.push_back({i, std::move(target), true, std::move(lines_before)});
                break;
            case Folder::Ready: {
                fs::CopyRequest request;
                request.compressed = WantedCompression(st, source, plan_.target.compresses);
                request.expect_new = !plan_.items[i].update;
                request.folder = folder_handle_;
                request.keep_old_as = plan_.versions.Keeps() ? KeepPathFor(target) : "";
                request.flushed_at_checkpoints = flush_by_folder_;
                pool.Submit(i, [request, from = fs::Drives().ToNative(source),
                                to = fs::Drives().ToNative(target)] {
                    return fs::CopyOneFileNative(from, to, request);
                });
                observer_.FileStarted(target);
                in_hand.push_back({i, std::move(target), false, std::move(lines_before)});
                break;
            }
        }
        // A few copies handed in ahead: the copying threads never wait for
        // the next, and this one is woken for several at once.
        while (in_hand.size() > static_cast<size_t>(workers) + kCopiesAhead)
            if (take_first() == Next::EndRun) {
                take_all();
                return Next::EndRun;
            }
    }
    return take_all();
}

// As many copies side by side as the target does well with: one on a drive
// that may stop answering (each copy runs under its watch), on an optical
// drive and on a rotational disk, a few on solid state, memory and the like.
int CopyRun::Workers() {
    auto& st = state_;
    if (st.Ini.CopyWorkers.value_or(0) > 0) return *st.Ini.CopyWorkers;
    if (plan_.items.size() < 2 || plan_.target.is_cd || step_.SlowDrive(st.TargetRoot)) return 1;
    auto root = fs::Drives().ToNative(st.TargetRoot);
    if (!root || fs::IsOnRotationalDisk(*root)) return 1;
    return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 2, 4);
}

CopyRun::Next CopyRun::CopyOne(const CopyItem& item) {
    auto& st = state_;
    const std::string& source = item.source;
    const std::string target = TargetPathOf(st.TargetRoot, source);
    if (st.AbortRequested) return Next::Stop;
    const std::string target_dir = FolderPart(target);
    switch (MakeTargetFolder(target_dir, FolderPart(source))) {
        case Folder::TargetFailed:
            return Next::EndRun;
        case Folder::Refused:
            Failed(target, false, -1, _("de map kon op de doeldrive niet worden gemaakt"));
            return Next::Go;
        case Folder::NotAnswering:
            result_.target_not_answering = true;
            Failed(target, false, -1, _("de doeldrive antwoordt niet meer"));
            return Next::EndRun;
        case Folder::Ready:
            break;
    }
    step_.KopieerBestand(source, target, !item.update, folder_handle_,
                         plan_.versions.Keeps() ? KeepPathFor(target) : "");
    Next next = Finish(source, target, step_.LastOutcome());
    fs::ProcessPendingMessages();  // the window shows how the copy ended
    return next;
}

// What a copy came to, reported: the log, the lamps, the remarks.
CopyRun::Next CopyRun::Finish(const std::string& source, const std::string& target,
                              const fs::CopyOutcome& outcome) {
    auto& st = state_;
    const bool ok = outcome.Ok();
    // The copy tells whether the target stood there and how large the source
    // was: one look at each instead of one more for each question. A copy
    // that failed may have stopped before it looked: then look now (never at
    // a drive that stopped answering).
    const bool hung = outcome.failure == fs::CopyFailure::NotAnswering;
    bool existed = ok || hung ? outcome.target_existed : IsFile(target);
    const std::int64_t size = ok || hung ? outcome.source_size : fs::FileSizeOf(source);
    if (ok) {
        done_since_checkpoint_.push_back(target);
        bytes_since_checkpoint_ += outcome.source_size;
        Copied(source, target, existed, outcome);
        return Next::Go;
    }
    if (hung) {
        // Which side hung: a source on a network or FUSE drive may as well.
        char letter = TargetLetter(st);
        result_.target_not_answering = letter && fs::Drives().Info(letter).slow;
        Failed(target, existed, size,
               result_.target_not_answering ? _("de doeldrive antwoordt niet meer")
                                            : _("de bron antwoordt niet meer"));
        return Next::EndRun;
    }
    Failed(target, existed, size, FailureReason(outcome),
           outcome.failure == fs::CopyFailure::NoRoom);
    if (outcome.failure == fs::CopyFailure::Cancelled) return Next::Stop;
    return Next::Go;
}

bool CopyRun::BelowRefusedFolder(const std::string& folder) const {
    for (const auto& refused : refused_folders_)
        if (folder == refused || folder.rfind(refused + "\\", 0) == 0) return true;
    return false;
}

namespace {

// The target itself failing (gone, full, read-only, its medium) ends the run;
// a folder it will not make ends only what lies below that folder.
bool TargetItselfFails(const AppState& state, int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EROFS:
        case EIO:
        case ENODEV:
        case ENXIO:
        case ENOTCONN:
            return true;
        default: {
            char letter = TargetLetter(state);
            return !letter || !fs::IsDriveReady(letter);
        }
    }
}

}  // namespace

std::string CopyRun::FailureReason(const fs::CopyOutcome& outcome) const {
    using Failure = fs::CopyFailure;
    const int e = outcome.error_number;
    if (outcome.failure == Failure::NotAnswering) return _("de doeldrive antwoordt niet meer");
    if (outcome.failure == Failure::Cancelled) return _("gestopt");
    char letter = TargetLetter(state_);
    if (outcome.failure != Failure::SourceMissing && (!letter || !fs::IsDriveReady(letter)))
        return _("de doeldrive is niet meer aanwezig");
    if (outcome.failure == Failure::SourceChanged)
        return _("de bron veranderde tijdens het kopieren; de volgende keer wordt hij gekopieerd");
    if (outcome.failure == Failure::SourceMissing)
        return e == ENOENT ? _("de bron is er niet meer")
                           : _("de bron is niet leesbaar: ") + std::string(std::strerror(e));
    return ErrorReason(e);
}

namespace {

struct PreparedFolder {
    bool ready = false, made = false;
    int error = 0;
};

// Native paths only, so that it may run on a thread of its own: every
// missing level made from the top down, then what a killed run left there
// removed before the first file is written.
PreparedFolder PrepareFolder(const std::vector<std::string>& levels,
                             const std::optional<std::string>& source, bool clean) {
    PreparedFolder out;
    if (levels.empty()) {
        out.error = ENOENT;
        return out;
    }
    if (!IsNativeFolder(levels.back())) {
        out.error = MakeNativeLevels(levels);
        out.made = IsNativeFolder(levels.back());
        if (!out.made) return out;
    }
    out.ready = true;
    if (clean) RemoveLeftoverTempsNative(levels.back(), source);
    return out;
}

}  // namespace

CopyRun::Folder CopyRun::MakeTargetFolder(const std::string& folder,
                                          const std::string& source_folder) {
    auto& st = state_;
    // The lines of one folder follow each other: it is looked at once for them.
    if (folder == last_folder_) return Folder::Ready;
    if (BelowRefusedFolder(folder)) return Folder::Refused;
    auto prepared = OnTarget<PreparedFolder>(
        [levels = NativeLevels(folder), source = fs::Drives().ToNative(source_folder),
         clean = cleaned_.count(folder) == 0] { return PrepareFolder(levels, source, clean); });
    if (!prepared) return Folder::NotAnswering;
    if (!prepared->ready) {
        fs::ProcessPendingMessages();
        if (!TargetItselfFails(st, prepared->error)) {
            refused_folders_.push_back(folder);
            remarks_.push_back(_("Map niet gemaakt ") + folder + ": " +
                               ErrorReason(prepared->error));
            return Folder::Refused;
        }
        st.Ui.ToonMelding(_("Fout ") + folder + _(" is niet gemaakt, programma stopt!"));
        st.AbortRequested = true;
        result_.folder_not_made = folder;
        return Folder::TargetFailed;
    }
    if (prepared->made) {
        fs::ProcessPendingMessages();
        ++folders_made_;
        // Side by side, the line waits for the copies before it.
        if (defer_folder_lines_)
            folder_lines_.push_back(_("Map gemaakt ") + folder);
        else
            log_.WriteLine(_("Map gemaakt ") + folder);
        observer_.FolderMade(folder);
    }
    cleaned_.insert(folder);
    written_folders_.insert(folder);
    last_folder_ = folder;
    // Opened once for the copies into it; where it may stop answering, each
    // copy opens it on its watched thread instead.
    folder_handle_.reset();
    if (!step_.SlowDrive(st.TargetRoot))
        if (auto native = fs::Drives().ToNative(folder))
            folder_handle_ = fs::TargetFolder::Open(*native);
    return Folder::Ready;
}

void CopyRun::Copied(const std::string& source, const std::string& target, bool existed,
                     const fs::CopyOutcome& outcome) {
    const std::int64_t size = outcome.source_size;
    auto& st = state_;
    ++result_.updated;
    versions_kept_ += outcome.kept_old;
    observer_.FileDone(target, size, existed ? CopyEnd::Updated : CopyEnd::Copied);
    if (existed) {
        log_.WriteLine(_("Bijgewerkt: ") + target);
        ++files_updated_;
    } else {
        log_.WriteLine(_("Kopie gemaakt: ") + target);
        ++files_copied_;
    }
    if (const char* remark = CheckRemark(VerifyCopied(st, plan_.target, source, target, outcome),
                                         plan_.target.is_cd))
        remarks_.push_back(remark + target);
    copied_ += size;
    observer_.CopyProgress(copied_, plan_.bytes_to_copy, st.Ui.NowMs() - run_start_ms_);
}

void CopyRun::Failed(const std::string& target, bool existed, std::int64_t size,
                     const std::string& reason, bool no_room) {
    ++failed_;
    observer_.FileDone(target, size, CopyEnd::Failed);
    // The old copy stays when an update fails; the remark says why when the
    // target is full, since the user can do something about that.
    if (no_room)
        remarks_.push_back((existed ? _("Niet bijgewerkt, doeldrive vol: ")
                                    : _("Niet gekopieerd, doeldrive vol: ")) +
                           target);
    else
        remarks_.push_back((existed ? _("Niet bijgewerkt ") : _("Niet gekopieerd ")) + target +
                           ": " + reason);
}

void CopyRun::ReportPassedOver() {
    using Why = PassedOverEntry::Why;
    for (const auto& entry : plan_.passed_over) {
        // A FIFO or socket holds no data: named in the log, not an error.
        if (entry.why == Why::NotARegularFile)
            log_.WriteLine(PassedOverLine(entry));
        else
            remarks_.push_back(PassedOverLine(entry));
    }
}

void CopyRun::MakeEmptyFolders() {
    if (plan_.empty_folders.empty()) return;
    observer_.Say(_("Aanmaken van lege mappen..."));
    for (size_t i = 0; i < plan_.empty_folders.size(); ++i) {
        const std::string folder = plan_.empty_folders[i];
        std::optional<PreparedFolder> prepared;
        if (!result_.target_not_answering) {
            prepared = OnTarget<PreparedFolder>(
                [levels = NativeLevels(folder)] { return PrepareFolder(levels, {}, false); });
        }
        if (prepared && prepared->ready) {
            written_folders_.insert(folder);
            ++folders_made_;
            ++result_.updated;
            log_.WriteLine(_("Lege map gemaakt ") + folder);
            observer_.FolderMade(folder);
        } else {
            remarks_.push_back(_("Lege map niet gemaakt ") + folder);
        }
        fs::ProcessPendingMessages();
    }
}

// "Done" means the data is on the medium: a stick may be pulled out right after.
// Where a sync of the file system does not reach the medium (FUSE, network
// drives), each copy was synced before its rename; the names the run gave
// (its folders' entries, up to the root) are synced here, folder by folder.
std::vector<std::string> CopyRun::FoldersToSyncOneByOne() {
    if (!step_.SlowDrive(state_.TargetRoot)) return {};
    std::set<std::string> folders;
    for (std::string folder : written_folders_) {
        while (folder.size() > 3 && folders.insert(folder).second)
            folder = folder.substr(0, std::max<size_t>(folder.rfind('\\'), 3));
        folders.insert(state_.TargetRoot);
    }
    std::vector<std::string> natives;
    for (const auto& folder : folders)
        if (auto native = fs::Drives().ToNative(folder)) natives.push_back(std::move(*native));
    return natives;
}

bool CopyRun::FlushTarget() {
    if (result_.target_not_answering) return false;  // a flush would hang as the copy did
    auto root = fs::Drives().ToNative(state_.TargetRoot);
    auto error = OnTarget<int>([root, folders = FoldersToSyncOneByOne()] {
        if (int failed = SyncFileSystemOf(root)) return failed;
        for (const auto& folder : folders) {
            fs::UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (!dir || ::fsync(dir.Get()) != 0) return errno;
        }
        return 0;
    });
    if (!error || *error) {
        remarks_.push_back(
            Printf(_("Gegevens niet bevestigd op de doeldrive %s: %s"), state_.TargetRoot.c_str(),
                   error ? std::strerror(*error) : _("de doeldrive antwoordt niet meer")));
        return false;
    }
    return true;
}

void CopyRun::WriteRemarks() {
    if (remarks_.empty()) return;
    log_.WriteLine(" ");
    log_.WriteLine(_("-> Begin fouten/opmerkingenlijst"));
    for (const auto& remark : remarks_) log_.WriteLine(remark);
    log_.WriteLine(_("-> Eind fouten/opmerkingenlijst"));
    log_.WriteLine(" ");
}

std::string CopyRun::KeepPathFor(const std::string& target) const {
    if (plan_.versions.run_folder.empty()) return {};
    return fs::Drives()
        .ToNative(VersionPathOf(state_.TargetRoot, plan_.versions.run_folder, target))
        .value_or("");
}

// What left the source leaves the copy: moved among this run's versions,
// never deleted. One that cannot be moved stays, and is said.
void CopyRun::MoveRemovedFromSource() {
    for (const auto& target : plan_.removed) {
        if (state_.AbortRequested || result_.target_not_answering) return;
        auto from = fs::Drives().ToNative(target);
        const std::string to = KeepPathFor(target);
        auto error = OnTarget<int>([from, to] { return from ? fs::MoveAside(*from, to) : ENOENT; });
        if (!error) return;
        if (*error == 0) {
            ++moved_aside_;
            log_.WriteLine(_("Naar de versies verplaatst: ") + target);
        } else {
            remarks_.push_back(
                Printf(_("Niet naar de versies verplaatst (%s): "), std::strerror(*error)) +
                target);
        }
    }
}

void CopyRun::SayWhatWasKept() {
    if (versions_kept_ == 0 && moved_aside_ == 0) return;
    log_.WriteLine(
        Printf(_("Bewaard in %s: %lld vervangen en %lld verplaatste bestanden of mappen."),
               (VersionsRoot(state_.TargetRoot) + plan_.versions.run_folder).c_str(),
               static_cast<long long>(versions_kept_), static_cast<long long>(moved_aside_)));
}

void CopyRun::Complete() {
    auto& st = state_;
    MoveRemovedFromSource();
    MakeEmptyFolders();
    if (auto work = FoldersCompressionWork(st, plan_.compress);
        work && !result_.target_not_answering)
        OnTarget<bool>([work] {
            work();
            return true;
        });
    CloseJournal(FlushTarget());
    auto line = [](const char* label, std::int64_t count) {
        return std::string(label) + "\t" + std::to_string(count);
    };
    result_.summary =
        line(_("Bestanden bijgewerkt:       "), files_updated_) + "\r" +
        line(_("Bestanden gekopieerd:       "), files_copied_) + "\r" +
        line(_("Mappen aangemaakt:          "), folders_made_) + "\r" +
        line(_("Fouten/Opmerkingen . . . . ."), static_cast<std::int64_t>(remarks_.size()));
    log_.WriteLine(" ");
    log_.WriteLine(_("Samenvatting"));
    log_.WriteLine(result_.summary);
    log_.WriteLine(" ");
    SayWhatWasKept();
    WriteRemarks();
}

}  // namespace vaultor
