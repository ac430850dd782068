#pragma once

#include <string>

#include "app/start.h"
#include "state/app_state.h"

namespace vaultor {

// The main window's own steps, on the model; the window and vaultor-cli only
// call these.
void FormCreate(AppState& state, const StartedProgram& program);
void FormShow(AppState& state);
// The one-time start flow of the first paint; later paints do nothing.
void FormPaint(AppState& state);
// Says, once, that the settings file could not be used (FormPaint does it first).
void TellSettingsProblem(AppState& state);
// Loads the chosen list. Without totals for a front end whose next command
// (Start, the test) computes them again anyway.
void ComboBox1Click(AppState& state, bool totals = true);
void GetInfoAndFillLabels(AppState& state);
void DriveComboBox1Click(AppState& state);
void DriveComboBox1DropDown(AppState& state);
// Reads the drive table again (a stick plugged in, another disc) and the box.
void SB_ResetDriveClick(AppState& state);
void SB_MousInfoMouseDown(AppState& state);
void SB_MousInfoMouseUp(AppState& state);
void PopupMenu1Popup(AppState& state);
// Stop: the loops see it between folders and files.
// False when the close is refused (a run in progress). Throws WriteError when
// the settings or the companion file cannot be written; the window stays open.
// Without `remember_list` the list last used stays as the settings had it (a
// run no one started by hand is not the user's last list).
bool FormClose(AppState& state, bool remember_list = true);

}  // namespace vaultor
