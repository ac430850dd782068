#include "app/run_status.h"

#include <cstdio>
#include <regex>

#include "fs/drive_mapping.h"
#include "fs/i18n.h"
#include "fs/time_text.h"
#include "state/ini_file.h"

namespace vaultor {
namespace {

constexpr const char* kSection = "Status";

}  // namespace

std::string IsoTime(std::time_t when) {
    return fs::LocalTimeText(when, "%Y-%m-%dT%H:%M:%S");
}

std::optional<std::time_t> FromIsoTime(const std::string& text) {
    int y, mo, d, h, mi, s;
    char end;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &end) != 6)
        return std::nullopt;
    return fs::LocalMoment(y, mo, d, h, mi, s);
}

std::optional<std::time_t> FromLastUsedText(const std::string& text) {
    static const std::regex form(R"((\d{2})-(\d{2})-(\d{4})\D+(\d{2}):(\d{2}):(\d{2}))");
    std::smatch m;
    if (!std::regex_search(text, m, form)) return std::nullopt;
    return fs::LocalMoment(std::stoi(m[3]), std::stoi(m[2]), std::stoi(m[1]), std::stoi(m[4]),
                           std::stoi(m[5]), std::stoi(m[6]));
}

ListStatus ReadListStatus(const std::string& drv_path) {
    ListStatus status;
    IniFile ini = IniFile::Read(drv_path);
    auto attempt = ini.Text(kSection, "LastAttempt");
    if (!attempt) return status;
    status.present = true;
    status.last_attempt = *attempt;
    status.last_success = ini.Text(kSection, "LastSuccess").value_or("");
    status.checked = ini.Integer(kSection, "Checked", 0);
    status.updated = ini.Integer(kSection, "Updated", 0);
    status.failed = ini.Integer(kSection, "Failed", 0);
    status.remarks = ini.Integer(kSection, "Remarks", 0);
    status.exit_status = ini.Integer(kSection, "ExitStatus", 0);
    status.drive_absent = ini.Bool(kSection, "DriveAbsent", false);
    return status;
}

void WriteListStatus(const std::string& drv_path, const RunResult& result, int exit_status,
                     std::time_t when) {
    IniFile ini = IniFile::ForWrite(drv_path);
    ini.Set(kSection, "LastAttempt", IsoTime(when));
    if (exit_status == 0) ini.Set(kSection, "LastSuccess", IsoTime(when));
    ini.SetInteger(kSection, "Checked", result.checked);
    ini.SetInteger(kSection, "Updated", result.updated);
    ini.SetInteger(kSection, "Failed", result.failed);
    ini.SetInteger(kSection, "Remarks", static_cast<std::int64_t>(result.remarks));
    ini.SetInteger(kSection, "ExitStatus", exit_status);
    ini.SetBool(kSection, "DriveAbsent", result.end == RunEnd::DriveAbsent);
    ini.Write();
}

bool Overdue(std::optional<std::time_t> last_success, std::time_t now, std::int64_t allowed) {
    return !last_success || now - *last_success > allowed;
}

std::optional<std::time_t> LastGoodBackup(const std::string& drv_path) {
    ListStatus status = ReadListStatus(drv_path);
    if (status.present) return FromIsoTime(status.last_success);
    return FromLastUsedText(IniFile::Read(drv_path).Text("Vaultor", "LastUsed").value_or(""));
}

char TargetLetterOf(const std::string& drv_path) {
    std::string drive = IniFile::Read(drv_path).Text("Vaultor", "TheDrive").value_or("");
    return drive.empty() ? 0 : fs::NormaliseLetter(drive[0]);
}

std::string RunOutcomeText(const RunResult& r) {
    switch (r.end) {
        case RunEnd::DriveAbsent:
            return _("De doeldrive is niet aanwezig.");
        case RunEnd::Declined:
            return _(
                "Niet gemaakt: de doeldrive is een andere dan de vorige keer, of een vraag "
                "werd met Nee beantwoord.");
        case RunEnd::Stopped:
            return _("Voortijdig afgebroken.");
        case RunEnd::NoRoom:
            return _("Er is niet genoeg ruimte op de doeldrive.");
        case RunEnd::FolderNotMade:
            return Printf(_("De map %s kon niet worden gemaakt."), r.folder_not_made.c_str());
        case RunEnd::Busy:
            return _("Er liep al een back-up in dezelfde programmamap.");
        case RunEnd::NothingToCopy:
        case RunEnd::Copied:
            if (r.target_not_answering) return _("De doeldrive reageert niet meer.");
            if (r.failed)
                return Printf(_("%d bestanden konden niet worden gekopieerd; zie het logboek."),
                              r.failed);
            if (r.remarks)
                return Printf(_("Gereed met %d opmerkingen; zie het logboek."),
                              static_cast<int>(r.remarks));
            return Printf(_("Geslaagd: %lld bestanden en mappen bijgewerkt."),
                          static_cast<long long>(r.updated));
        case RunEnd::None:
        case RunEnd::Tested:
            break;
    }
    return _("Niet gemaakt.");
}

}  // namespace vaultor
