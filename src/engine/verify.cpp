#include "engine/verify.h"

#include "engine/compare.h"
#include "engine/run_journal.h"
#include "engine/totals.h"
#include "engine/walk.h"
#include "fs/case_probe.h"
#include "fs/drive_mapping.h"
#include "fs/drives.h"
#include "fs/file_dates.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "target/drive_box.h"

namespace vaultor {
namespace {

// Once per run, before the first comparison: the copy run's check uses it too.
void ProbeTargetDates(AppState& state) {
    state.TargetDates = fs::TargetDates::ProbeDrive(TargetLetter(state));
    state.TargetFoldsCase = fs::DriveFoldsCase(TargetLetter(state));
}

void CompareEveryListFolder(AppState& state, LogFile* log) {
    auto& m = state.Model;
    ProbeTargetDates(state);
    WalkControls busy(state);
    state.PercentBase = state.TotalBytes;
    m.ProgressBar1 = 0;
    m.RichEdit1.push_back(_("Bezig vergelijken van de bestanden ....."));
    Comparer comparer(state, log);
    Walker walker(state, log,
                  [&](const std::string& folder, const std::vector<ListedEntry>& entries) {
                      comparer.CompareCalcSize(folder, &entries);
                  });
    // A copy: the pump may let the list change.
    for (const auto& root : WalkRootsOf(m.ListBox1.items)) {
        state.CurrentRoot = root;
        // A listed folder that is not there (its drive not plugged in) is not
        // backed up: said, never passed over in silence.
        if (!fs::IsDirectory(state.CurrentRoot)) {
            PassOver(state, log, AppState::PassedOverEntry::Why::FolderNotPresent, root);
            continue;
        }
        walker.FillDirTree(wmCompare);
        fs::ProcessPendingMessages();
        ShowTotals(state);
    }
}

// Puts the action label and the pie back also when the test fails.
class TestControls {
  public:
    explicit TestControls(AppState& state) : state_(state) {}
    TestControls(const TestControls&) = delete;
    TestControls& operator=(const TestControls&) = delete;
    ~TestControls() {
        state_.Model.ProgressBar1 = 0;
        state_.Model.L_Aktie.caption = _("niet aktief");
        state_.Model.Gauge2.visible = true;
    }

  private:
    AppState& state_;
};

}  // namespace

void Vergelijken(AppState& state, LogFile* log) {
    auto& m = state.Model;
    BerekenAlles(state);
    if (state.AbortRequested) return;  // the totals gave the controls back and said so
    state.SpaceNeeded = state.SpaceGrowth = state.LargestReplaced = 0;
    state.AbortRequested = false;
    CompareEveryListFolder(state, log);
    if (state.AbortRequested) state.Ui.ToonMelding(_("Handeling afgebroken door gebruiker."));
    state.TotalBytes = state.SpaceNeeded;
    ToonRuimteOpDrive(state);
    m.Label19.caption =
        state.SpaceNeeded > 0 ? fs::KiesFormaatStr(state.SpaceNeeded) : std::string("0 Bytes");
    m.L_Kopieer.colour = m.L_Comp.colour = m.L_NotPresent.colour = kPurple;
    m.L_File.caption = _("n/a");
}

void SpBCompareClick(AppState& state) {
    if (state.RunInProgress) return;  // one run at a time: the log is opened once
    auto& m = state.Model;
    char letter = TargetLetter(state);
    if (!letter || !fs::IsDriveReady(letter)) {
        state.Ui.ToonMelding(_("Drive niet aanwezig!"));
        state.LastRunEnd = AppState::RunEnd::DriveAbsent;
        return;
    }
    RunScope running(state);
    TellOfInterruptedRun(state, false);
    m.CheckListBox1.visible = false;
    m.SpBOptiesDown = false;
    state.BytesCompared = 0;
    m.L_Aktie.caption = _("Vergelijken");
    m.Gauge2.visible = false;
    state.QuietCompare = false;
    state.PassedOver.clear();
    m.RichEdit1.clear();
    m.RichEdit1.push_back(_("Logbestand wordt gemaakt..."));
    {
        TestControls restore(state);
        LogFile log;
        log.Open(state.ProgramDir);
        log.WriteLine(_("Start log."));
        Vergelijken(state, &log);
        log.WriteLine(_("Eind log."));
        log.Close();
    }
    m.RichEdit1 = ReadLogLines(LogFile::PathIn(state.ProgramDir));
    state.LastRunEnd = state.AbortRequested ? AppState::RunEnd::Stopped : AppState::RunEnd::Tested;
}

}  // namespace vaultor
