#include "app/options.h"

#include "fs/i18n.h"
#include "target/target_browser.h"

namespace vaultor {
namespace {

void ApplyColours(AppState& state) {
    auto& m = state.Model;
    bool system = m.OptionChecks[4];
    m.WindowColour = system ? state.WindowsColor : kSkyBlue;
    m.ListColour = system ? state.WindowsColor : kCream;
    m.Shape3.colour = m.WindowColour;
}

}  // namespace

void SetIgnoreTimeShift(Settings& options, bool on) {
    // Written only once the file held it or the user set it: the file of a
    // user who never touches the option stays as it was.
    if (options.IgnoreTimeShift || on) options.IgnoreTimeShift = on;
}

void SetContentCheck(Settings& options, bool on) {
    if (options.ContentCheck || on) options.ContentCheck = on;
}

std::vector<std::string> OptionTexts() {
    return {_("Hints tonen bij de opties"),
            _("Tijdstip van kopieer/bewerk-akties op doeldrive opslaan"),
            _("Doelbrowser tonen"),
            _("Bestandslijst in de Doelbrowser tonen"),
            _("Windows kleurenschema gebruiken"),
            _("Bevestigingsdialogen gebruiken"),
            _("Lege mappen aanmaken"),
            _("Geen lege mappen aanmaken op CDRW's"),
            _("Doelcompressie aan bron gelijk maken (alleen voor NTFS)"),
            _("Doelbestanden altijd comprimeren op NTFS drives"),
            _("Engelse taal (geen vinkje is Nederlands)"),
            _("Datumverschil van precies een uur negeren (zomer-/wintertijd)"),
            _("Test - Verifieer vergelijkt ook de inhoud (leest alle bestanden)")};
}

void ApplySettings(AppState& state, const Settings& s) {
    auto& m = state.Model;
    m.CheckListBox1.items = OptionTexts();
    m.ShowHints = s.ShowHints;
    m.PanelDriveInfo.visible = s.ShowTargetBrowser;
    m.FileListBox1Box.visible = m.Splitter2.visible = s.ShowFileList;
    state.LastListName = s.LastListName;
    state.TargetDriveKind = s.TargetDriveKind;
    state.BytesPerSecond = s.BytesPerSecond;
    state.DriveKindRate = s.DriveKindRate;
    m.OptionChecks = {s.ShowHints,
                      s.StoreActionTime,
                      s.ShowTargetBrowser,
                      s.ShowFileList,
                      s.WindowsColours,
                      s.ConfirmDialogs,
                      s.CreateEmptyFolders,
                      s.NoEmptyFoldersOnCdrw,
                      s.MirrorCompression,
                      s.AlwaysCompress,
                      s.EnglishUI,
                      s.IgnoreTimeShift.value_or(false),
                      s.ContentCheck.value_or(false)};
    m.SpBOptiesDown = m.CheckListBox1.visible;
    state.Ini = s;
}

Settings CollectSettings(const AppState& state) {
    const auto& m = state.Model;
    Settings s = state.Ini;  // the options live here
    s.ShowHints = m.ShowHints;
    s.ShowTargetBrowser = m.PanelDriveInfo.visible;
    s.ShowFileList = m.FileListBox1Box.visible;
    s.WindowsColours = m.OptionChecks[4];
    s.LastListName = state.LastListName;
    s.TargetDriveKind = state.TargetDriveKind;
    s.BytesPerSecond = state.BytesPerSecond;
    s.DriveKindRate = state.DriveKindRate;
    return s;
}

void CheckListBox1ClickCheck(AppState& state) {
    auto& m = state.Model;
    auto& checks = m.OptionChecks;
    bool was_no_empty_on_cdrw = state.Ini.NoEmptyFoldersOnCdrw;
    bool browser_was_visible = m.PanelDriveInfo.visible;
    bool was_always_compress = state.Ini.AlwaysCompress;

    m.ShowHints = checks[0];
    auto& options = state.Ini;
    options.StoreActionTime = checks[1];
    m.Splitter1.visible = m.PanelDriveInfo.visible = checks[2];
    m.FileListBox1Box.visible = m.Splitter2.visible = checks[3];
    options.ConfirmDialogs = checks[5];
    options.CreateEmptyFolders = checks[6];
    options.NoEmptyFoldersOnCdrw = checks[7];
    options.MirrorCompression = checks[8];
    options.AlwaysCompress = checks[9];
    SetIgnoreTimeShift(options, checks[11]);
    SetContentCheck(options, checks[12]);
    ApplyColours(state);

    if (!state.StartingUp) {
        if (state.Ini.NoEmptyFoldersOnCdrw != was_no_empty_on_cdrw && !checks[7]) {
            int answer = state.Ui.VraagJaNee(
                _("Opgelet! uitzetten van deze optie is niet aanbevolen.\r\nZie de help voor "
                  "problemen met lege mappen op CDRW's.\r\n\r\nDeze optie toch uitzetten?"));
            if (answer == kAnswerNo) checks[7] = state.Ini.NoEmptyFoldersOnCdrw = true;
        }
        if (!browser_was_visible && m.PanelDriveInfo.visible) FillDirTreeView(state);
        if (state.Ini.AlwaysCompress && !was_always_compress)
            state.Ui.PlainNotice(_("Opgelet! deze instelling heeft voorrang op de instelling:") +
                                 std::string("\n\"") + _("Doelcompressie aan bron gelijk maken") +
                                 "\"");
    }
    m.SpBOptiesDown = m.CheckListBox1.visible;
    if (checks[10] != options.EnglishUI) {
        state.Ui.PlainNotice(_("Voor deze taalaanpassing moet Vaultor opnieuw gestart worden."));
        options.EnglishUI = checks[10];
    }
}

void SpBOptiesClick(AppState& state) {
    auto& m = state.Model;
    m.CheckListBox1.visible = !m.CheckListBox1.visible;
    m.SpBOptiesDown = m.CheckListBox1.visible;
}

void Doelbrowsertonen1Click(AppState& state) {
    state.Model.OptionChecks[2] = !state.Model.OptionChecks[2];
    CheckListBox1ClickCheck(state);
}

}  // namespace vaultor
