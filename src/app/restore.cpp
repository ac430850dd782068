#include "app/restore.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "fs/copy_file.h"
#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/file_dates.h"
#include "fs/folder_listing.h"
#include "fs/i18n.h"
#include "fs/letter_path.h"
#include "fs/time_text.h"
#include "target/target_path.h"
#include "target/versions_folder.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;

struct Facts {
    enum class Kind { None, File, Folder, Other } kind = Kind::None;
    std::int64_t size = 0;
    std::time_t modified = 0;
};
using Kind = Facts::Kind;

Facts Look(const std::string& path) {
    auto native = fs::Drives().ToNative(path);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0) return {};
    Kind kind = S_ISREG(st.st_mode) ? Kind::File : S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
    return {kind, st.st_size, st.st_mtime};
}

bool LetterForm(const std::string& path) {
    return path.size() >= 2 && path[1] == ':';
}

// A destination is either form: the separator follows it.
char Separator(const std::string& path) {
    return LetterForm(path) ? '\\' : '/';
}

std::string Join(const std::string& folder, const std::string& name) {
    if (name.empty()) return folder;
    if (!folder.empty() && folder.back() == Separator(folder)) return folder + name;
    return folder + Separator(folder) + name;
}

size_t LastCut(const std::string& path) {
    return path.rfind(Separator(path));
}

std::string NameOf(const std::string& path) {
    size_t cut = LastCut(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderOf(const std::string& path) {
    size_t cut = LastCut(path);
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool SameFile(const Facts& a, const Facts& b) {
    return a.kind == Kind::File && b.kind == Kind::File && a.size == b.size &&
           fs::DateStep(a.modified, false) == fs::DateStep(b.modified, false);
}

// Whether a destination lies on the target drive: a restore reads the backup
// and never changes it. A target that is the root file system (C:) holds
// everything, so there only its drive folders and versions folder count.
bool OnTarget(const std::string& destination, const std::string& target_root) {
    auto dest = fs::Drives().ToNative(destination);
    auto root = fs::Drives().ToNative(target_root);
    if (!dest || !root) return false;
    std::error_code ec, ec2;
    fsys::path d = fsys::weakly_canonical(*dest, ec), r = fsys::weakly_canonical(*root, ec2);
    if (ec || ec2) return false;
    fsys::path below = d.lexically_relative(r);
    if (below.empty() || *below.begin() == "..") return false;
    if (r != r.root_path()) return true;
    std::string first = below.begin()->string();
    return first == kVersionsFolderName || first.rfind("Vaultor_Drive ", 0) == 0;
}

// The run folder with this stamp (of `list`, or of any list) that holds `copy`.
std::optional<std::string> RunFolderHolding(const std::string& root, const std::string& list,
                                            const std::string& stamp, const std::string& copy) {
    std::vector<std::string> names = fs::ListFolder(VersionsRoot(root)).folders;
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        auto run = ParseRunVersionsName(name);
        if (!run || name.compare(0, stamp.size(), stamp) != 0) continue;
        if (!list.empty() && run->list != list) continue;
        if (Look(VersionPathOf(root, name, copy)).kind != Kind::None) return name;
    }
    return std::nullopt;
}

std::string FailureReason(const fs::CopyOutcome& outcome) {
    if (outcome.failure == fs::CopyFailure::NotRegularFile) return _("geen gewoon bestand");
    if (outcome.failure == fs::CopyFailure::NoRoom) return _("geen ruimte op de bestemming");
    if (outcome.error_number) return std::strerror(outcome.error_number);
    return _("mislukt");
}

class Restorer {
  public:
    explicit Restorer(const RestoreRequest& request) : request_(request) {}

    void Item(const std::string& from, const std::string& to) {
        Facts facts = Look(from);
        if (facts.kind == Kind::Folder)
            Folder(from, to);
        else if (facts.kind == Kind::File)
            File(from, to);
        else
            Fail(Printf(_("%s is geen bestand of map."), from.c_str()));
    }

    void Fail(const std::string& line) {
        ++result.failed;
        result.failures.push_back(line);
    }

    RestoreResult result;

  private:
    void Folder(const std::string& from, const std::string& to) {
        Kind there = Look(to).kind;
        if (there != Kind::None && there != Kind::Folder) {
            Fail(Printf(_("%s bestaat al en is geen map."), to.c_str()));
            return;
        }
        if (there == Kind::None && !MakeFolder(to)) return;
        fs::FolderListing listing = fs::ListFolder(from);
        // A folder of the copy that cannot be read whole must not pass for
        // one restored whole.
        if (listing.error)
            Fail(Printf(_("De map %s kon niet volledig gelezen worden: %s"), from.c_str(),
                        std::strerror(listing.error)));
        std::sort(listing.files.begin(), listing.files.end());
        std::sort(listing.folders.begin(), listing.folders.end());
        for (const auto& name : listing.files)
            if (!fs::IsCopyTempName(name)) File(Join(from, name), Join(to, name));
        for (const auto& name : listing.folders)
            if (!Stopped()) Folder(Join(from, name), Join(to, name));
    }

    bool Stopped() {
        if (!result.stopped && request_.stop_requested) result.stopped = request_.stop_requested();
        return result.stopped;
    }

    void File(const std::string& from, const std::string& to) {
        if (Stopped()) return;
        if (request_.each_file) request_.each_file(to);
        Facts there = Look(to);
        if (there.kind == Kind::None) {
            if (Copy(from, to, true)) ++result.restored;
            return;
        }
        if (SameFile(there, Look(from))) {
            ++result.identical;
            return;
        }
        switch (Decide(to, there)) {
            case Conflict::Replace:
                if (Copy(from, to, false)) ++result.restored;
                return;
            case Conflict::Skip:
                ++result.skipped;
                return;
            case Conflict::KeepBoth:
                KeepBoth(from, to);
                return;
        }
    }

    Conflict Decide(const std::string& to, const Facts& there) const {
        if (there.kind != Kind::File) return Conflict::KeepBoth;  // a folder is never replaced
        if (request_.on_conflict) return request_.on_conflict(to);
        return request_.overwrite ? Conflict::Replace : Conflict::KeepBoth;
    }

    // A restore done twice finds its first kept copy, and leaves it.
    void KeepBoth(const std::string& from, const std::string& to) {
        const Facts copy = Look(from);
        for (int n = 1; n < 1000; ++n) {
            std::string name = Join(FolderOf(to), KeptBothName(NameOf(to), request_.today, n));
            const Facts there = Look(name);
            if (SameFile(there, copy)) {
                ++result.identical;
                return;
            }
            if (there.kind != Kind::None) continue;
            if (Copy(from, name, true)) {
                ++result.kept_both;
                result.kept_names.push_back(name);
            }
            return;
        }
        Fail(Printf(_("%s niet teruggezet: geen vrije naam ernaast."), to.c_str()));
    }

    bool MakeFolder(const std::string& folder) {
        auto native = fs::Drives().ToNative(folder);
        std::error_code ec;
        if (native) fsys::create_directories(*native, ec);
        if (native && !ec) return true;
        Fail(Printf(_("De map %s kon niet worden gemaakt: %s"), folder.c_str(),
                    native ? std::strerror(ec.value()) : _("de drive is niet gereed")));
        return false;
    }

    bool Copy(const std::string& from, const std::string& to, bool expect_new) {
        if (!MakeFolder(FolderOf(to).empty() ? "/" : FolderOf(to))) return false;
        fs::CopyRequest copy;
        copy.expect_new = expect_new;
        fs::CopyOutcome outcome = fs::CopyOneFile(from, to, copy);
        if (outcome.Ok()) return true;
        Fail(Printf(_("%s niet teruggezet: %s"), to.c_str(), FailureReason(outcome).c_str()));
        return false;
    }

    const RestoreRequest& request_;
};

// Where the copy asked for lies on the target; nullopt (and a failure said)
// when there is none.
std::optional<std::string> CopyToRestore(const RestoreRequest& r, const std::string& source,
                                         Restorer& job) {
    const std::string drive = r.target_root.substr(0, 2);
    const std::string copy = TargetPathOf(r.target_root, source);
    if (!r.version.empty()) {
        auto run = RunFolderHolding(r.target_root, r.list, r.version, copy);
        if (run) return VersionPathOf(r.target_root, *run, copy);
        job.Fail(Printf(_("Er is geen versie %s van %s op %s."), r.version.c_str(), source.c_str(),
                        drive.c_str()));
        return std::nullopt;
    }
    if (Look(copy).kind != Kind::None) return copy;
    job.Fail(Printf(_("Er is geen kopie van %s op %s."), source.c_str(), drive.c_str()));
    return std::nullopt;
}

// A destination folder in letter form as the sources are written.
std::string DestinationFolder(const std::string& to) {
    if (!LetterForm(to)) return to;
    return SourcePathOf(to).value_or(to);
}

}  // namespace

RestoreResult Restore(const RestoreRequest& request) {
    Restorer job(request);
    auto source = SourcePathOf(request.path);
    const std::string& root = request.target_root;
    if (!source) {
        job.Fail(Printf(_("%s is geen pad met een stationsletter."), request.path.c_str()));
    } else if (root.size() != 3 || !fs::NormaliseLetter(root[0]) ||
               !fs::IsDriveReady(fs::NormaliseLetter(root[0]))) {
        job.Fail(Printf(_("De doeldrive %s is niet gereed."), root.substr(0, 2).c_str()));
    } else if (auto copy = CopyToRestore(request, *source, job)) {
        const std::string to =
            request.to.empty() ? *source : Join(DestinationFolder(request.to), NameOf(*source));
        if (OnTarget(to, root))
            job.Fail(
                Printf(_("%s ligt op de doeldrive; daar wordt niets teruggezet."), to.c_str()));
        else if (!fs::Drives().ToNative(to))
            job.Fail(Printf(_("%s is niet bereikbaar: de drive is niet gereed."), to.c_str()));
        else
            job.Item(*copy, to);
    }
    return job.result;
}

std::string RestoreSummary(const RestoreResult& r) {
    std::string text =
        Printf(_("Teruggezet: %d, naast een ander bestand bewaard: %d, al gelijk: %d, "
                 "overgeslagen: %d, mislukt: %d."),
               r.restored, r.kept_both, r.identical, r.skipped, r.failed);
    if (r.stopped) text += "\n" + std::string(_("Afgebroken: niet alles is teruggezet."));
    return text;
}

std::optional<std::string> SourcePathOf(const std::string& text) {
    const std::string path = fs::CanonicalLetterPath(text);
    if (path.size() < 3 || !fs::NormaliseLetter(path[0]) || path[1] != ':' || path[2] != '\\' ||
        !fs::IsSafeLetterPath(path))
        return std::nullopt;
    return path;
}

bool IsVersionStamp(const std::string& text) {
    return text.size() == kVersionStampLength && ParseRunVersionsName(text + " x").has_value();
}

std::string KeptBothName(const std::string& name, std::time_t today, int n) {
    std::string date = fs::LocalTimeText(today, "%Y-%m-%d");
    if (n > 1) date += " " + std::to_string(n);
    // A leading dot names a hidden file, no extension.
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) dot = name.size();
    return Printf(_("%s (hersteld %s)%s"), name.substr(0, dot).c_str(), date.c_str(),
                  name.substr(dot).c_str());
}

std::vector<FileVersion> VersionsOf(const std::string& target_root, const std::string& list,
                                    const std::string& path) {
    std::vector<FileVersion> versions;
    const std::string copy = TargetPathOf(target_root, path);
    auto add = [&](const std::string& stamp, const std::string& of, const std::string& where) {
        Facts facts = Look(where);
        if (facts.kind == Kind::File)
            versions.push_back({stamp, of, where, facts.size, facts.modified});
    };
    for (const auto& run :
         list.empty() ? ListEveryRunVersions(target_root) : ListRunVersions(target_root, list))
        add(run.name.substr(0, kVersionStampLength), run.list,
            VersionPathOf(target_root, run.name, copy));
    add("", "", copy);
    return versions;
}

}  // namespace vaultor
