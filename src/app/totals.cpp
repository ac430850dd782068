#include "app/totals.h"

#include "engine/walk.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "log/log_file.h"
#include "target/drive_box.h"
#include "target/target_path.h"

namespace vaultor {
void BerekenAlles(AppState& state, RunObserver* also) {
    auto& m = state.Model;
    {
        WalkControls busy(state);
        state.TotalBytes = 0;
        state.AbortRequested = false;
        m.Label10.caption = _("Totaal in mappen:");
        m.Label2.caption = "000 bytes";
        m.Label8.caption = "000 Kb";
        m.Label3.caption = "000 MB";
        m.Label7.caption = "000 GB";
        m.TotalsColour = Colour{0, 0, 128};
        m.RichEdit1.push_back(_("Bezig met berekenen omvang van de bronbestanden....."));
        WindowObserver window(state, also);
        // The list may change while the walk lets the window work; walk a copy.
        WalkTotals(state, WalkRootsOf(m.ListBox1.items), window, [&] { ShowTotals(state); });
    }
    if (state.AbortRequested) {
        m.TotalsColour = kRed;
        state.Ui.ToonMelding(_("Handeling afgebroken, opgave van Bytes e.d. niet correct"));
    }
    ToonRuimteOpDrive(state);
}

void Label10Click(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    state.Model.L_Aktie.caption = _("berekenen");
    state.Model.CheckListBox1.visible = false;
    state.Model.SpBOptiesDown = false;
    BerekenAlles(state);
    state.Model.L_Aktie.caption = _("niet aktief");
}

void Toonmapinfolog1Click(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    state.Model.L_Aktie.caption = _("berekenen");
    WalkControls busy(state);  // nothing else may start while the walk lets the window work
    ToonMapRuimteNodig(state);
}

void ToonMapRuimteNodig(AppState& state) {
    auto& m = state.Model;
    m.RichEdit1.clear();
    state.AbortRequested = false;
    LogFile log;
    log.Open(state.ProgramDir);
    log.WriteLine(_("Start log."));
    const auto& box = m.ListBox1;
    if (box.selected >= 0 && box.selected < static_cast<int>(box.items.size()))
        state.InfoFolder = WalkRootOf(box.items[static_cast<size_t>(box.selected)]);
    state.TotalBytes = 0;
    m.Label10.caption = _("Totaal in keuzemap:");
    WindowObserver window(state);
    if (!state.InfoFolder.empty()) Walker(state, &log, window).FillDirTree(state.InfoFolder, wmLog);
    log.WriteLine(_("Eind log."));
    log.Close();
    m.RichEdit1 = ReadLogLines(LogFile::PathIn(state.ProgramDir));
    ShowTotals(state);
    m.StatusBar1 = _("Klaar.");
}

void Label19Click(AppState& state) {
    std::string path = state.ProgramDir + "Kopieer.log";
    std::vector<std::string> lines;
    lines.reserve(state.LastCheckCopies.size());
    for (const auto& source : state.LastCheckCopies)
        lines.push_back(source + " ==> " + TargetPathOf(state.TargetRoot, source));
    SaveLines(path, lines);
    fs::ProcessPendingMessages();
    std::string text;
    for (const auto& line : ReadLogLines(path)) text += line + "\n";
    state.Ui.ShowText(_("Vaultor logviewer"), text);
}

}  // namespace vaultor
