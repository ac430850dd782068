#include "app/restore_browser.h"

#include "app/restore.h"
#include "app/run_window.h"
#include "fs/i18n.h"
#include "target/copy_origin.h"
#include "target/target_browser.h"
#include "target/versions_folder.h"

namespace vaultor {
namespace {

Conflict AskAbout(UserInterface& ui, const std::string& destination) {
    int answer = ui.VraagJaNee(Printf(_("%s bestaat al en verschilt van de kopie. Overschrijven? "
                                        "(Nee: beide bewaren)"),
                                      destination.c_str()));
    if (answer == kAnswerYes) return Conflict::Replace;
    return answer == kAnswerNo ? Conflict::KeepBoth : Conflict::Skip;
}

std::string Report(const RestoreResult& result) {
    std::string text = RestoreSummary(result);
    for (const auto& name : result.kept_names)
        text += "\n" + Printf(_("Bewaard als %s"), name.c_str());
    for (const auto& line : result.failures) text += "\n" + line;
    return text;
}

}  // namespace

void Terugzetten1Click(AppState& state) {
    if (state.RunInProgress) return;
    const std::string item = SelectedTargetItem(state);
    auto origin = OriginOfCopy(item);
    if (!origin) {
        state.Ui.ToonMelding(
            Printf(_("%s is geen kopie uit een Vaultor_Drive map; er wordt niets teruggezet."),
                   item.c_str()));
        return;
    }
    if (state.Ui.VraagJaNee(Printf(_("%s terugzetten naar %s?"), item.c_str(),
                                   origin->source.c_str())) != kAnswerYes)
        return;
    RestoreRequest request;
    request.target_root = origin->target_root;
    request.path = origin->source;
    if (auto run = ParseRunVersionsName(origin->run_name)) {
        request.version = run->name.substr(0, kVersionStampLength);
        request.list = run->list;
    }
    request.on_conflict = [&state](const std::string& destination) {
        return AskAbout(state.Ui, destination);
    };
    request.each_file = [&state](const std::string& destination) {
        state.Model.StatusBar1 = _("Terugzetten: ") + destination;
        state.Ui.ProcessMessages();
    };
    request.stop_requested = [&state] { return state.AbortRequested; };
    RestoreResult result;
    {
        // Stop is offered and nothing else starts while the window stays alive.
        RunScope running(state);
        WalkControls busy(state);
        state.AbortRequested = false;
        result = Restore(request);
        state.AbortRequested = false;
    }
    state.Ui.ToonMelding(Report(result));
}

}  // namespace vaultor
