#include "log/log_pane.h"

#include "fs/i18n.h"
#include "log/log_file.h"

namespace vaultor {

void ekstwissen1Click(AppState& state) {
    state.Model.RichEdit1.clear();
}

void SBShowLogClick(AppState& state) {
    if (!state.Model.SpB_Start.visible) return;
    std::string path = LogFile::PathIn(state.ProgramDir);
    SaveLines(path, state.Model.RichEdit1);
    std::string text;
    for (const auto& line : ReadLogLines(path)) text += line + "\n";
    state.Ui.ShowText(_("Vaultor logviewer"), text);
}

}  // namespace vaultor
