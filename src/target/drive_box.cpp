#include "target/drive_box.h"

#include <algorithm>
#include <cctype>

#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "fs/size_text.h"
#include "state/rates.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

}  // namespace

std::string DriveBoxText(char letter) {
    std::string head = std::string(1, letter) + ": ";
    int kind = fs::GetDriveKind(letter);
    std::string label;
    bool has_label = fs::GetVolumeLabel(letter, label);
    if (kind == fs::drive_kind::kOptical)
        return head + (has_label ? "[" + Upper(label) + "]" : "[Drive empty]");
    if (kind == fs::drive_kind::kNetwork) {
        std::string source = fs::GetDriveSourceName(letter);
        if (!source.empty()) return head + source;
    }
    return head + "[" + Upper(has_label ? label : "") + "]";
}

void FillDriveBox(AppState& state) {
    char keep = SelectedDriveLetter(state);
    if (!keep) keep = TargetLetter(state);
    auto& box = state.Model.DriveComboBox1;
    box.items.clear();
    box.selected = -1;
    for (char letter : fs::Drives().Letters())
        if (fs::GetDriveKind(letter) != fs::drive_kind::kNone)
            box.items.push_back(DriveBoxText(letter));
    if (keep) SelectDrive(state, keep);
    if (box.selected < 0 && !box.items.empty()) {
        box.selected = 0;
        box.caption = box.items.front();
    }
}

void ResetDriveBox(AppState& state) {
    auto& box = state.Model.DriveComboBox1;
    int selected = box.selected;
    for (auto& text : box.items) {
        if (text.empty()) continue;
        char letter = fs::NormaliseLetter(text[0]);
        if (letter && fs::GetDriveKind(letter) == fs::drive_kind::kOptical)
            text = DriveBoxText(letter);
    }
    box.selected = selected;
    if (selected >= 0 && selected < static_cast<int>(box.items.size()))
        box.caption = box.items[static_cast<size_t>(selected)];
    fs::ProcessPendingMessages();
}

void CB_LockedClick(AppState& state) {
    auto& m = state.Model;
    m.DriveComboBox1.enabled = !m.Locked;
    m.Im_LockOpen.visible = !m.Locked;
    m.Im_LockClosed.visible = m.Locked;
}

char TargetLetter(const AppState& state) {
    return state.TargetRoot.empty() ? 0 : fs::NormaliseLetter(state.TargetRoot[0]);
}

bool IsDriveAanwezig(AppState& state) {
    char letter = TargetLetter(state);
    bool ready = letter && fs::IsDriveReady(letter);
    if (!ready) {
        auto& m = state.Model;
        m.Gauge2.visible = false;
        m.Gauge1.progress = 0;
        m.Label5.caption = "000 MB";
        m.Label4.caption = "000 kB";
        m.Label11.caption = "000 kB";
        m.Label19.caption = _("Niet berekend");
    }
    return ready;
}

void ToonRuimteOpDrive(AppState& state) {
    if (!IsDriveAanwezig(state)) return;
    auto& m = state.Model;
    char letter = TargetLetter(state);
    std::int64_t free = fs::GetDriveFreeBytes(letter);
    std::int64_t total = fs::GetDriveTotalBytes(letter);
    if (free < 0 || total < 0) return;  // gone while being drawn: leave what is shown
    m.Label5.caption = fs::FormatMB(free);
    m.Label11.caption = fs::FormatMB(total);
    m.Label4.caption = fs::FormatMB(total >= free ? total - free : free - total);
    // 64-bit units of 1024 bytes: no drive is too large to draw.
    m.Gauge1.maximum = m.Gauge2.maximum = total / 1024;
    m.Gauge1.progress = std::clamp<std::int64_t>(free / 1024, 0, m.Gauge1.maximum);
    m.Gauge2.progress =
        std::clamp<std::int64_t>(free / 1024 - state.TotalBytes / 1024, 0, m.Gauge2.maximum);
    if (state.BytesPerSecond == 0) {
        m.LabelTijd.caption = _("00:00:00");
        m.LabelTimeLeft.caption = _("00:00:00");
    } else {
        SetMinuteLabel(state, state.TotalBytes / state.BytesPerSecond);
    }
}

}  // namespace vaultor
