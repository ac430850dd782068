#include "app/versions_run.h"

#include <filesystem>
#include <system_error>

#include "app/run_status.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "fs/size_text.h"
#include "fs/time_limit.h"
#include "lists/list_file.h"
#include "state/versions_settings.h"
#include "target/drive_box.h"
#include "target/versions_folder.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;

std::string ListOf(const AppState& state) {
    return ListNameOf(state.CurrentListFile);
}

std::optional<std::string> NativeOf(const AppState& state, const RunVersionsFolder& run) {
    return fs::Drives().ToNative(VersionsRoot(state.TargetRoot) + run.name);
}

// The bytes of the regular files below a native folder; links are not followed.
std::int64_t BytesBelow(const std::string& native) {
    std::int64_t bytes = 0;
    std::error_code ec;
    for (fsys::recursive_directory_iterator it(native, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code size_ec;
        if (it->is_regular_file(size_ec) && !it->is_symlink(size_ec)) {
            auto size = it->file_size(size_ec);
            if (!size_ec) bytes += static_cast<std::int64_t>(size);
        }
    }
    return bytes;
}

bool RemoveWhole(const std::string& native) {
    std::error_code ec;
    fsys::remove_all(native, ec);
    return !ec;
}

}  // namespace

std::string HeldBackText(std::int64_t files) {
    return Printf(_("%lld bestanden die niet meer in de bron staan, blijven in de kopie: het is "
                    "meer dan het deel dat zonder vragen verplaatst wordt."),
                  static_cast<long long>(files));
}

void GuardMassMove(AppState& state, CopyPlan& plan, StartMode mode) {
    if (plan.removed.empty()) return;
    const VersionsSettings settings = ReadVersionsSettings(state.CurrentDrvFile);
    const std::int64_t share =
        plan.copy_files > 0 ? plan.removed_files * 100 / plan.copy_files : 100;
    if (plan.removed_files == 0 || plan.removed_files * 100 <= settings.max_share * plan.copy_files)
        return;
    const std::string question = Printf(
        _("Deze back-up zou %lld van de %lld bestanden van de kopie (%lld%%) naar de versies "
          "verplaatsen, omdat ze niet meer in de bron staan. Dat is meer dan %d%%. Toch "
          "verplaatsen?"),
        static_cast<long long>(plan.removed_files), static_cast<long long>(plan.copy_files),
        static_cast<long long>(share), settings.max_share);
    if (mode == StartMode::Asking && state.Ui.ConfirmMassMove(question) == kAnswerYes) return;
    plan.changes -= static_cast<std::int64_t>(plan.removed.size());
    plan.removed.clear();
    plan.removed_held_back = plan.removed_files;
    plan.removed_files = 0;
    state.Model.RichEdit1.push_back(HeldBackText(plan.removed_held_back));
}

bool OfferRoomFromVersions(AppState& state, std::int64_t short_by, StartMode mode) {
    if (mode != StartMode::Asking || short_by <= 0 || VersionsRootIsLink(state.TargetRoot))
        return false;
    std::vector<RunVersionsFolder> runs = ListRunVersions(state.TargetRoot, ListOf(state));
    std::vector<std::string> chosen;
    std::int64_t freed = 0;
    for (const auto& run : runs) {
        if (freed >= short_by) break;
        auto native = NativeOf(state, run);
        if (!native) continue;
        freed += BytesBelow(*native);
        chosen.push_back(*native);
    }
    if (chosen.empty() || freed < short_by) return false;
    const std::string question =
        Printf(_("Er is niet voldoende ruimte op de doelschijf. De %d oudste bewaarde versies van "
                 "deze lijst verwijderen? Dat maakt %s vrij."),
               static_cast<int>(chosen.size()), fs::KiesFormaatStr(freed).c_str());
    if (state.Ui.ConfirmRemoval(question) != kAnswerYes) return false;
    bool all = true;
    for (const auto& native : chosen) all &= RemoveWhole(native);
    return all;
}

void RemoveExpiredVersions(AppState& state, const std::function<void(const std::string&)>& say,
                           std::time_t now) {
    // Also once keeping was turned off: what was kept still expires.
    const VersionsSettings settings = ReadVersionsSettings(state.CurrentDrvFile);
    const std::time_t oldest_kept = now - static_cast<std::time_t>(settings.days) * 24 * 3600;
    if (VersionsRootIsLink(state.TargetRoot)) return;  // nothing is removed outside the target
    for (const auto& run : ListRunVersions(state.TargetRoot, ListOf(state))) {
        if (run.when >= oldest_kept) break;
        auto native = NativeOf(state, run);
        if (!native) continue;
        const std::string folder = VersionsRoot(state.TargetRoot) + run.name;
        say(RemoveWhole(*native) ? _("Verlopen versies verwijderd: ") + folder
                                 : _("Verlopen versies konden niet worden verwijderd: ") + folder);
    }
}

void RenameListVersions(AppState& state, const std::string& from, const std::string& to) {
    const std::string drv = state.ProgramDir + to + ".drv";
    const char letter = TargetLetterOf(drv);
    if (!letter) return;
    const std::string root = std::string(1, letter) + ":\\";
    const std::string drive = root.substr(0, 2);
    if (!fs::IsDriveReady(letter)) {
        const VersionsSettings settings = ReadVersionsSettings(drv);
        if (settings.keep || settings.move_deleted)
            state.Model.RichEdit1.push_back(
                Printf(_("De doeldrive %s is niet gereed: de versies van deze lijst daarop "
                         "houden de naam %s."),
                       drive.c_str(), from.c_str()));
        return;
    }
    auto versions = fs::Drives().ToNative(root + kVersionsFolderName);
    if (!versions) return;
    // A network or FUSE drive that stopped answering must not hang the window.
    std::optional<int> stayed =
        fs::Drives().Info(letter).slow
            ? fs::AskWithTimeLimit<int>("versions " + *versions, std::chrono::seconds(10),
                                        [versions = *versions, from, to] {
                                            return RenameRunVersions(versions, from, to);
                                        })
            : RenameRunVersions(*versions, from, to);
    if (!stayed)
        state.Model.RichEdit1.push_back(
            Printf(_("De doeldrive %s is niet gereed: de versies van deze lijst daarop "
                     "houden de naam %s."),
                   drive.c_str(), from.c_str()));
    else if (*stayed)
        state.Model.RichEdit1.push_back(
            Printf(_("%d mappen met versies op %s konden de nieuwe naam niet krijgen en houden "
                     "de naam %s."),
                   *stayed, drive.c_str(), from.c_str()));
}

bool VersionsFolderUsable(AppState& state) {
    const VersionsSettings settings = ReadVersionsSettings(state.CurrentDrvFile);
    if (!(settings.keep || settings.move_deleted) || !VersionsRootIsLink(state.TargetRoot))
        return true;
    state.Ui.ToonMelding(
        Printf(_("%s%s is een koppeling naar elders: deze lijst bewaart daar "
                 "versies, dus er wordt niets gekopieerd tot die koppeling weg is."),
               state.TargetRoot.c_str(), kVersionsFolderName));
    return false;
}

}  // namespace vaultor
