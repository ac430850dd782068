#pragma once

#include <string>
#include <vector>

#include "fs/drive_mapping.h"
#include "state/settings.h"

namespace vaultor {

struct StartOptions {
    std::vector<fs::DriveMapping> drives;  // --drive: a drive table of their own, nothing recorded
};

struct StartedProgram {
    std::string ProgramDir;  // native, trailing "/"
    std::string SettingsPath;
    std::string LanguageCode;
    Settings settings;  // with the letters given to new file systems added
    std::vector<fs::DriveMapping> NewDrives;
};

// The first steps of every front end: locale, program folder, language choice
// and translations, and the settings. Throws std::runtime_error when no
// program folder can be had.
StartedProgram StartProgram();
// Then the drive table, from the options or the settings and the mounts.
void StartDriveTable(StartedProgram& program, const StartOptions& options);

// Records the letters given to new file systems in the settings file, so they
// stay; a settings file that does not exist yet is written whole. Returns a
// message when the old settings file had to be set aside, else "".
std::string RecordNewDrives(const StartedProgram& program);

}  // namespace vaultor
