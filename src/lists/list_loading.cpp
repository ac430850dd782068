#include "lists/list_loading.h"

#include <sys/stat.h>
#include <unistd.h>

#include "fs/drive_mapping.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/pump.h"
#include "lists/list_file.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

// Drive letters read from a file are upper-cased.
std::string NormalisedLine(std::string line) {
    if (line.size() >= 2 && line[1] == ':' && fs::NormaliseLetter(line[0]))
        line[0] = fs::NormaliseLetter(line[0]);
    return line;
}

std::vector<std::string> ReadFolders(const std::string& path) {
    std::vector<std::string> lines = ReadListLines(path);
    for (auto& line : lines) line = NormalisedLine(std::move(line));
    return lines;
}

}  // namespace

bool ListFolderExists(const std::string& line) {
    std::string test = line.size() == 3 ? line.substr(0, 2) : line;
    if (test.size() < 2 || test[1] != ':') return false;  // only letter paths name folders
    return fs::IsDirectory(test);
}

void Load_VLT_Files(AppState& state) {
    state.Model.ComboBox1.items = ListNames(state.ProgramDir);
    fs::ProcessPendingMessages();
}

void LaadComboBoxVltFile(AppState& state) {
    const std::string name = state.Model.ComboBox1.caption;
    const std::string list_file = state.ProgramDir + name + ".vlt";
    if (!state.CurrentListFile.empty() && state.CurrentListFile != list_file) VLTOpslaan(state);
    state.MissingCount = 0;
    auto& box = state.Model.ListBox1;
    box.items.clear();
    box.selected = -1;
    if (::access(list_file.c_str(), F_OK) == 0) {
        state.LastListName = name;
        for (const auto& line : ReadFolders(list_file)) {
            if (ListFolderExists(line))
                box.items.push_back(line);
            else
                ++state.MissingCount;
        }
    } else {
        state.LastListName.clear();
    }
    state.CurrentListFile = list_file;
    state.CurrentDrvFile = state.ProgramDir + name + ".drv";
    ReadVLTDriveInfoFile(state, state.CurrentDrvFile);
}

bool VLTOpslaan(AppState& state) {
    auto& lines = state.Model.ListBox1.items;
    if (lines.empty()) return true;
    bool reached_the_file = true;
    if (state.ListChanged) {
        bool save = true;
        if (state.ConfirmDialogs)
            save = state.Ui.VraagJaNee(Printf(_("Veranderingen voor de lijst %s opslaan?"),
                                              state.CurrentListFile.c_str())) == kAnswerYes;
        reached_the_file = save;
        if (save && !WriteListFile(state.CurrentListFile, lines)) {
            state.Ui.ToonMelding(Printf(_("Fout! lijst %s kon niet opslaan worden."),
                                        state.CurrentListFile.c_str()));
            reached_the_file = false;
        }
    }
    state.ListChanged = false;
    WriteVLTDriveInfoFile(state, state.CurrentDrvFile);
    return reached_the_file;
}

void NotThereAction(AppState& state) {
    if (state.MissingCount > 0) {
        const std::string& name = state.Model.ComboBox1.caption;
        std::string question =
            Printf(_("%d mappen uit de %s lijst zijn niet aanwezig.\r\ndeze mappen automatisch "
                     "verwijderen?"),
                   state.MissingCount, name.c_str());
        if (state.Ui.VraagJaNee(question) != kAnswerNo) {
            state.Ui.ToonMelding(std::to_string(state.MissingCount) +
                                 _(" niet bestaande map(pen) zijn nu uit de \"") + name +
                                 _("\" lijst verwijderd!"));
            state.ListChanged = true;
        } else {
            state.Model.ListBox1.items = ReadFolders(state.CurrentListFile);
        }
    }
    state.MissingCount = 0;
}

}  // namespace vaultor
