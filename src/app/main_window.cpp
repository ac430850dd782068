#include "app/main_window.h"

#include <strings.h>
#include <unistd.h>

#include <filesystem>

#include "app/last_backup.h"
#include "app/list_commands.h"
#include "app/options.h"
#include "app/totals.h"
#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "lists/list_loading.h"
#include "state/rates.h"
#include "target/drive_box.h"
#include "target/drive_record.h"
#include "target/target_browser.h"

namespace vaultor {
namespace {

// The letter the pane names; C: before any target is chosen.
char ShownTargetLetter(const AppState& state) {
    return state.TargetRoot.empty() ? 'C' : state.TargetRoot[0];
}

bool TargetReady(const AppState& state) {
    char letter = fs::NormaliseLetter(ShownTargetLetter(state));
    return letter && fs::IsDriveReady(letter);
}

void SayWhetherTheTargetIsThere(AppState& state) {
    if (TargetReady(state))
        state.Model.RichEdit1.push_back(_("Vaultor klaar voor gebruik..."));
    else
        state.Model.RichEdit1.push_back("Drive " + std::string(1, ShownTargetLetter(state)) +
                                        _(": niet aanwezig"));
}

// The item named `name`: the exact name first, else one that differs only in case.
size_t PickName(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return i;
    for (size_t i = 0; i < names.size(); ++i)
        if (::strcasecmp(names[i].c_str(), name.c_str()) == 0) return i;
    return 0;
}

bool ListFileExists(const AppState& state) {
    return ::access((state.ProgramDir + state.Model.ComboBox1.caption + ".vlt").c_str(), F_OK) == 0;
}

}  // namespace

void FormCreate(AppState& state, const StartedProgram& program) {
    auto& m = state.Model;
    state.StartingUp = true;
    state.LastCheckCopies.clear();
    state.ProgramDir = program.ProgramDir;
    state.ListChanged = false;
    state.LastListName.clear();
    ApplySettings(state, program.settings);
    m.Caption = state.Ini.EnglishUI ? "Vaultor version 1.8c" : "Vaultor versie 1.8c";
    m.HelpFile = state.Ini.EnglishUI ? "Vaultor_en.html" : "Vaultor.html";
    // The drive that was current at start: the drive of the working folder,
    // before the program folder becomes the working folder.
    std::error_code ec;
    std::string start_folder = std::filesystem::current_path(ec).string();
    std::string start_letter_path = fs::Drives().ToLetterPath(ec ? "/" : start_folder);
    char start_drive = fs::NormaliseLetter(start_letter_path[0]) ? start_letter_path[0] : 'C';
    if (::chdir(state.ProgramDir.c_str()) != 0) {
        // A failure to make the program folder current is of no consequence.
    }
    FillDriveBox(state);
    SelectDrive(state, start_drive);
    state.TargetRoot = std::string(1, start_drive) + ":\\";
    state.LastDate = "n/a";
    m.RichEdit1.clear();
    m.StatusBar1 = _("Druk op de F1 toets voor help.");
    state.NameDialogText = _("Tik hier een unieke naam voor de bronlijst");
    m.L_Aktie.caption = _("niet aktief");
    m.Label19.caption = _("Niet berekend");
    m.Gauge2.visible = false;
    m.LabelTijd.caption = m.LabelTimeLeft.caption = "00:00:00";  // until a rate is known
    m.Label10.caption = _("Totalen:");
}

void FormShow(AppState& state) {
    CheckListBox1ClickCheck(state);
}

void TellSettingsProblem(AppState& state) {
    if (state.Ini.FileProblem.empty()) return;
    state.Ui.ToonMelding(state.Ini.FileProblem);
    state.Ini.FileProblem.clear();
}

void FormPaint(AppState& state) {
    if (!state.StartingUp) return;
    auto& m = state.Model;
    TellSettingsProblem(state);
    m.FileListBox1.clear();
    Load_VLT_Files(state);
    auto& names = m.ComboBox1.items;
    if (!names.empty()) {
        size_t pick = 0;
        if (!state.LastListName.empty() &&
            ::access((state.ProgramDir + state.LastListName + ".vlt").c_str(), F_OK) == 0)
            pick = PickName(names, state.LastListName);
        m.ComboBox1.selected = static_cast<int>(pick);
        m.ComboBox1.caption = names[pick];
        LaadComboBoxVltFile(state);
    }
    ToonRuimteOpDrive(state);
    if (TargetReady(state)) {
        m.L_Aktie.caption = _("berekenen");
        m.RichEdit1.push_back(_("Een momentje geduld, a.u.b."));
        m.RichEdit1.push_back(_("Bezig met berekenen van de lijst......."));
    }
    BerekenAlles(state);
    NotThereAction(state);
    m.SpB_Stop.enabled = true;
    m.L_Aktie.caption = _("niet aktief");
    if (!ListFileExists(state)) {
        m.SpB_Start.enabled = m.SpBCompare.enabled = false;
        std::string own = fs::Drives().ToLetterPath(state.ProgramDir);
        if (fs::NormaliseLetter(own[0])) SelectDrive(state, own[0]);
        state.BytesPerSecond = 0;
        if (state.Ui.VraagJaNee(_("Er is geen lijst aanwezig, nu meteen een nieuwe kopieerlijst "
                                  "maken?")) == kAnswerYes)
            Nieuwebronlijstmaken1Click(state);
        else
            state.Ui.ToonMelding(
                _("Er kan op elk gewenst moment een kopieerlijst gemaakt worden") +
                std::string("\r") +
                _("door op het eerste icoontje (boven het linkervenster) te klikken"));
    }
    SayWhetherTheTargetIsThere(state);
    FillDirTreeView(state);
    state.StartingUp = false;
}

void ComboBox1Click(AppState& state, bool totals) {
    if (state.RunInProgress) return;  // a run is going on
    auto& m = state.Model;
    WriteVLTDriveInfoFile(state, state.CurrentDrvFile);
    LaadComboBoxVltFile(state);
    m.L_Aktie.caption = _("berekenen");
    m.RichEdit1.clear();
    if (totals) BerekenAlles(state);
    SayWhetherTheTargetIsThere(state);
    NotThereAction(state);
    m.L_Aktie.caption = _("niet aktief");
    m.Label19.caption = _("Niet berekend");
    m.Gauge2.visible = false;
    m.SpB_Start.enabled = true;
    FillDirTreeView(state);
    ShowLastBackup(state);
}

void GetInfoAndFillLabels(AppState& state) {
    auto& m = state.Model;
    char letter = SelectedDriveLetter(state);
    if (!letter) return;
    state.TargetRoot = std::string(1, letter) + ":\\";
    m.Label16.caption = std::string(1, letter) + ":";
    GetDriveInfoFile(state, state.TargetRoot + "Vaultor.dat");
    state.TargetDriveKind = fs::GetDriveKind(letter);
    state.BytesPerSecond = GetDrvBpsVal(state);
    if (state.BytesPerSecond == 0) {
        m.LabelTijd.caption = m.LabelTimeLeft.caption = "00:00:00";
    } else {
        SetMinuteLabel(state, state.TotalBytes / state.BytesPerSecond);
    }
}

void DriveComboBox1Click(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    WriteVLTDriveInfoFile(state, state.CurrentDrvFile);
    GetInfoAndFillLabels(state);
    ToonRuimteOpDrive(state);
    state.Model.Label19.caption = _("Niet berekend");
    state.Model.Gauge2.visible = false;
    FillDirTreeView(state);
}

void DriveComboBox1DropDown(AppState& state) {
    ResetDriveBox(state);
}

void SB_ResetDriveClick(AppState& state) {
    fs::DriveTable::Sources sources;
    sources.recorded = state.Ini.Drives;
    if (!state.CommandLineDrives.empty()) sources.command_line = state.CommandLineDrives;
    fs::DriveTable table = fs::DriveTable::Build(sources);
    for (const auto& mapping : table.NewlyRecorded()) state.Ini.Drives.push_back(mapping);
    fs::SetDriveTable(std::move(table));
    FillDriveBox(state);
    ResetDriveBox(state);
    FillDirTreeView(state);
}

void SB_MousInfoMouseDown(AppState& state) {
    auto& m = state.Model;
    m.Memo1 = {_("Bronlijst informatie"), _(" - Laatst gebruikte drive: ") + state.LastDrive,
               _(" - Datum laatste bewerking: ") + state.LastDate};
    m.Memo1Box.visible = true;
}

void SB_MousInfoMouseUp(AppState& state) {
    state.Model.Memo1Box.visible = false;
    state.Model.Memo1.clear();
}

void PopupMenu1Popup(AppState& state) {
    auto& m = state.Model;
    bool selected =
        m.ListBox1.selected >= 0 && m.ListBox1.selected < static_cast<int>(m.ListBox1.items.size());
    m.Wisdemap1.enabled = m.Toonmapinfolog1.enabled = selected;
}

bool FormClose(AppState& state, bool remember_list) {
    if (state.RunInProgress) return false;  // a run is going on
    // The start flow has not shown Start yet: closing now would write the
    // settings without the list it is loading.
    if (state.StartingUp) return false;
    if (!state.Model.SpB_Start.visible) return false;
    VLTOpslaan(state);
    state.LastListName = remember_list ? state.Model.ComboBox1.caption : state.Ini.LastListName;
    SetDrvBpsVal(state);
    std::string aside = SchrijfIniFile(state.ProgramDir + "Vaultor.ini", CollectSettings(state));
    if (!aside.empty()) state.Ui.ToonMelding(aside);
    state.LastCheckCopies.clear();
    return true;
}

}  // namespace vaultor
