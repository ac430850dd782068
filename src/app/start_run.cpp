#include "app/start_run.h"

#include <algorithm>
#include <ctime>
#include <optional>

#include "app/check.h"
#include "app/content_test.h"
#include "app/desktop_bus.h"
#include "app/last_backup.h"
#include "app/run_lock.h"
#include "app/run_status.h"
#include "app/run_window.h"
#include "app/versions_run.h"
#include "engine/copy_run.h"
#include "engine/copy_step.h"
#include "engine/run_journal.h"
#include "engine/sums_recorder.h"
#include "engine/walk.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "fs/time_limit.h"
#include "fs/time_text.h"
#include "log/log_file.h"
#include "target/drive_box.h"
#include "target/drive_record.h"
#include "target/versions_folder.h"

namespace vaultor {
namespace {

std::string DriveBoxText(const AppState& state) {
    const auto& box = state.Model.DriveComboBox1;
    if (box.selected >= 0 && box.selected < static_cast<int>(box.items.size()))
        return box.items[static_cast<size_t>(box.selected)];
    return box.caption;
}

// "06-12-2026 22:15:03"; the time is left out at exactly midnight.
std::string StartTimeText(std::time_t when) {
    const std::string time = fs::LocalTimeText(when, "%H:%M:%S");
    return fs::LocalTimeText(when, time == "00:00:00" ? "%d-%m-%Y" : "%d-%m-%Y %H:%M:%S");
}

void ShowLockPictures(MainWindowModel& m) {
    m.Im_LockOpen.visible = !m.Locked;
    m.Im_LockClosed.visible = m.Locked;
}

// The window as it is after every run that got past the check.
void ShowIdle(AppState& state) {
    auto& m = state.Model;
    m.ProgressBar1 = 0;
    m.SpB_Stop.visible = false;
    m.SpB_Start.visible = m.SpB_Start.enabled = true;
    EnableRunControls(m, true);
    m.Animate2.visible = false;
    m.DriveComboBox1.visible = m.CB_Locked.visible = true;
    ShowLockPictures(m);
    m.L_Aktie.caption = _("niet aktief");
    m.L_File.caption = _("n/a");
    m.L_Kopieer.colour = m.L_Comp.colour = m.L_NotPresent.colour = kPurple;
}

// The copy phase's controls, given back however the phase ends.
class CopyPhase {
  public:
    explicit CopyPhase(AppState& state) : state_(state) {
        auto& m = state.Model;
        m.L_Aktie.caption = _("Kopieren/bijwerken");
        m.SpB_Start.visible = false;
        m.SpB_Stop.visible = true;
        state.AbortRequested = false;
        EnableRunControls(m, false);
        m.DriveComboBox1.visible = m.CB_Locked.visible = false;
        ShowLockPictures(m);
        m.Animate2.visible = true;
    }
    CopyPhase(const CopyPhase&) = delete;
    CopyPhase& operator=(const CopyPhase&) = delete;
    ~CopyPhase() { ShowIdle(state_); }

  private:
    AppState& state_;
};

// What Start changes in the list's record before it knows whether anything
// will be copied; put back on every end that copies nothing.
struct ListRecord {
    std::string last_drive, last_date;
    void Restore(AppState& state) const {
        state.LastDrive = last_drive;
        state.LastDate = last_date;
    }
};

bool TargetChangeAccepted(AppState& state, StartMode mode) {
    std::string now = DriveBoxText(state);
    if (state.LastDrive.empty() || state.LastDrive == now) return true;
    if (mode == StartMode::Unattended) {
        state.Ui.ToonMelding(Printf(
            _("De laatste keer is %s gebruikt voor deze bronlijst, nu is het %s. Een back-up "
              "zonder toezicht neemt geen andere doeldrive aan: start de lijst eenmaal zelf, "
              "bijvoorbeeld met vaultor-cli --yes start %s."),
            state.LastDrive.c_str(), now.c_str(), state.Model.ComboBox1.caption.c_str()));
        return false;
    }
    std::string question = Printf(_("De laatste keer is %s gebruikt voor deze bronlijst.\r\nDe "
                                    "doeldrive %s nu gebruiken voor de bronlijst?"),
                                  state.LastDrive.c_str(), now.c_str());
    if (state.Ui.VraagJaNee(question) != kAnswerYes) return false;
    state.ListChanged = true;
    return true;
}

void PrepareCheck(AppState& state) {
    auto& m = state.Model;
    m.CheckListBox1.visible = false;
    m.SpBOptiesDown = false;
    m.L_Aktie.caption = _("Vergelijken");
}

// What the last check found to copy, for the list of it a user may ask for.
void KeepWhatTheCheckFound(AppState& state, CopyPlan& plan) {
    state.LastCheckCopies.clear();
    state.LastCheckCopies.reserve(plan.items.size());
    for (auto& item : plan.items) state.LastCheckCopies.push_back(std::move(item.source));
    std::vector<CopyItem>().swap(plan.items);
}

std::string NotAnsweringText(const AppState& state) {
    return Printf(_("Kopieren is niet volledig: de doeldrive %s antwoordt niet meer."),
                  state.TargetRoot.c_str());
}

void ShowEnd(AppState& state, const RunResult& result) {
    auto& ui = state.Ui;
    if (result.target_not_answering) {
        ui.ToonMelding(NotAnsweringText(state));
        return;
    }
    if (!result.folder_not_made.empty()) {
        ui.ToonMelding(Printf(_("Kopieren is niet volledig: de map %s kon niet worden gemaakt."),
                              result.folder_not_made.c_str()));
        return;
    }
    if (state.AbortRequested) {
        ui.ToonMelding(_("Afgebroken door gebruiker, kopieren is niet volledig"));
        return;
    }
    ui.ToonMelding(_("Vaultor heeft ") + std::to_string(result.checked) +
                   _(" bestanden en mappen gecontroleerd en ") + std::to_string(result.updated) +
                   _(" bijgewerkt.") + "\r\r" + _("Samenvatting:") + "\r" + result.summary);
    char letter = TargetLetter(state);
    if (!state.Ini.NoEmptyFoldersOnCdrw && letter &&
        fs::GetDriveKind(letter) == fs::drive_kind::kOptical)
        ui.ToonMelding(
            _("Het is verstandig om de CDRW te herladen (eject) voordat u nieuwe "
              "handelingen verricht\r\nsommige direct write software zoals INCD "
              "sluiten een CDRW pas goed af tijdens het uitwerpen."));
}

// Sleep would cut the copy off halfway. Where there is no logind none is
// held; one that does not answer is not waited for.
SleepInhibitor KeepAwake() {
    auto held = std::make_shared<SleepInhibitor>();
    if (!fs::RunWithTimeLimit("logind", std::chrono::seconds(2), [held] {
            *held = SleepInhibitor::Take(_("Vaultor maakt een back-up."));
        }))
        return {};
    return std::move(*held);
}

RunResult CopyEverything(AppState& state, const CopyPlan& plan, RunObserver& observer) {
    auto& m = state.Model;
    CopyPhase phase(state);
    const SleepInhibitor awake = KeepAwake();
    m.ProgressBar1 = 0;
    fs::ProcessPendingMessages();
    const std::int64_t start_ms = state.Ui.NowMs();
    const std::time_t start = std::time(nullptr);
    m.RichEdit1.push_back(_("Kopieren en/of bijwerken gestart."));
    LogFile log;
    log.Open(state.ProgramDir);
    log.WriteLine(_("Start log."));
    log.WriteLine(_("Kopieren en/of bijwerken gestart ") + StartTimeText(start));
    log.WriteLine(" ");
    // A list that keeps checksums has each copy read back as it is made.
    std::optional<SumsRecorder> sums;
    if (ListKeepsSums(state)) sums.emplace(state, observer);
    RunResult result = KopieerDeLijst(state, plan, log, sums ? *sums : observer);
    result.checked = plan.changes;
    if (sums)
        for (const auto& line : sums->Save()) {
            log.WriteLine(line);
            ++result.remarks;
        }
    std::string record = state.TargetRoot + "Vaultor.dat";
    const bool record_written = !result.target_not_answering && WriteDriveInfoFile(state, record);
    const std::string record_failure =
        Printf(_("Het bestand %s kon niet worden geschreven."), record.c_str());
    if (!record_written) {
        log.WriteLine(record_failure);
        ++result.remarks;
    }
    // A run of a day or more shows all its hours.
    std::string done = _("Gereed, het kopieren heeft ") +
                       fs::DurationText((state.Ui.NowMs() - start_ms) / 1000) +
                       _(" in beslag genomen.");
    log.WriteLine(done);
    if (!result.folder_not_made.empty())
        log.WriteLine(Printf(_("Kopieren is niet volledig: de map %s kon niet worden gemaakt."),
                             result.folder_not_made.c_str()));
    else if (result.target_not_answering)
        log.WriteLine(NotAnsweringText(state));
    else if (state.AbortRequested)
        log.WriteLine(_("De bewerking is door de gebruiker voortijdig afgebroken."));
    if (plan.removed_held_back) {
        log.WriteLine(HeldBackText(plan.removed_held_back));
        ++result.remarks;  // the copy holds what its source lost: not all is as it should be
    }
    if (!result.target_not_answering)
        RemoveExpiredVersions(
            state, [&](const std::string& line) { log.WriteLine(line); }, std::time(nullptr));
    log.WriteLine(_("Eind log."));
    log.Close();
    m.RichEdit1 = ReadLogLines(LogFile::PathIn(state.ProgramDir));
    m.StatusBar1 = done;
    result.end = !result.folder_not_made.empty() ? RunEnd::FolderNotMade
                 : state.AbortRequested          ? RunEnd::Stopped
                                                 : RunEnd::Copied;
    ShowEnd(state, result);
    if (!record_written) state.Ui.ToonMelding(record_failure);
    return result;
}

RunResult StartWithLock(AppState& state, RunObserver* also, StartMode mode) {
    RunResult result;
    auto& m = state.Model;
    auto& ui = state.Ui;
    if (!IsDriveAanwezig(state)) {
        ui.ToonMelding(Printf(_("Laatst gebruikte drive %s: niet aanwezig, selecteer eventeel een "
                                "andere drive."),
                              std::string(1, TargetLetter(state)).c_str()));
        result.end = RunEnd::DriveAbsent;
        return result;
    }
    if (!TargetChangeAccepted(state, mode)) {
        result.end = RunEnd::Declined;
        return result;
    }
    if (!VersionsFolderUsable(state)) {
        result.folder_not_made = state.TargetRoot + kVersionsFolderName;
        result.end = RunEnd::FolderNotMade;
        return result;
    }
    m.Gauge2.visible = false;
    const bool asking = mode == StartMode::Asking;
    if (asking && state.Ini.ConfirmDialogs &&
        ui.VraagJaNee(_("Vaultor gaat nu eerst de bestanden en de ruimte controleren op ") +
                      state.TargetRoot) == kAnswerNo) {
        result.end = RunEnd::Declined;
        return result;
    }
    m.RichEdit1.clear();
    m.RichEdit1.push_back(_("Controleren bestanden en vrije ruimte op de doeldrive ") +
                          state.TargetRoot);
    const ListRecord before{state.LastDrive, state.LastDate};
    state.LastDrive = DriveBoxText(state);
    state.LastDate = "n/a";
    PrepareCheck(state);
    auto interrupted = TellOfInterruptedRun(state, true);
    CopyPlan plan;
    try {
        plan = Vergelijken(state, nullptr, true, std::move(interrupted), also);
    } catch (...) {  // the check gave the controls back; the list's record goes back too
        before.Restore(state);
        m.L_Aktie.caption = _("niet aktief");
        throw;
    }
    fs::ProcessPendingMessages();
    m.L_Aktie.caption = _("niet aktief");
    result.checked = plan.changes;
    if (state.AbortRequested) {
        m.RichEdit1.clear();
        m.RichEdit1.push_back(_("Laatste bewerking door gebruiker gestopt!"));
        m.Label19.caption = _("Niet berekend");
        m.Gauge2.visible = false;
        before.Restore(state);
        KeepWhatTheCheckFound(state, plan);
        result.end = RunEnd::Stopped;
        return result;
    }
    GuardMassMove(state, plan, mode);
    m.Gauge2.visible = true;
    char letter = TargetLetter(state);
    std::int64_t free = letter ? fs::GetDriveFreeBytes(letter) : -1;
    // The net figure is what the labels and the question show; the refusal
    // counts what the copy needs at its peak.
    if (plan.SpaceAtPeak(state.TotalBytes) > free &&
        OfferRoomFromVersions(state, plan.SpaceAtPeak(state.TotalBytes) - free, mode))
        free = fs::GetDriveFreeBytes(letter);
    if (plan.SpaceAtPeak(state.TotalBytes) > free) {
        ui.ToonMelding(_("Er is niet voldoende ruimte op de doelschijf!") + std::string("\r") +
                       _("Kies een andere \"lege\" doeldrive of maak een andere lijstindeling."));
        m.ProgressBar1 = 0;
        before.Restore(state);
        KeepWhatTheCheckFound(state, plan);
        result.end = RunEnd::NoRoom;
        return result;
    }
    if (plan.NothingToDo()) {
        // "Nothing to copy" only when nothing was passed over that holds data.
        if (plan.PassedOverWithData() == 0)
            ui.ToonMelding(_("Er zijn geen veranderde of te kopieren bestanden gevonden."));
        m.RichEdit1.clear();
        // What cannot be backed up is said also when nothing else is to do.
        for (const auto& entry : plan.passed_over)
            if (entry.why != PassedOverEntry::Why::NotARegularFile) {
                m.RichEdit1.push_back(PassedOverLine(entry));
                ++result.remarks;
            }
        if (plan.removed_held_back) {
            m.RichEdit1.push_back(HeldBackText(plan.removed_held_back));
            ++result.remarks;
        }
        RemoveExpiredVersions(
            state, [&](const std::string& line) { m.RichEdit1.push_back(line); },
            std::time(nullptr));
        if (plan.compression_work) SetAllFoldersCompressionstate(state, plan.compress);
        // What an interrupted run had in hand is gone from the source, or whole.
        if (!plan.interrupted.empty() || RunJournal::Exists(RunJournal::PathFor(state)))
            RunJournal(RunJournal::PathFor(state)).Remove();
        before.Restore(state);
        KeepWhatTheCheckFound(state, plan);
        result.end = RunEnd::NothingToCopy;
        ShowIdle(state);
        return result;
    }
    std::string question = fs::KiesFormaatStr(plan.bytes_to_copy) + _(" in ") +
                           std::to_string(plan.changes) + _(" bestanden/mappen op drive ") +
                           state.TargetRoot + _(" nu bijwerken?");
    if (asking && ui.VraagJaNee(question) == kAnswerNo) {
        before.Restore(state);
        KeepWhatTheCheckFound(state, plan);
        result.end = RunEnd::Declined;
        ShowIdle(state);
        return result;
    }
    WindowObserver window(state, also);
    result = CopyEverything(state, plan, window);
    KeepWhatTheCheckFound(state, plan);
    return result;
}

}  // namespace

RunResult SpB_StartClick(AppState& state, RunObserver* also, StartMode mode) {
    RunResult result;
    if (state.RunInProgress) return result;
    RunScope running(state);
    auto lock = RunLock::TakeOrSay(state);
    if (!lock) {
        result.end = RunEnd::Busy;
        return result;
    }
    const std::time_t began = std::time(nullptr);
    result = StartWithLock(state, also, mode);
    // How it went is kept for every unattended run, and for a list that has
    // such runs also when it is started by hand.
    if (mode == StartMode::Unattended || ReadListStatus(state.CurrentDrvFile).present)
        WriteListStatus(state.CurrentDrvFile, result, result.AllBackedUp() ? 0 : 1, began);
    ShowLastBackup(state);
    return result;
}

void SpB_StopClick(AppState& state) {
    if (state.Ini.ConfirmDialogs) {
        if (state.Ui.VraagJaNee(_("Opgelet! Bewerking echt afbreken??")) == kAnswerYes)
            state.AbortRequested = true;
    } else {
        state.AbortRequested = true;
    }
    if (state.AbortRequested)
        state.Model.RichEdit1.push_back(
            _("Momentje geduld, bezig met afbreken van de handeling..........."));
}

}  // namespace vaultor
