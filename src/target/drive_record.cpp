#include "target/drive_record.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "fs/atomic_write.h"
#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/text_lines.h"
#include "fs/time_text.h"
#include "state/ini_file.h"

namespace vaultor {
namespace {

constexpr const char* kSection = "Vaultor";
// "Datum: dd-mm-yyyy Tijd: hh:mm:ss" in any language fits many times over.
constexpr size_t kMaxRecordLine = 1024;

void ShowLock(AppState& state) {
    auto& m = state.Model;
    m.Im_LockOpen.visible = !m.Locked;
    m.Im_LockClosed.visible = m.Locked;
    m.DriveComboBox1.enabled = !m.Locked;
}

}  // namespace

char SelectedDriveLetter(const AppState& state) {
    const auto& box = state.Model.DriveComboBox1;
    if (box.selected < 0 || box.selected >= static_cast<int>(box.items.size())) return 0;
    const std::string& text = box.items[static_cast<size_t>(box.selected)];
    return text.empty() ? 0 : fs::NormaliseLetter(text[0]);
}

bool SelectDrive(AppState& state, char letter) {
    auto& box = state.Model.DriveComboBox1;
    for (size_t i = 0; i < box.items.size(); ++i)
        if (!box.items[i].empty() && fs::NormaliseLetter(box.items[i][0]) == letter) {
            box.selected = static_cast<int>(i);
            box.caption = box.items[i];
            return true;
        }
    return false;
}

void ReadVLTDriveInfoFile(AppState& state, const std::string& path) {
    auto& m = state.Model;
    state.LastDrive.clear();
    m.Locked = false;
    m.LabelInfo.caption = "n/a";
    m.DriveComboBox1.enabled = true;
    m.Im_LockOpen.visible = true;
    m.Im_LockClosed.visible = false;
    // A list without a record starts afresh, never with the record of the
    // list shown before it.
    state.LastDate = "n/a";
    state.LastDriveAsRead.clear();
    state.LastDateAsRead = state.LastDate;
    if (::access(path.c_str(), F_OK) != 0) return;

    IniFile ini = IniFile::Read(path);
    if (!ini.Problem().empty()) state.Ui.ToonMelding(ini.Problem());
    std::string drive = ini.Text(kSection, "TheDrive").value_or("");
    m.Locked = ini.Bool(kSection, "Locked", false);
    state.LastDrive = ini.Text(kSection, "DriveLabel").value_or("");
    state.LastDate = ini.Text(kSection, "LastUsed").value_or("");
    if (state.LastDate.empty()) state.LastDate = "n/a";
    state.LastDriveAsRead = state.LastDrive;
    state.LastDateAsRead = state.LastDate;
    ShowLock(state);

    // Not a letter: no record of a drive.
    char letter = drive.empty() ? 0 : fs::NormaliseLetter(drive[0]);
    if (!letter) letter = SelectedDriveLetter(state);
    if (!letter) letter = 'C';
    state.TargetRoot = std::string(1, letter) + ":\\";
    if (!SelectDrive(state, letter)) {
        // A recorded drive that is not on this machine now stays the list's
        // target, in the box too, until the user picks another.
        auto& items = state.Model.DriveComboBox1.items;
        items.push_back(std::string(1, letter) + ": []");
        std::sort(items.begin(), items.end());
        SelectDrive(state, letter);
    }
    GetDriveInfoFile(state, state.TargetRoot + "Vaultor.dat");
    m.Label16.caption = std::string(1, letter) + ":";
}

void WriteVLTDriveInfoFile(AppState& state, const std::string& path) {
    if (path.empty()) return;
    IniFile ini = IniFile::ForWrite(path);
    char letter = SelectedDriveLetter(state);
    ini.Set(kSection, "TheDrive", letter ? std::string(1, letter) : std::string());
    ini.SetBool(kSection, "Locked", state.Model.Locked);
    // The last backup as this program knows it, unless it made none since it
    // read the record and the file holds a newer one.
    const bool own_backup =
        state.LastDrive != state.LastDriveAsRead || state.LastDate != state.LastDateAsRead;
    const auto file_date = ini.Text(kSection, "LastUsed");
    if (own_backup || !file_date || file_date->empty() || *file_date == state.LastDateAsRead) {
        ini.Set(kSection, "DriveLabel", state.LastDrive);
        ini.Set(kSection, "LastUsed", state.LastDate);
        state.LastDriveAsRead = state.LastDrive;
        state.LastDateAsRead = state.LastDate;
    } else {
        state.LastDrive = state.LastDriveAsRead = ini.Text(kSection, "DriveLabel").value_or("");
        state.LastDate = state.LastDateAsRead = *file_date;
    }
    ini.Write();
    if (!ini.Problem().empty()) state.Ui.ToonMelding(ini.Problem());
}

void GetDriveInfoFile(AppState& state, const std::string& path) {
    char letter = path.empty() ? 0 : fs::NormaliseLetter(path[0]);
    bool letter_path = path.size() > 1 && path[1] == ':';
    auto native = fs::Drives().ToNative(path);
    // A drive that does not answer is asked through the time limit first.
    bool readable = native && (!letter_path || (letter && fs::IsDriveReady(letter)));
    state.Model.LabelInfo.caption = _("n/a");
    if (!readable) return;
    // Only the first line is used: a record is two short lines, and a huge or
    // endless file in its place is read no further than that.
    fs::SmallFile start = fs::ReadFileStart(*native, kMaxRecordLine + 2);
    if (start.status == fs::SmallFile::Status::Missing ||
        start.status == fs::SmallFile::Status::Unreadable)
        return;
    size_t end = start.bytes.find_first_of("\r\n");
    if (start.status != fs::SmallFile::Status::Ok ||
        (end == std::string::npos ? start.bytes.size() : end) > kMaxRecordLine) {
        state.Ui.ToonMelding(Printf(_("Het bestand %s is geen record van Vaultor en wordt niet "
                                      "gebruikt."),
                                    path.c_str()));
        return;
    }
    std::string first = start.bytes.substr(0, end);
    if (!first.empty()) state.Model.LabelInfo.caption = first;
}

std::string RunDateText() {
    const std::time_t now = std::time(nullptr);
    return _("Datum: ") + fs::LocalTimeText(now, "%d-%m-%Y") + _(" Tijd: ") +
           fs::LocalTimeText(now, "%H:%M:%S");
}

bool WriteDriveInfoFile(AppState& state, const std::string& path) {
    state.Model.LabelInfo.caption = RunDateText();
    state.LastDate = state.Model.LabelInfo.caption;
    if (state.Ini.StoreActionTime) {
        auto native = fs::Drives().ToNative(path);
        return native &&
               fs::WriteFileAtomically(
                   *native, state.LastDate + "\r\n" + state.Model.ComboBox1.caption + "\r\n");
    }
    fs::EraseFile(path);
    return true;
}

}  // namespace vaultor
