#include "app/start.h"

#include <unistd.h>

#include <stdexcept>

#include "fs/drive_table.h"
#include "fs/i18n.h"
#include "state/language.h"
#include "state/program_dir.h"

namespace vaultor {

StartedProgram StartProgram() {
    SetUpLocale();
    StartedProgram p;
    p.ProgramDir = ResolveProgramDir();
    p.SettingsPath = p.ProgramDir + "Vaultor.ini";
    p.LanguageCode = ChooseLanguageCode(p.SettingsPath, SystemLanguageName());
    StartTranslations(p.LanguageCode, FindLocaleDir());
    if (p.ProgramDir.empty())
        throw std::runtime_error(_("Geen programmamap: zet VAULTOR_HOME of HOME."));
    p.settings = LeesIniFile(p.SettingsPath);
    return p;
}

void StartDriveTable(StartedProgram& p, const StartOptions& options) {
    fs::DriveTable::Sources sources;
    sources.command_line = options.drives;
    sources.recorded = p.settings.Drives;
    fs::DriveTable table = fs::DriveTable::Build(sources);
    p.NewDrives = table.NewlyRecorded();
    p.settings.Drives.insert(p.settings.Drives.end(), p.NewDrives.begin(), p.NewDrives.end());
    fs::SetDriveTable(std::move(table));
}

std::string RecordNewDrives(const StartedProgram& p) {
    if (p.NewDrives.empty()) return {};
    if (::access(p.SettingsPath.c_str(), F_OK) == 0)
        return RecordDrives(p.SettingsPath, p.NewDrives);
    return SchrijfIniFile(p.SettingsPath, p.settings);
}

}  // namespace vaultor
