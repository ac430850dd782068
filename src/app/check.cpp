#include "app/check.h"

#include <optional>

#include "app/content_test.h"
#include "app/run_lock.h"
#include "app/run_window.h"
#include "app/totals.h"
#include "engine/compare.h"
#include "engine/run_journal.h"
#include "engine/walk.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "fs/size_text.h"
#include "lists/list_file.h"
#include "state/versions_settings.h"
#include "target/drive_box.h"
#include "target/versions_folder.h"

namespace vaultor {
namespace {

void CompareEveryListFolder(AppState& state, CopyPlan& plan, LogFile* log, bool collect,
                            RunObserver& observer, ContentCheck* content) {
    auto& m = state.Model;
    plan.target = ProbeTarget(state);  // once per run: the copy run's check uses it too
    WalkControls busy(state);
    m.ProgressBar1 = 0;
    m.RichEdit1.push_back(_("Bezig vergelijken van de bestanden ....."));
    Comparer comparer(state, plan, log, observer, collect, state.TotalBytes);
    if (content)
        comparer.OnUpToDate([content](const std::string& source, std::int64_t size) {
            content->Add(source, size);
        });
    // A copy: the pump may let the list change.
    CompareListFolders(state, WalkRootsOf(m.ListBox1.items), comparer, plan, log, observer);
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

VersionsPlan VersionsForRun(const AppState& state, std::time_t now) {
    VersionsPlan versions;
    if (state.CurrentDrvFile.empty()) return versions;
    const VersionsSettings settings = ReadVersionsSettings(state.CurrentDrvFile);
    versions.keep_replaced = settings.keep;
    versions.move_deleted = settings.move_deleted;
    if (settings.keep || settings.move_deleted)
        versions.run_folder = RunVersionsName(now, ListNameOf(state.CurrentListFile));
    return versions;
}

CopyPlan Vergelijken(AppState& state, LogFile* log, bool collect,
                     std::unordered_set<std::string> interrupted, RunObserver* also,
                     ContentCheck* content) {
    auto& m = state.Model;
    CopyPlan plan;
    plan.interrupted = std::move(interrupted);
    if (collect) plan.versions = VersionsForRun(state, std::time(nullptr));
    BerekenAlles(state, also);
    if (state.AbortRequested) return plan;  // the totals gave the controls back and said so
    WindowObserver window(state, also);
    CompareEveryListFolder(state, plan, log, collect, window, content);
    if (state.AbortRequested) state.Ui.ToonMelding(_("Handeling afgebroken door gebruiker."));
    state.TotalBytes = plan.space_needed;
    ToonRuimteOpDrive(state);
    m.Label19.caption =
        plan.space_needed > 0 ? fs::KiesFormaatStr(plan.space_needed) : std::string("0 Bytes");
    m.L_Kopieer.colour = m.L_Comp.colour = m.L_NotPresent.colour = kPurple;
    m.L_File.caption = _("n/a");
    return plan;
}

namespace {

RunResult RunTest(AppState& state, RunObserver* also, bool read_content) {
    RunResult result;
    if (state.RunInProgress) return result;  // one run at a time: the log is opened once
    auto& m = state.Model;
    char letter = TargetLetter(state);
    if (!letter || !fs::IsDriveReady(letter)) {
        state.Ui.ToonMelding(_("Drive niet aanwezig!"));
        result.end = RunEnd::DriveAbsent;
        return result;
    }
    RunScope running(state);
    auto lock = RunLock::TakeOrSay(state);
    if (!lock) {
        result.end = RunEnd::Busy;
        return result;
    }
    TellOfInterruptedRun(state, false);
    m.CheckListBox1.visible = false;
    m.SpBOptiesDown = false;
    m.L_Aktie.caption = _("Vergelijken");
    m.Gauge2.visible = false;
    m.RichEdit1.clear();
    m.RichEdit1.push_back(_("Logbestand wordt gemaakt..."));
    CopyPlan plan;
    ContentCheckResult content;
    {
        TestControls restore(state);
        LogFile log;
        log.Open(state.ProgramDir);
        log.WriteLine(_("Start log."));
        std::optional<ContentCheck> check;
        if (read_content || state.Ini.ContentCheck.value_or(false))
            check.emplace(state, log, ListKeepsSums(state));
        plan = Vergelijken(state, &log, false, {}, also, check ? &*check : nullptr);
        if (check && !state.AbortRequested) content = ReadContents(state, *check, also);
        log.WriteLine(_("Eind log."));
        log.Close();
    }
    m.RichEdit1 = ReadLogLines(LogFile::PathIn(state.ProgramDir));
    result.end = state.AbortRequested ? RunEnd::Stopped : RunEnd::Tested;
    result.checked = plan.changes;
    result.differences = plan.changes + plan.PassedOverWithData() + content.differences;
    result.target_not_answering = content.target_not_answering;
    return result;
}

}  // namespace

RunResult SpBCompareClick(AppState& state, RunObserver* also) {
    return RunTest(state, also, false);
}

RunResult TestReadingContent(AppState& state, RunObserver* also) {
    return RunTest(state, also, true);
}

}  // namespace vaultor
