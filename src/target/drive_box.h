#pragma once

#include <string>

#include "state/app_state.h"

namespace vaultor {

// The drive box entry of a letter: "E: [LABEL]" for a drive with a medium,
// "Z: SOURCE" for a network drive, "R: [Drive empty]" for an empty CD drive.
std::string DriveBoxText(char letter);
// Fills the drive box with every letter of the drive table; keeps the
// selection on the same letter where it can.
void FillDriveBox(AppState& state);
// Relabels the CD entries with the disc in the drive now.
void ResetDriveBox(AppState& state);
void CB_LockedClick(AppState& state);

// The letter of TargetRoot, upper case; 0 when there is no target.
char TargetLetter(const AppState& state);
// The target drive holds a readable medium; resets the space display when not.
bool IsDriveAanwezig(AppState& state);
// The target's free, used and total space and the two pies, from TotalBytes.
void ToonRuimteOpDrive(AppState& state);

}  // namespace vaultor
