#include "engine/totals.h"

#include "engine/walk.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "fs/size_text.h"
#include "log/log_file.h"
#include "target/drive_box.h"
#include "target/target_path.h"

namespace vaultor {
void ShowTotals(AppState& state) {
    auto& m = state.Model;
    m.Label2.caption = fs::FormatBytes(state.TotalBytes);
    m.Label8.caption = fs::FormatKB(state.TotalBytes);
    m.Label3.caption = fs::FormatMB(state.TotalBytes);
    m.Label7.caption = fs::FormatGB(state.TotalBytes);
}

void EnableRunControls(MainWindowModel& m, bool enabled) {
    for (Control* c : std::initializer_list<Control*>{
             &m.SpBCompare, &m.SB_MousInfo, &m.LbSB_Popup, &m.SBShowLog, &m.SB_Close, &m.SpBOpties,
             &m.SpBHelp, &m.ListBox1, &m.ComboBox1, &m.PanelLeftTop, &m.Label10, &m.SB_ResetDrive})
        c->enabled = enabled;
}

WalkControls::WalkControls(AppState& state) : state_(state) {
    auto& m = state.Model;
    m.SpB_Start.visible = false;
    m.SpB_Stop.visible = true;
    m.DriveComboBox1.visible = m.CB_Locked.visible = false;
    m.Im_LockOpen.visible = m.Im_LockClosed.visible = false;
    m.Animate1.visible = true;
    EnableRunControls(m, false);
}

WalkControls::~WalkControls() {
    auto& m = state_.Model;
    m.StatusBar1 = _("Klaar.");
    EnableRunControls(m, true);
    m.Animate1.visible = false;
    m.DriveComboBox1.visible = m.CB_Locked.visible = true;
    m.Im_LockOpen.visible = !m.Locked;
    m.Im_LockClosed.visible = m.Locked;
    m.SpB_Stop.visible = false;
    m.SpB_Start.visible = m.SpB_Start.enabled = true;
}

void BerekenAlles(AppState& state) {
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
        Walker walker(state, nullptr);
        // The list may change while the walk lets the window work; walk a copy.
        for (const auto& root : WalkRootsOf(m.ListBox1.items)) {
            state.CurrentRoot = root;
            walker.FillDirTree(wmTotal);
            fs::ProcessPendingMessages();
            ShowTotals(state);
        }
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
        state.CurrentRoot = WalkRootOf(box.items[static_cast<size_t>(box.selected)]);
    state.TotalBytes = 0;
    m.Label10.caption = _("Totaal in keuzemap:");
    Walker(state, &log).FillDirTree(wmLog);
    log.WriteLine(_("Eind log."));
    log.Close();
    m.RichEdit1 = ReadLogLines(LogFile::PathIn(state.ProgramDir));
    ShowTotals(state);
    m.StatusBar1 = _("Klaar.");
}

void Label19Click(AppState& state) {
    std::string path = state.ProgramDir + "Kopieer.log";
    std::vector<std::string> lines;
    lines.reserve(state.CopyList.size());
    for (const auto& item : state.CopyList)
        lines.push_back(item.source + " ==> " + TargetPathOf(state.TargetRoot, item.source));
    SaveLines(path, lines);
    fs::ProcessPendingMessages();
    std::string text;
    for (const auto& line : ReadLogLines(path)) text += line + "\n";
    state.Ui.ShowText(_("Vaultor logviewer"), text);
}

}  // namespace vaultor
