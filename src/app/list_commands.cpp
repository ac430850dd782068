#include "app/list_commands.h"

#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/main_window.h"
#include "app/run_logs.h"
#include "app/schedule_units.h"
#include "app/totals.h"
#include "app/versions_run.h"
#include "engine/run_journal.h"
#include "fs/copy_file.h"
#include "fs/drive_mapping.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "lists/inclusion.h"
#include "lists/list_file.h"
#include "lists/list_loading.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

// What moving or removing a list's schedule units had to say (a systemctl
// that failed, a crontab line to change), one message.
void SayUnitsOutcome(AppState& state, const UnitsOutcome& outcome) {
    if (outcome.lines.empty()) return;
    std::string text;
    for (const auto& line : outcome.lines) text += (text.empty() ? "" : "\r\n") + line;
    state.Ui.ToonMelding(text);
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

int FindName(const AppState& state, const std::string& name) {
    const auto& items = state.Model.ComboBox1.items;
    for (size_t i = 0; i < items.size(); ++i)
        if (::strcasecmp(items[i].c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

void SelectName(AppState& state, const std::string& name) {
    auto& box = state.Model.ComboBox1;
    int at = FindName(state, name);
    if (at < 0) {
        box.items.push_back(name);
        std::stable_sort(box.items.begin(), box.items.end(), [](const auto& a, const auto& b) {
            return ::strcasecmp(a.c_str(), b.c_str()) < 0;
        });
        at = FindName(state, name);
    }
    box.selected = at;
    box.caption = box.items[static_cast<size_t>(at)];
}

void RemoveName(AppState& state, const std::string& name) {
    auto& items = state.Model.ComboBox1.items;
    int at = FindName(state, name);
    if (at >= 0) items.erase(items.begin() + at);
    state.Model.ComboBox1.selected = -1;
}

// Selects an existing list and loads it, so the box and the folders shown
// belong to one list; the list already loaded keeps its unsaved changes.
void ShowExisting(AppState& state, const std::string& name) {
    std::string current = state.CurrentListFile;
    SelectName(state, name);
    if (state.ProgramDir + state.Model.ComboBox1.caption + ".vlt" != current) ComboBox1Click(state);
}

void ResetLockDisplay(AppState& state) {
    auto& m = state.Model;
    m.Locked = false;
    m.LabelInfo.caption = "n/a";
    m.DriveComboBox1.enabled = true;
    m.Im_LockOpen.visible = true;
    m.Im_LockClosed.visible = false;
}

void Recalculate(AppState& state) {
    auto& m = state.Model;
    m.Label19.caption = _("Niet berekend");
    m.Gauge2.visible = false;
    m.L_Aktie.caption = _("berekenen");
    m.RichEdit1.clear();
    BerekenAlles(state);
    m.L_Aktie.caption = _("niet aktief");
}

// Never replaces a file that has the new name already.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

// Cut at the first dot; leading dots are part of the name, never all of it.
std::string StemOf(const std::string& name) {
    size_t from = name.find_first_not_of('.');
    size_t dot = from == std::string::npos ? std::string::npos : name.find('.', from);
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool IsInteger(const std::string& s) {
    if (s.empty()) return false;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    return i < s.size() && std::all_of(s.begin() + static_cast<long>(i), s.end(),
                                       [](unsigned char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsValidListName(const std::string& name, std::string* why) {
    // Room is left for ".vlt" and the temporary name of a safe write.
    constexpr size_t kMaxName = 200;
    bool bad = name.empty() || name == "." || name == ".." || name.size() > kMaxName ||
               name.front() == ' ' || name.back() == ' ';
    for (unsigned char c : name)
        if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7f) bad = true;
    if (bad)
        *why = Printf(_("\"%s\" kan geen lijstnaam zijn: een naam is niet leeg, niet . of .., "
                        "begint of eindigt niet met een spatie, heeft ten hoogste 200 tekens en "
                        "bevat geen /, \\, : of stuurtekens."),
                      name.c_str());
    return !bad;
}

std::string UniqueName(const std::string& path, const std::string& ext) {
    return UniqueName(path, ext, Exists);
}

std::string UniqueName(const std::string& path, const std::string& ext,
                       const std::function<bool(const std::string&)>& taken) {
    size_t cut = path.find_last_of("/\\:");
    std::string folder = cut == std::string::npos ? "" : path.substr(0, cut + 1);
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    // A name that holds a dot of its own ("Reis.2024.vlt") keeps it.
    if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
        name.resize(name.size() - ext.size());
    else
        name = StemOf(name);
    std::string first = folder + name + ext;
    if (!taken(first)) return first;
    size_t open = name.rfind('('), close = name.rfind(')');
    std::string prefix, suffix;
    if (open != std::string::npos && close != std::string::npos && open < close) {
        if (!IsInteger(name.substr(open + 1, close - open - 1)))
            return UniqueName(folder + name + " - copy (1)" + ext, ext, taken);
        prefix = folder + name.substr(0, open + 1);
        suffix = name.substr(close) + ext;
    } else {
        prefix = folder + name + " (";
        suffix = ")" + ext;
    }
    // Built from pieces, never through a format: a name may hold "%".
    for (long k = 1;; ++k) {
        std::string candidate = prefix + std::to_string(k) + suffix;
        if (!taken(candidate)) return candidate;
    }
}

std::string ImportList(AppState& state) {
    auto chosen = state.Ui.PickListFile(state.ProgramDir);
    if (!chosen || chosen->empty()) return {};
    size_t cut = chosen->find_last_of('/');
    std::string file_name = cut == std::string::npos ? *chosen : chosen->substr(cut + 1);
    size_t dot = file_name.rfind('.');
    std::string stem =
        file_name.substr(0, dot == std::string::npos || dot == 0 ? file_name.size() : dot);
    std::string why;
    if (!IsValidListName(stem, &why)) {
        state.Ui.ToonMelding(why);
        return {};
    }
    if (!ReadListLines(*chosen)) {
        state.Ui.ToonMelding(UnusableListMessage(*chosen));
        return {};
    }
    // One rule for every name: a list name is taken also when it differs only
    // in case, from a file or from a name in the box that has no file yet.
    const std::vector<std::string> files = ListNames(state.ProgramDir);
    auto taken = [&](const std::string& path) {
        std::string name = ListNameOf(path);
        return Exists(path) || FindName(state, name) >= 0 ||
               std::any_of(files.begin(), files.end(), [&](const std::string& file) {
                   return ::strcasecmp(file.c_str(), name.c_str()) == 0;
               });
    };
    std::string target = state.ProgramDir + stem + ".vlt";
    if (taken(target)) target = UniqueName(target, ".vlt", taken);
    std::string name = ListNameOf(target);
    if (!fs::CopyOneFile(*chosen, target).Ok()) {
        state.Ui.ToonMelding(
            Printf(_("De lijst %s kon niet geïmporteerd worden."), chosen->c_str()));
        return {};
    }
    return name;
}

void Nieuwebronlijstmaken1Click(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    auto& m = state.Model;
    if (!m.ComboBox1.caption.empty() && m.ListBox1.items.empty())
        RemoveName(state, m.ComboBox1.caption);
    if (state.ListChanged) VLTOpslaan(state);
    // The list being left keeps its lock and last run.
    if (!state.CurrentDrvFile.empty()) WriteVLTDriveInfoFile(state, state.CurrentDrvFile);

    std::string imported;
    UserInterface::NameAnswer answer;
    while (true) {
        answer = state.Ui.AskListName(_("Nieuwe lijst maken"), state.NameDialogText, true);
        state.NameDialogText = answer.text;
        if (answer.button != UserInterface::NameAnswer::Button::Import) break;
        imported = ImportList(state);
        if (!imported.empty()) {
            state.NameDialogText = imported;
            break;
        }
    }
    if (answer.button == UserInterface::NameAnswer::Button::Cancel) return;

    if (!imported.empty()) {
        Load_VLT_Files(state);
        SelectName(state, imported);
        state.Ui.ToonMelding(imported + " lijst geïmporteerd!");
        ComboBox1Click(state);
        return;
    }
    const std::string name = answer.text;
    std::string why;
    if (!IsValidListName(name, &why)) {
        state.Ui.ToonMelding(why);
        return;
    }
    if (FindName(state, name) >= 0) {
        state.Ui.ToonMelding(_("Lijstnaam bestaat al."));
        ShowExisting(state, name);
        return;
    }
    // Only a list that is really new starts without a record.
    ResetLockDisplay(state);
    state.LastDrive.clear();
    state.LastDate = "n/a";
    SelectName(state, name);
    m.ListBox1.items.clear();
    m.ListBox1.selected = -1;
    state.CurrentListFile = state.ProgramDir + name + ".vlt";
    state.CurrentDrvFile = state.ProgramDir + name + ".drv";
    state.ListChanged = true;
    MapBij1Click(state);
    m.SpB_Start.enabled = true;
}

void Bronlijstwissen1Click(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    auto& m = state.Model;
    if (state.Ui.VraagJaNee(state.CurrentListFile + _(" Verwijderen?")) == kAnswerNo) return;
    if (FindName(state, m.ComboBox1.caption) < 0) return;
    RemoveName(state, m.ComboBox1.caption);
    m.ListBox1.items.clear();
    m.ListBox1.selected = -1;
    fs::EraseFile(state.CurrentListFile);
    fs::EraseFile(state.CurrentDrvFile);
    if (!state.CurrentListFile.empty())
        RunJournal(RunJournal::PathForList(state.CurrentListFile)).Remove();
    RemoveRunLogs(state.ProgramDir, m.ComboBox1.caption);
    SayUnitsOutcome(state, RemoveScheduleUnits(state.ProgramDir, m.ComboBox1.caption));
    state.CurrentListFile.clear();
    state.CurrentDrvFile.clear();
    m.ComboBox1.caption.clear();
    state.ListChanged = false;
    m.SpB_Start.enabled = false;
}

void ComboBox1DblClick(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    auto& m = state.Model;
    const std::string old_name = m.ComboBox1.caption;
    auto answer = state.Ui.AskListName(_("Naam aanpassen"), old_name, false);
    state.NameDialogText = answer.text;
    if (answer.button != UserInterface::NameAnswer::Button::Ok) return;
    const std::string name = answer.text;
    if (name.find('.') != std::string::npos) {
        state.Ui.ToonMelding(_("Er mogen geen punten in de naam gezet worden, probeer opnieuw!"));
        return;
    }
    std::string why;
    if (!IsValidListName(name, &why)) {
        state.Ui.ToonMelding(why);
        return;
    }
    if (state.Ui.VraagJaNee(_("Lijstnaam veranderen?")) == kAnswerNo) return;
    if (FindName(state, name) >= 0) {
        state.Ui.ToonMelding(_("Deze lijstnaam bestaat al."));
        ShowExisting(state, name);
        return;
    }
    const std::string old_list = state.ProgramDir + old_name + ".vlt";
    const std::string old_drv = state.ProgramDir + old_name + ".drv";
    const std::string new_list = state.ProgramDir + name + ".vlt";
    const std::string new_drv = state.ProgramDir + name + ".drv";
    if (Exists(old_list)) {
        // A companion file without its list is left over from a list never
        // saved: it must not become this list's record.
        if (!Exists(new_list) && Exists(new_drv)) fs::EraseFile(new_drv);
        bool renamed = RenameNoReplace(old_list, new_list);
        if (renamed && Exists(old_drv) && !RenameNoReplace(old_drv, new_drv)) {
            RenameNoReplace(new_list, old_list);  // both names or neither
            renamed = false;
        }
        if (!renamed) {
            state.Ui.ToonMelding(_("Kon de naam niet aanpassen!"));
            return;  // the old name and paths stay
        }
        // An interrupted run's journal belongs to the list, under any name.
        const std::string old_journal = RunJournal::PathForList(old_list);
        if (RunJournal::Exists(old_journal))
            RenameNoReplace(old_journal, RunJournal::PathForList(new_list));
        MoveRunLogs(state.ProgramDir, old_name, name);
        RenameListVersions(state, old_name, name);
        SayUnitsOutcome(state, MoveScheduleUnits(state.ProgramDir, old_name, name));
    }
    RemoveName(state, old_name);
    SelectName(state, name);
    state.CurrentListFile = new_list;
    state.CurrentDrvFile = new_drv;
}

void MapBij1Click(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    auto& m = state.Model;
    if (m.ComboBox1.caption.empty()) {
        state.Ui.ToonMelding(_("Geef nu eerst een naam voor de lijst op"));
        Nieuwebronlijstmaken1Click(state);
        if (m.ComboBox1.caption.empty()) return;
    }
    while (true) {
        auto picked = state.Ui.PickFolder();
        if (!picked || picked->empty()) return;
        std::string folder = NormalisedFolder(*picked);
        if (CheckForMaps(m.ListBox1.items, folder, state.Ui)) continue;
        m.RichEdit1.clear();
        m.ListBox1.items.push_back(folder);
        Recalculate(state);
        state.ListChanged = true;
        if (state.Ini.ConfirmDialogs &&
            state.Ui.VraagJaNee(_("De map ") + folder + _(" is toegevoegd!") + "\r" +
                                _("nog een map toevoegen?")) == kAnswerNo)
            return;
    }
}

void Wisdemap1Click(AppState& state) {
    if (state.RunInProgress) return;  // a run is going on
    auto& box = state.Model.ListBox1;
    if (box.selected < 0 || box.selected >= static_cast<int>(box.items.size())) return;
    std::string line = box.items[static_cast<size_t>(box.selected)];
    if (state.Ui.VraagJaNee(Printf(_("De map %s uit de lijst verwijderen?"), line.c_str())) ==
        kAnswerNo)
        return;
    box.items.erase(box.items.begin() + box.selected);
    box.selected = -1;
    state.ListChanged = true;
    Recalculate(state);
}

}  // namespace vaultor
