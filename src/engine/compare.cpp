#include "engine/compare.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "engine/removed_from_source.h"
#include "engine/walk.h"
#include "fs/case_probe.h"
#include "fs/compression.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/file_dates.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "fs/time_text.h"
#include "fs/unique_fd.h"
#include "target/drive_box.h"
#include "target/target_path.h"

namespace vaultor {
namespace {

using Why = PassedOverEntry::Why;

std::optional<struct stat> StatFile(const std::string& path) {
    auto native = fs::Drives().ToNative(path);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return st;
}

}  // namespace

bool SameDate(const AppState& state, const TargetFacts& facts, std::time_t source,
              std::time_t target, bool minutes_only) {
    // Within the DOS range this is the comparison of the packed values (or the
    // texts, to the minute): the same two-second step. Outside it a copy holds
    // the source's date or what the target made of it; a driver may show the
    // one until it is mounted again and the other after.
    const std::int64_t got = fs::DateStep(target, minutes_only);
    auto matches = [&](std::time_t expected) {
        if (fs::DateStep(expected, minutes_only) == got) return true;
        constexpr std::time_t kHour = 3600;
        return state.Ini.IgnoreTimeShift.value_or(false) &&
               (fs::DateStep(expected + kHour, minutes_only) == got ||
                fs::DateStep(expected - kHour, minutes_only) == got);
    };
    return matches(source) || matches(facts.dates.Stored(source));
}

std::string DriveFolderOf(const AppState& state, const std::string& folder) {
    return DriveFolderFor(state.TargetRoot, folder.empty() ? '?' : folder[0]);
}

CopyCheck VerifySizeAndDate(const AppState& state, const TargetFacts& target_facts,
                            const std::string& source, const std::string& target) {
    auto tgt = StatFile(target);
    if (!tgt) return CopyCheck::NoCopy;
    auto src = StatFile(source);
    UpToDateFacts facts;
    facts.source_seen = src.has_value();  // no source left: a date no copy can have
    facts.source_size = src ? src->st_size : 0;
    facts.source_mtime = src ? src->st_mtim.tv_sec : 0;
    facts.target_size = tgt->st_size;
    facts.target_mtime = tgt->st_mtim.tv_sec;
    return VerifyFacts(state, target_facts, source, target, facts);
}

CopyCheck VerifyCopied(const AppState& state, const TargetFacts& target_facts,
                       const std::string& source, const std::string& target,
                       const fs::CopyOutcome& copy) {
    if (!copy.target_seen) return CopyCheck::NoCopy;
    UpToDateFacts facts;
    facts.source_size = copy.source_size;
    facts.source_mtime = copy.source_mtime;
    facts.target_size = copy.target_size;
    facts.target_mtime = copy.target_mtime;
    facts.target_compressed = copy.target_compressed;
    facts.compression_possible = target_facts.compresses;
    return VerifyFacts(state, target_facts, source, target, facts);
}

CopyCheck VerifyFacts(const AppState& state, const TargetFacts& target_facts,
                      const std::string& source, const std::string& target,
                      const UpToDateFacts& facts) {
    auto copy_compressed = [&] {
        return facts.target_compressed ? *facts.target_compressed : fs::IsFileCompressed(target);
    };
    const bool date_differs =
        !facts.source_seen ||
        !SameDate(state, target_facts, facts.source_mtime, facts.target_mtime, facts.minutes_only);
    const bool size_differs = facts.source_size != facts.target_size;
    if (date_differs && size_differs) return CopyCheck::DateAndSizeDiffer;
    if (date_differs) return CopyCheck::DateDiffers;
    if (size_differs) return CopyCheck::SizeDiffers;
    const bool compression_possible = facts.compression_possible
                                          ? *facts.compression_possible
                                          : !target.empty() && fs::SupportsCompression(target[0]);
    if (compression_possible) {
        if (state.Ini.MirrorCompression && !state.Ini.AlwaysCompress &&
            fs::IsFileCompressed(source) != copy_compressed())
            return CopyCheck::CompressionDiffers;
        if (state.Ini.AlwaysCompress && !copy_compressed()) return CopyCheck::NotCompressed;
    }
    return CopyCheck::UpToDate;
}

std::int64_t Comparer::MaxFileSize() {
    if (!max_file_size_) {
        char letter = state_.TargetRoot.empty() ? 0 : state_.TargetRoot[0];
        max_file_size_ = fs::GetMaxFileSize(letter);
    }
    return *max_file_size_;
}

void Comparer::Log(const std::string& line) {
    if (log_) log_->WriteLine(line);
}

// A copy's folder that is a link, or lies below one, is passed over whole:
// nothing is written or moved through it. Said once per link.
bool Comparer::BehindLink(const std::optional<std::string>& native) {
    if (!native) return false;
    if (!links_) links_.emplace(fs::Drives().ToNative(state_.TargetRoot).value_or(""));
    std::string link;
    switch (links_->Look(*native, &link)) {
        case TargetLinkGuard::Finding::None:
            return false;
        case TargetLinkGuard::Finding::Link:
            PassOver(plan_, log_, Why::TargetFolderIsLink, fs::Drives().ToLetterPath(link));
            return true;
        case TargetLinkGuard::Finding::BelowKnownLink:
            return true;
    }
    return false;
}

// The compression the folder's copy should have, as the options ask.
void Comparer::Compression(const std::string& folder, const std::string& drive_folder,
                           const std::string& target_folder) {
    const auto& options = state_.Ini;
    if (!options.MirrorCompression && !options.AlwaysCompress) return;
    if (!plan_.target.compresses) return;
    if (options.AlwaysCompress) {
        if (plan_.compress.empty())
            plan_.compress.push_back("+" + fs::StripTrailingBackslash(drive_folder));
        plan_.compress.push_back("+" + target_folder);
        plan_.compression_work = true;
        return;
    }
    bool source_compressed = fs::IsFileCompressed(folder);
    plan_.compress.push_back((source_compressed ? "+" : "-") + target_folder);
    if (!plan_.compression_work)
        plan_.compression_work = source_compressed != fs::IsFileCompressed(target_folder);
}

void Comparer::CompareCalcSize(const std::string& folder, const std::vector<ListedEntry>* listed,
                               const std::vector<std::string>* folders) {
    auto& plan = plan_;
    const bool cd = plan.target.is_cd;
    const std::string drive_folder = DriveFolderOf(state_, folder);
    std::string rel = folder.size() > 3 ? folder.substr(3) : std::string();
    const bool make_empty =
        state_.Ini.CreateEmptyFolders && (!cd || !state_.Ini.NoEmptyFoldersOnCdrw);
    const std::string target_folder = drive_folder + rel;
    // The folder's native path, once: the link check and the comparison use it.
    const auto target_native = fs::Drives().ToNative(target_folder);
    if (BehindLink(target_native)) {
        observer_.FolderCompared();
        return;
    }
    const bool compression = plan.target.compresses;
    Compression(folder, drive_folder, target_folder);

    std::vector<ListedEntry> own;
    if (!listed) {
        auto native = fs::Drives().ToNative(folder);
        if (native) own = ListFiles(*native);
        listed = &own;
    }
    // What cannot be backed up is said once; the files are then compared.
    std::vector<std::string> twins;
    if (plan.target.folds_case) {
        std::vector<std::string> names;
        for (const auto& entry : *listed) names.push_back(entry.name);
        twins = CaseTwinsLeftOut(true, names);
    }
    std::vector<const ListedEntry*> files;
    for (const auto& entry : *listed) {
        auto letter = [&] { return fs::StripTrailingBackslash(folder) + "\\" + entry.name; };
        if (!WritableName(entry.name.c_str()))
            PassOver(plan, log_, Why::UnwritableName, letter());
        else if (std::find(twins.begin(), twins.end(), entry.name) != twins.end())
            PassOver(plan, log_, Why::CaseTwin, letter());
        else if (entry.link && entry.st.st_mode == 0)
            PassOver(plan, log_, Why::DanglingLink, letter());
        else if (!S_ISREG(entry.st.st_mode))  // FIFO, socket, device: nothing to back up
            PassOver(plan, log_, Why::NotARegularFile, letter());
        // Said before anything is written, and left out of the room it needs.
        else if (entry.st.st_size > MaxFileSize())
            PassOver(plan, log_, Why::TooLargeForTarget, letter());
        else
            files.push_back(&entry);
    }
    if (make_empty && listed->empty() && !fs::IsDirectory(target_folder)) {
        Log(_("Map niet aanwezig ") + target_folder);
        plan.empty_folders.push_back(target_folder);
        ++plan.changes;
    }
    if (collect_ && folders && plan.versions.move_deleted)
        FindRemovedFromSource(target_folder, *listed, *folders, plan);
    std::string target_prefix = rel.empty() ? drive_folder : target_folder + "\\";
    std::string source_prefix = fs::StripTrailingBackslash(folder) + "\\";
    // One open of the target folder, then one query per file by name in it.
    fs::UniqueFd target_dir(target_native && !files.empty()
                                ? ::open(target_native->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                : -1);
    for (const ListedEntry* file_entry : files) {
        const ListedEntry& file = *file_entry;
        const std::string src = source_prefix + file.name, tgt = target_prefix + file.name;
        const std::int64_t size_src = file.st.st_size;
        struct stat target_st {};
        bool present = target_dir &&
                       ::fstatat(target_dir.Get(), file.name.c_str(), &target_st, 0) == 0 &&
                       S_ISREG(target_st.st_mode);
        std::int64_t size_tgt = 0;
        bool differs = true;
        if (present) {
            size_tgt = target_st.st_size;
            UpToDateFacts facts;
            facts.source_size = size_src;
            facts.source_mtime = file.st.st_mtim.tv_sec;
            facts.target_size = size_tgt;
            facts.target_mtime = target_st.st_mtim.tv_sec;
            facts.minutes_only = cd;
            facts.compression_possible = compression;
            // What an interrupted run had in hand may look whole and not be.
            differs = VerifyFacts(state_, plan.target, src, tgt, facts) != CopyCheck::UpToDate ||
                      (collect_ && plan.interrupted.count(tgt) != 0);
            // An old copy kept among the versions stays on the target.
            if (differs && plan.versions.Keeps()) {
                plan.space_growth += size_src;
                size_tgt = 0;
            } else if (differs) {
                plan.largest_replaced = std::max(plan.largest_replaced, size_tgt);
                plan.space_growth += std::max<std::int64_t>(size_src - size_tgt, 0);
            }
            if (differs) Log(_("Veranderd ") + tgt);
        } else {
            Log(_("Niet aanwezig ") + tgt);
            plan.space_growth += size_src;
        }
        observer_.FileCompared(size_src, present, differs);
        if (present && !differs && up_to_date_) up_to_date_(src, size_src);
        if (differs) {
            ++plan.changes;
            if (collect_) {
                plan.items.push_back({src, size_src, present});
                plan.bytes_to_copy += size_src;
            }
        }
        plan.space_needed += size_src - size_tgt;
        compared_ += size_src;
        observer_.CheckProgress(compared_, percent_base_);
        pump_(state_.Ui);
    }
    observer_.FolderCompared();
}

void CompareListFolders(AppState& state, const std::vector<std::string>& roots, Comparer& comparer,
                        CopyPlan& plan, LogFile* log, RunObserver& observer) {
    Walker walker(state, log, observer, &plan,
                  [&](const std::string& folder, const WalkListing& listing) {
                      // Only a folder read whole tells what left the source.
                      comparer.CompareCalcSize(folder, &listing.entries,
                                               listing.complete ? &listing.folders : nullptr);
                  });
    for (const auto& root : roots) {
        // A listed folder that is not there (its drive not plugged in) is not
        // backed up: said, never passed over in silence.
        if (!fs::IsDirectory(root)) {
            PassOver(plan, log, Why::FolderNotPresent, root);
            continue;
        }
        walker.FillDirTree(root, wmCompare);
        fs::ProcessPendingMessages();
    }
}

TargetFacts ProbeTarget(const AppState& state) {
    TargetFacts facts;
    const char letter = TargetLetter(state);
    facts.dates = fs::TargetDates::ProbeDrive(letter);
    facts.folds_case = fs::DriveFoldsCase(letter);
    facts.is_cd = letter && fs::GetDriveKind(letter) == fs::drive_kind::kOptical;
    facts.compresses = letter && fs::SupportsCompression(letter);
    return facts;
}

}  // namespace vaultor
