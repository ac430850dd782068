#include "lists/list_loading.h"

#include <sys/stat.h>
#include <unistd.h>

#include "fs/drive_mapping.h"
#include "fs/drives.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/letter_path.h"
#include "fs/pump.h"
#include "fs/text_lines.h"
#include "lists/list_file.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

// No folder of this system has a longer path.
constexpr size_t kMaxLine = 4096;

std::vector<std::string> ReadFolders(AppState& state, const std::string& path) {
    auto lines = ReadListLines(path);
    if (!lines) {
        state.Ui.ToonMelding(UnusableListMessage(path));
        return {};
    }
    for (auto& line : *lines) line = fs::CanonicalLetterPath(std::move(line));
    return std::move(*lines);
}

bool UsableLine(const std::string& line) {
    return line.size() >= 2 && line[1] == ':' && fs::NormaliseLetter(line[0]) &&
           line.size() <= kMaxLine && fs::IsSafeLetterPath(line);
}

enum class Presence { Present, DriveNotReady, Missing };

Presence PresenceOf(const std::string& line) {
    if (ListFolderExists(line)) return Presence::Present;
    if (!UsableLine(line)) return Presence::Missing;
    char letter = fs::NormaliseLetter(line[0]);
    return letter && !fs::IsDriveReady(letter) ? Presence::DriveNotReady : Presence::Missing;
}

}  // namespace

bool ListFolderExists(const std::string& line) {
    if (!UsableLine(line)) return false;  // only safe letter paths name folders
    std::string test = line.size() == 3 ? line.substr(0, 2) : line;
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
    state.Model.ListBox1NotPresent.clear();
    if (::access(list_file.c_str(), F_OK) == 0) {
        state.LastListName = name;
        for (const auto& line : ReadFolders(state, list_file)) {
            // A folder on a drive that is not plugged in has not gone: it stays.
            switch (PresenceOf(line)) {
                case Presence::DriveNotReady:
                    state.Model.ListBox1NotPresent.push_back(line);
                    [[fallthrough]];
                case Presence::Present:
                    box.items.push_back(line);
                    break;
                case Presence::Missing:
                    ++state.MissingCount;
            }
        }
    } else {
        state.LastListName.clear();
    }
    state.CurrentListFile = list_file;
    state.CurrentDrvFile = state.ProgramDir + name + ".drv";
    ReadVLTDriveInfoFile(state, state.CurrentDrvFile);
}

namespace {

// A file the loader could not use is kept beside the one written; false when
// it could not be moved, and then nothing is written over it.
bool SetAsideUnusableList(AppState& state) {
    const std::string& path = state.CurrentListFile;
    if (ReadListLines(path)) return true;
    if (ListFileUnreadable(path)) return false;  // its folders may be whole, unseen
    auto aside = fs::SetAside(path);
    if (aside)
        state.Ui.ToonMelding(Printf(_("Het bestand %s was niet te gebruiken en is bewaard als %s."),
                                    path.c_str(), aside->c_str()));
    return aside.has_value();
}

}  // namespace

bool VLTOpslaan(AppState& state) {
    auto& lines = state.Model.ListBox1.items;
    if (lines.empty()) return true;
    bool reached_the_file = true;
    if (state.ListChanged) {
        bool save = true;
        if (state.Ini.ConfirmDialogs)
            save = state.Ui.VraagJaNee(Printf(_("Veranderingen voor de lijst %s opslaan?"),
                                              state.CurrentListFile.c_str())) == kAnswerYes;
        reached_the_file = save;
        if (save &&
            (!SetAsideUnusableList(state) || !WriteListFile(state.CurrentListFile, lines))) {
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
        bool drop = state.Ui.VraagJaNee(question) != kAnswerNo;
        // A list is never saved empty: with every folder gone nothing can be
        // removed from its file, and saying so would not be true.
        if (drop && state.Model.ListBox1.items.empty()) {
            state.Ui.ToonMelding(Printf(_("Geen enkele map van de lijst %s is aanwezig. Een lege "
                                          "lijst wordt niet opgeslagen: de lijst blijft zoals "
                                          "hij is."),
                                        name.c_str()));
            drop = false;
        }
        if (drop) {
            state.Ui.ToonMelding(std::to_string(state.MissingCount) +
                                 _(" niet bestaande map(pen) zijn nu uit de \"") + name +
                                 _("\" lijst verwijderd!"));
            state.ListChanged = true;
        } else {
            state.Model.ListBox1.items = ReadFolders(state, state.CurrentListFile);
        }
    }
    state.MissingCount = 0;
}

}  // namespace vaultor
