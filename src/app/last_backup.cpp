#include "app/last_backup.h"

#include "app/run_status.h"
#include "app/schedule_units.h"
#include "fs/i18n.h"
#include "fs/time_text.h"
#include "state/schedule.h"
#include "state/settings.h"
#include "state/versions_settings.h"

namespace vaultor {

std::string AgeText(std::int64_t seconds) {
    constexpr std::int64_t minute = 60, hour = 60 * minute, day = 24 * hour;
    if (seconds < 2 * minute) return _("zojuist");
    if (seconds < 2 * hour)
        return Printf(_("%lld minuten geleden"), static_cast<long long>(seconds / minute));
    if (seconds < 2 * day)
        return Printf(_("%lld uur geleden"), static_cast<long long>(seconds / hour));
    return Printf(_("%lld dagen geleden"), static_cast<long long>(seconds / day));
}

void ShowLastBackup(AppState& state, std::time_t now) {
    auto& line = state.Model.LastBackupLine;
    line.visible = false;
    state.Model.LastBackupLate = false;
    if (state.CurrentDrvFile.empty()) return;
    const Schedule schedule = ReadSchedule(state.CurrentDrvFile);
    if (!schedule.Used() && !ReadListStatus(state.CurrentDrvFile).present) return;
    const auto last = LastGoodBackup(state.CurrentDrvFile);
    const bool late = Overdue(last, now, schedule.OverdueSeconds());
    std::string when =
        last ? fs::LocalTimeText(*last, "%d-%m-%Y %H:%M") + " (" + AgeText(now - *last) + ")"
             : std::string(_("nog nooit"));
    line.caption =
        Printf(_("Laatste geslaagde back-up: %s"), when.c_str()) + " · " + ScheduleText(schedule);
    line.visible = true;
    state.Model.LastBackupLate = late;
}

void Schema1Click(AppState& state) {
    if (state.RunInProgress || state.CurrentDrvFile.empty()) return;
    const std::string list = state.Model.ComboBox1.caption;
    std::string schedule_problem, versions_problem;
    const ListAutomation current{ReadSchedule(state.CurrentDrvFile, &schedule_problem),
                                 ReadVersionsSettings(state.CurrentDrvFile, &versions_problem)};
    std::string problems = schedule_problem;
    if (!versions_problem.empty()) problems += (problems.empty() ? "" : "\r\n") + versions_problem;
    if (!problems.empty()) state.Ui.ToonMelding(problems);
    auto chosen = state.Ui.AskListAutomation(list, current);
    if (!chosen) return;
    try {
        WriteSchedule(state.CurrentDrvFile, chosen->schedule);
        // Untouched, the section stays as the file has it: a list that only
        // gets a schedule gets no [Versions] of defaults.
        if (chosen->versions != current.versions)
            WriteVersionsSettings(state.CurrentDrvFile, chosen->versions);
    } catch (const WriteError& e) {
        state.Ui.ToonMelding(e.what());
        return;
    }
    UnitsOutcome outcome = ApplySchedule(state.ProgramDir, list, chosen->schedule);
    std::string text;
    for (const auto& said : outcome.lines) text += (text.empty() ? "" : "\r\n") + said;
    if (!text.empty()) state.Ui.ToonMelding(text);
    ShowLastBackup(state);
}

}  // namespace vaultor
