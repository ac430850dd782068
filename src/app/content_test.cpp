#include "app/content_test.h"

#include "app/run_window.h"
#include "fs/i18n.h"
#include "fs/size_text.h"
#include "state/versions_settings.h"

namespace vaultor {

bool ListKeepsSums(const AppState& state) {
    return !state.CurrentDrvFile.empty() && ReadVersionsSettings(state.CurrentDrvFile).sums;
}

ContentCheckResult ReadContents(AppState& state, ContentCheck& check, RunObserver* also) {
    auto& m = state.Model;
    WalkControls busy(state);
    m.L_Aktie.caption = _("Inhoud vergelijken");
    m.ProgressBar1 = 0;
    m.RichEdit1.push_back(Printf(_("Bezig met het lezen en vergelijken van %s ....."),
                                 fs::KiesFormaatStr(check.Bytes()).c_str()));
    WindowObserver window(state, also);
    ContentCheckResult result = check.Run(window);
    window.FolderCompared();  // the progress label goes as after the check
    if (state.AbortRequested) state.Ui.ToonMelding(_("Handeling afgebroken door gebruiker."));
    return result;
}

}  // namespace vaultor
