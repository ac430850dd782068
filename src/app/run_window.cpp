#include "app/run_window.h"

#include <limits>

#include "fs/file_info.h"
#include "fs/i18n.h"
#include "fs/size_text.h"
#include "state/rates.h"
#include "target/target_browser.h"

namespace vaultor {

void WindowObserver::Status(const std::string& text) {
    state_.Model.StatusBar1 = text;
    if (also_) also_->Status(text);
}

void WindowObserver::FileCompared(std::int64_t size, bool present, bool differs) {
    auto& m = state_.Model;
    m.L_File.caption = fs::KiesFormaatStr(size);
    m.L_NotPresent.colour = present ? kGreen : kRed;
    m.L_Comp.colour = !present ? kSilver : differs ? kRed : kGreen;
    if (also_) also_->FileCompared(size, present, differs);
}

namespace {

void ShowCheckBar(MainWindowModel& m, std::int64_t done, std::int64_t total) {
    const std::int64_t percent = fs::Percentage(total, done);
    m.Label1.visible = true;
    m.Label1.caption = std::to_string(done) + " - " + std::to_string(total) + " - " +
                       std::to_string(percent) + "%";
    m.ProgressBar1 = percent;
}

}  // namespace

void WindowObserver::CheckProgress(std::int64_t done, std::int64_t total) {
    ShowCheckBar(state_.Model, done, total);
    if (also_) also_->CheckProgress(done, total);
}

void WindowObserver::FolderCompared() {
    state_.Model.Label1.visible = false;
    if (also_) also_->FolderCompared();
}

void WindowObserver::FileStarted(const std::string& target) {
    state_.Model.StatusBar1 = fs::OnlyName(target);
    state_.Model.L_Kopieer.colour = kRed;
    if (also_) also_->FileStarted(target);
}

void WindowObserver::FileBytes(std::int64_t written) {
    state_.Model.L_File.caption = fs::KiesFormaatStr(written);
    if (also_) also_->FileBytes(written);
}

void WindowObserver::FileDone(const std::string& target, std::int64_t size, CopyEnd how) {
    auto& m = state_.Model;
    if (size >= 0) m.L_File.caption = fs::KiesFormaatStr(size);
    switch (how) {
        case CopyEnd::Failed:
            m.L_Comp.colour = m.L_NotPresent.colour = m.L_Kopieer.colour = kYellow;
            break;
        case CopyEnd::Updated:
            m.L_Kopieer.colour = kSilver;
            m.L_Comp.colour = kRed;
            m.L_NotPresent.colour = kGreen;
            break;
        case CopyEnd::Copied:
            m.L_Kopieer.colour = kSilver;
            m.L_Comp.colour = kSilver;
            m.L_NotPresent.colour = kRed;
            break;
    }
    if (also_) also_->FileDone(target, size, how);
}

void WindowObserver::CopyProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) {
    if (done > 0 && total > 0) {
        std::int64_t percent = fs::Percentage(total, done);
        if (percent <= std::numeric_limits<std::int32_t>::max())
            state_.Model.ProgressBar1 = percent;
    }
    UpdateRate(state_, done, total, elapsed_ms);
    if (also_) also_->CopyProgress(done, total, elapsed_ms);
}

// The bar and its label as the check shows them, and the two time labels
// from the rate of this reading alone: the copy rate kept per drive kind is
// not a reading rate.
void WindowObserver::ContentProgress(std::int64_t done, std::int64_t total,
                                     std::int64_t elapsed_ms) {
    ShowCheckBar(state_.Model, done, total);
    const std::int64_t seconds = elapsed_ms / 1000;
    if (seconds > 0 && done / seconds > 0) {
        const std::int64_t rate = done / seconds;
        SetMinuteLabel(state_, total / rate);
        SetTimeleftLabel(state_, (total - done) / rate);
    }
    if (also_) also_->ContentProgress(done, total, elapsed_ms);
}

void WindowObserver::FolderMade(const std::string& folder) {
    if (NotInTargetTree(state_, folder)) FillDirTreeView(state_);
    if (also_) also_->FolderMade(folder);
}

void WindowObserver::Say(const std::string& line) {
    state_.Model.RichEdit1.push_back(line);
    if (also_) also_->Say(line);
}

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

}  // namespace vaultor
