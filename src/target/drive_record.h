#pragma once

#include <string>

#include "state/app_state.h"

namespace vaultor {

// The companion file of a list (list name + ".drv"): its target drive, the
// lock, the drive entry of its last run and when that was.
void ReadVLTDriveInfoFile(AppState& state, const std::string& path);
// Throws WriteError ("Unable to write to %s").
void WriteVLTDriveInfoFile(AppState& state, const std::string& path);

// "Vaultor.dat" in a target's root: line 1 shows in LabelInfo.
void GetDriveInfoFile(AppState& state, const std::string& path);
// At the end of a run: the date into LabelInfo and LastDate, and the record
// written (option 1) or removed. Returns false when it could not be written.
bool WriteDriveInfoFile(AppState& state, const std::string& path);

// "Datum: dd-mm-yyyy Tijd: hh:mm:ss" for now.
std::string RunDateText();

// The letter of the selected drive box entry, or 0.
char SelectedDriveLetter(const AppState& state);
bool SelectDrive(AppState& state, char letter);

}  // namespace vaultor
