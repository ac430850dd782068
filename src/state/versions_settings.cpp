#include "state/versions_settings.h"

#include "fs/i18n.h"
#include "state/ini_file.h"

namespace vaultor {
namespace {

constexpr const char* kSection = "Versions";

}  // namespace

VersionsSettings ReadVersionsSettings(const std::string& drv_path, std::string* problem) {
    VersionsSettings s;
    IniFile ini = IniFile::Read(drv_path);
    auto number = [&](const char* key, int fallback, int low, int high) {
        const int value = ini.Integer(kSection, key, fallback);
        if (value >= low && value <= high) return value;
        if (problem)
            *problem = Printf(_("De waarde %s=%d in %s is niet te gebruiken; %d wordt gebruikt."),
                              key, value, drv_path.c_str(), fallback);
        return fallback;
    };
    s.keep = ini.Bool(kSection, "Keep", false);
    s.days = number("Days", 90, 1, kMaxVersionDays);
    s.move_deleted = ini.Bool(kSection, "MoveDeleted", false);
    s.max_share = number("MaxShare", 10, 0, 100);
    s.sums = ini.Bool(kSection, "Sums", false);
    return s;
}

void WriteVersionsSettings(const std::string& drv_path, const VersionsSettings& s) {
    IniFile ini = IniFile::ForWrite(drv_path);
    ini.RemoveSection(kSection);
    if (s.Used()) {
        ini.SetBool(kSection, "Keep", s.keep);
        ini.SetInteger(kSection, "Days", s.days);
        ini.SetBool(kSection, "MoveDeleted", s.move_deleted);
        ini.SetInteger(kSection, "MaxShare", s.max_share);
        if (s.sums) ini.SetBool(kSection, "Sums", true);
    }
    ini.Write();
}

}  // namespace vaultor
