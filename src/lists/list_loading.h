#pragma once

#include "state/app_state.h"

namespace vaultor {

// Fills ComboBox1 with the names of all lists in the program folder.
void Load_VLT_Files(AppState& state);
// Loads the list named by ComboBox1's text: its existing folders into
// ListBox1 (missing ones counted in MissingCount) and its companion record.
void LaadComboBoxVltFile(AppState& state);
// Saves the loaded list when it changed (asking first under option 5) and
// always writes its companion file. Throws WriteError for the companion file.
// False when the changes did not reach the file (declined, or the write failed).
bool VLTOpslaan(AppState& state);
// After a load with missing folders: offers to drop them for good.
void NotThereAction(AppState& state);

// Whether a list line names an existing folder ("D:\" is tested as "D:").
bool ListFolderExists(const std::string& line);

}  // namespace vaultor
