#include "engine/walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <set>
#include <unordered_map>

#include "engine/listing_prefetch.h"
#include "fs/case_probe.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/folder_listing.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "fs/size_text.h"

namespace vaultor {
namespace {

using DirPtr = std::unique_ptr<DIR, int (*)(DIR*)>;

DirPtr OpenDir(const std::string& native, bool follow = false) {
    int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | (follow ? 0 : O_NOFOLLOW) | O_CLOEXEC);
    if (fd < 0) return DirPtr(nullptr, ::closedir);
    DIR* dir = ::fdopendir(fd);
    if (!dir) ::close(fd);
    return DirPtr(dir, ::closedir);
}

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

std::string Join(const std::string& folder, const std::string& name, char separator) {
    if (!folder.empty() && folder.back() == separator) return folder + name;
    return folder + separator + name;
}

}  // namespace

std::string WalkRootOf(const std::string& list_line) {
    if (list_line.size() == 3 && list_line[1] == ':') return list_line.substr(0, 2);
    return list_line;
}

namespace {

// The walk follows a listed folder that is a link, but no link below it: a
// line below another line is covered only when no link lies between them.
bool LinkBetween(const std::string& upper, const std::string& lower) {
    for (size_t at = upper.size() + 1; at <= lower.size(); ++at) {
        if (at != lower.size() && lower[at] != '\\') continue;
        auto native = fs::Drives().ToNative(lower.substr(0, at));
        struct stat st {};
        if (native && ::lstat(native->c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return true;
    }
    return false;
}

// The listed folder above `root` that already walks everything of it, if any.
bool CoveredByAnother(const std::string& root, const std::set<std::string>& roots) {
    for (size_t cut = root.rfind('\\'); cut != std::string::npos && cut >= 2;
         cut = cut == 2 ? std::string::npos : root.rfind('\\', cut - 1)) {
        std::string upper = root.substr(0, cut);  // "D:" for the drive root
        if (roots.count(upper) && !LinkBetween(upper, root)) return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> WalkRootsOf(const std::vector<std::string>& list_lines) {
    std::vector<std::string> roots;
    for (const auto& line : list_lines) roots.push_back(WalkRootOf(line));
    const std::set<std::string> all(roots.begin(), roots.end());
    std::set<std::string> seen;
    std::vector<std::string> kept;
    for (const auto& root : roots)
        if (seen.insert(root).second && !CoveredByAnother(root, all)) kept.push_back(root);
    return kept;
}

std::vector<std::string> CaseTwinsLeftOut(bool target_folds_case,
                                          const std::vector<std::string>& names) {
    std::vector<std::string> left_out;
    if (!target_folds_case) return left_out;
    std::unordered_map<std::string, std::string> first;  // folded name: the one kept
    for (const auto& name : names) {
        std::string& kept = first[fs::FoldedName(name)];
        if (kept.empty() || name < kept) kept = name;
    }
    for (const auto& name : names)
        if (first[fs::FoldedName(name)] != name) left_out.push_back(name);
    return left_out;
}

Walker::Walker(AppState& state, LogFile* log, RunObserver& observer, CopyPlan* plan,
               CompareFolder compare)
    : state_(state), log_(log), observer_(observer), plan_(plan), compare_(std::move(compare)) {
    for (const auto& m : fs::Drives().Mounts())
        if (m.pseudo) fence_.pseudo_devices.push_back(m.devno);
    FindFencedFolders();
}

void Walker::FindFencedFolders() {
    auto root = fs::Drives().ToNative(state_.TargetRoot);
    if (state_.TargetRoot.empty() || !root) return;
    // A target that does not answer must not hang the walk: the readiness
    // query has a time limit, reading the folder has none.
    char letter = fs::NormaliseLetter(state_.TargetRoot[0]);
    if (!letter || !fs::IsDriveReady(letter)) return;
    struct stat st {};
    if (::stat(root->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    fence_.fenced.emplace_back(st.st_dev, st.st_ino);
    DirPtr dir = OpenDir(*root);
    if (!dir) return;
    while (const dirent* e = ::readdir(dir.get())) {
        if (std::string(e->d_name).rfind("Vaultor_Drive ", 0) != 0) continue;
        struct stat f {};
        if (::fstatat(::dirfd(dir.get()), e->d_name, &f, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(f.st_mode))
            fence_.fenced.emplace_back(f.st_dev, f.st_ino);
    }
}

bool Walker::InsideADriveFolder(const std::string& native) const {
    const auto& fenced = fence_.fenced;
    if (fenced.size() <= 1) return false;  // [0] is the target's root itself
    std::string path = native;
    while (!path.empty()) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 &&
            std::find(fenced.begin() + 1, fenced.end(), std::make_pair(st.st_dev, st.st_ino)) !=
                fenced.end())
            return true;
        size_t slash = path.rfind('/');
        if (slash == std::string::npos || path == "/") break;
        path = slash == 0 ? "/" : path.substr(0, slash);
    }
    return false;
}

bool WalkFence::MayEnter(const struct stat& st) const {
    if (std::find(pseudo_devices.begin(), pseudo_devices.end(), st.st_dev) != pseudo_devices.end())
        return false;
    return std::find(fenced.begin(), fenced.end(), std::make_pair(st.st_dev, st.st_ino)) ==
           fenced.end();
}

namespace {

// Classifies one entry that is not a folder. A link to a file is backed up as
// the file it points to; a link to a folder is never followed (nullopt).
std::optional<ListedEntry> FileEntry(int dir_fd, const char* name, const struct stat& lst) {
    ListedEntry entry{name, lst, false};
    if (S_ISLNK(lst.st_mode)) {
        entry.link = true;
        if (::fstatat(dir_fd, name, &entry.st, 0) != 0)
            entry.st.st_mode = 0;  // dangling
        else if (S_ISDIR(entry.st.st_mode))
            return std::nullopt;
    }
    return entry;
}

}  // namespace

namespace {

// Reads a folder once: each subfolder's status to on_folder, each other entry
// (links resolved) to on_file. False when the folder cannot be read; an entry
// that is there but cannot be looked at (a folder without search permission,
// a failing medium) leaves *complete false.
template <typename OnFolder, typename OnFile>
bool ReadFolder(const std::string& native, bool follow, OnFolder on_folder, OnFile on_file,
                bool* complete = nullptr) {
    DirPtr dir = OpenDir(native, follow);
    if (!dir) return false;
    int fd = ::dirfd(dir.get());
    // readdir ends a folder and fails it the same way; errno tells which.
    for (errno = 0; const dirent* e = ::readdir(dir.get()); errno = 0) {
        if (IsDotOrDotDot(e->d_name)) continue;
        struct stat st {};
        if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT && complete) *complete = false;  // gone: counts 0
            continue;
        }
        if (S_ISDIR(st.st_mode))
            on_folder(e->d_name, st);
        else if (auto entry = FileEntry(fd, e->d_name, st))
            on_file(std::move(*entry));
    }
    return errno == 0;
}

}  // namespace

std::vector<ListedEntry> ListFiles(const std::string& native) {
    std::vector<ListedEntry> out;
    ReadFolder(
        native, true, [](const char*, const struct stat&) {},
        [&](ListedEntry&& entry) { out.push_back(std::move(entry)); });
    return out;
}

Walker::Listing Walker::List(const std::string& native, bool follow, bool keep_entries) {
    return ListForWalk(native, fence_, follow, keep_entries);
}

WalkListing ListForWalk(const std::string& native, const WalkFence& fence, bool follow,
                        bool keep_entries) {
    WalkListing out;
    out.readable = ReadFolder(
        native, follow,
        [&](const char* name, const struct stat& st) {
            if (fence.MayEnter(st)) out.folders.emplace_back(name);
        },
        [&](ListedEntry&& entry) {
            if (S_ISREG(entry.st.st_mode)) {
                out.file_bytes += entry.st.st_size;
                out.has_files = true;
            }
            if (keep_entries) out.entries.push_back(std::move(entry));
        },
        &out.complete);
    return out;
}

void Walker::Act(const std::string& letter, const Listing& listing, WalkMode mode, bool root) {
    const std::int64_t bytes = listing.file_bytes;
    switch (mode) {
        case wmLog:
            state_.TotalBytes += bytes;
            if (log_)
                log_->WriteLine(letter + " " +
                                (root ? fs::FormatKB(bytes) : fs::KiesFormaatStr(bytes)));
            if (!root) observer_.Status(_("Berekenen pad: ") + letter);
            break;
        case wmTotal:
            if (!root) observer_.Status(_("Berekenen totaal: ") + letter);
            state_.TotalBytes += bytes;
            break;
        case wmCompare:
            if (!root) observer_.Status(_("Vergelijken: ") + letter);
            // What could not be read is not backed up, and is said: a folder
            // the walk cannot read is never taken for an empty one.
            if (!listing.readable) {
                PassOver(PassedOverEntry::Why::FolderUnreadable, letter);
                break;
            }
            // What it could read is compared; what it could not is said.
            if (!listing.complete) PassOver(PassedOverEntry::Why::FolderUnreadable, letter);
            if (compare_) compare_(letter, listing);
            break;
    }
}

bool WritableName(const char* name) {
    for (const char* c = name; *c; ++c)
        if (*c == '\\' || *c == '\r' || *c == '\n') return false;
    return true;
}

std::string PassedOverLine(const PassedOverEntry& entry) {
    using Why = PassedOverEntry::Why;
    std::string shown = entry.path;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    switch (entry.why) {
        case Why::NotARegularFile:
            return _("Overgeslagen, geen gewoon bestand: ") + shown;
        case Why::UnwritableName:
            return _("Overgeslagen, naam niet te schrijven: ") + shown;
        case Why::DanglingLink:
            return _("Verwijzing naar een bestand dat er niet is: ") + shown;
        case Why::FolderNotPresent:
            return _("Overgeslagen, map niet aanwezig: ") + shown;
        case Why::FolderUnreadable:
            return _("Overgeslagen, map niet leesbaar: ") + shown;
        case Why::CaseTwin:
            return _("Niet gekopieerd, de doeldrive kent geen verschil in hoofdletters met een "
                     "naam ernaast: ") +
                   shown;
        case Why::TooLargeForTarget:
            return _("Niet gekopieerd, te groot voor het bestandssysteem van de doeldrive: ") +
                   shown;
        case Why::TargetFolderIsLink:
            return _("Niet gekopieerd, deze map op de doeldrive is een koppeling naar elders: ") +
                   shown;
    }
    return shown;
}

void PassOver(CopyPlan& plan, LogFile* log, PassedOverEntry::Why why,
              const std::string& letter_path) {
    plan.passed_over.push_back({why, letter_path});
    if (why != PassedOverEntry::Why::NotARegularFile && log)
        log->WriteLine(PassedOverLine(plan.passed_over.back()));
}

void Walker::PassOver(PassedOverEntry::Why why, const std::string& letter_path) {
    if (plan_) vaultor::PassOver(*plan_, log_, why, letter_path);
}

std::vector<std::string> FoldersToEnter(const WalkListing& listing, WalkMode mode,
                                        bool target_folds_case) {
    const std::vector<std::string> twins =
        mode == wmCompare ? CaseTwinsLeftOut(target_folds_case, listing.folders)
                          : std::vector<std::string>();
    std::vector<std::string> enter;
    for (const auto& name : listing.folders)
        if (WritableName(name.c_str()) &&
            std::find(twins.begin(), twins.end(), name) == twins.end())
            enter.push_back(name);
    return enter;
}

Walker::~Walker() = default;

// One per walk mode at a time: a walk in another mode starts it anew.
ListingPrefetch& Walker::Prefetch(WalkMode mode) {
    if (!prefetch_ || prefetch_->Mode() != mode)
        prefetch_ =
            std::make_unique<ListingPrefetch>(fence_, mode, plan_ && plan_->target.folds_case);
    return *prefetch_;
}

void Walker::GetLower(const std::string& letter, const std::string& native, const Listing& here,
                      WalkMode mode) {
    const std::vector<std::string> twins =
        mode == wmCompare && plan_ ? CaseTwinsLeftOut(plan_->target.folds_case, here.folders)
                                   : std::vector<std::string>();
    for (const auto& name : here.folders) {
        if (state_.AbortRequested) return;
        if (std::find(twins.begin(), twins.end(), name) != twins.end()) {
            PassOver(PassedOverEntry::Why::CaseTwin, Join(letter, name, '\\'));
            continue;
        }
        // Such a folder cannot be named in a letter path: nothing below it is
        // counted or copied, and the comparison says so once.
        if (!WritableName(name.c_str())) {
            if (mode == wmCompare)
                PassOver(PassedOverEntry::Why::UnwritableName, Join(letter, name, '\\'));
            continue;
        }
        std::string sub_letter = Join(letter, name, '\\'), sub_native = Join(native, name, '/');
        // Read once: for its own size, its comparison and the folders in it.
        Listing sub = Prefetch(mode).Take(sub_native);
        Act(sub_letter, sub, mode, false);
        std::vector<ListedEntry>().swap(sub.entries);  // not kept while the walk goes deeper
        pump_(state_.Ui);
        GetLower(sub_letter, sub_native, sub, mode);
    }
}

void Walker::FillDirTree(const std::string& root, WalkMode mode) {
    auto native = fs::Drives().ToNative(root);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
    if (std::find(fence_.pseudo_devices.begin(), fence_.pseudo_devices.end(), st.st_dev) !=
        fence_.pseudo_devices.end())
        return;                               // /proc and the like hold nothing to back up
    if (InsideADriveFolder(*native)) return;  // a copy is never walked as a source
    // A listed folder may itself be a link: it is followed, folders below are not.
    Listing listing = Prefetch(mode).First(*native);
    Act(root, listing, mode, true);
    if (!listing.folders.empty() && !state_.AbortRequested) {
        observer_.Status(listing.folders.front());
        GetLower(root, *native, listing, mode);
    } else {
        pump_(state_.Ui);
    }
}

std::int64_t Walker::CountSize(const std::string& letter_path) {
    auto native = fs::Drives().ToNative(letter_path);
    std::int64_t bytes = native ? List(*native).file_bytes : 0;
    state_.TotalBytes += bytes;
    return bytes;
}

bool Walker::IsDirEmpty(const std::string& letter_path) {
    auto native = fs::Drives().ToNative(letter_path);
    return !native || !List(*native).has_files;
}

std::vector<std::string> Walker::GetOneLower(const std::string& letter_path) {
    return fs::ListFolder(letter_path).folders;
}

void WalkTotals(AppState& state, const std::vector<std::string>& roots, RunObserver& observer,
                const std::function<void()>& after_each) {
    Walker walker(state, nullptr, observer);
    for (const auto& root : roots) {
        walker.FillDirTree(root, wmTotal);
        fs::ProcessPendingMessages();
        if (after_each) after_each();
    }
}

}  // namespace vaultor
