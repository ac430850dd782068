#include "state/settings.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>

#include "fs/i18n.h"
#include "state/ini_file.h"

namespace vaultor {
namespace {

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void SetDrives(IniFile& ini, const std::vector<fs::DriveMapping>& drives) {
    for (const auto& mapping : drives) {
        char key[2] = {mapping.letter, 0};
        ini.Set("Drives", key, fs::FormatDriveValue(mapping));
    }
}

}  // namespace

WriteError::WriteError(const std::string& path)
    : std::runtime_error(Printf("Unable to write to %s", path.c_str())) {}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    // Hexadecimal may spell the whole 32-bit word (0xFFFFFFFF is -1).
    if (base == 16) {
        if (magnitude > 0xFFFFFFFFull) return std::nullopt;
        auto word = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
        return negative ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(word)) : word;
    }
    if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
    auto value = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -value : value);
}

Settings LeesIniFile(const std::string& path) {
    IniFile ini = IniFile::Read(path);
    Settings s;
    s.FileProblem = ini.Problem();
    s.ShowHints = ini.Bool("CHECKMARK", "0", true);
    s.StoreActionTime = ini.Bool("CHECKMARK", "1", true);
    s.ShowTargetBrowser = ini.Bool("CHECKMARK", "2", false);
    s.ShowFileList = ini.Bool("CHECKMARK", "3", false);
    s.WindowsColours = ini.Bool("CHECKMARK", "4", false);
    s.ConfirmDialogs = ini.Bool("CHECKMARK", "5", true);
    s.CreateEmptyFolders = ini.Bool("CHECKMARK", "6", false);
    s.NoEmptyFoldersOnCdrw = ini.Bool("CHECKMARK", "7", true);
    s.MirrorCompression = ini.Bool("CHECKMARK", "8", true);
    s.AlwaysCompress = ini.Bool("CHECKMARK", "9", false);
    s.LastListName = ini.Text("LAST", "0").value_or("");
    s.TargetDriveKind = ini.Integer("LAST", "2", 0);
    s.BytesPerSecond = ini.Integer("BPS", "DriveSpeed1", 0);
    for (size_t i = 0; i < s.DriveKindRate.size(); ++i) {
        std::string key = "DriveSpeed" + std::to_string(i + 2);
        s.DriveKindRate[i] = ini.Integer("BPS", key.c_str(), 0);
    }
    s.EnglishUI = ini.Text("Translation", "1").value_or("") == "en";
    if (ini.Text("Compare", "IgnoreTimeShift"))
        s.IgnoreTimeShift = ini.Bool("Compare", "IgnoreTimeShift", false);
    if (ini.Text("Compare", "ContentCheck"))
        s.ContentCheck = ini.Bool("Compare", "ContentCheck", false);
    if (ini.Text("Performance", "CopyWorkers"))
        s.CopyWorkers = std::clamp(ini.Integer("Performance", "CopyWorkers", 0), 0, 16);
    for (const auto& [key, value] : ini.Section("Drives")) {
        std::string error;
        if (key.size() != 1) continue;
        if (auto mapping = fs::ParseDriveValue(key[0], value, &error)) s.Drives.push_back(*mapping);
    }
    return s;
}

std::string SchrijfIniFile(const std::string& path, const Settings& s) {
    IniFile ini = IniFile::ForWrite(path);
    const bool checks[] = {s.ShowHints,          s.StoreActionTime,      s.ShowTargetBrowser,
                           s.ShowFileList,       s.WindowsColours,       s.ConfirmDialogs,
                           s.CreateEmptyFolders, s.NoEmptyFoldersOnCdrw, s.MirrorCompression,
                           s.AlwaysCompress};
    for (int i = 0; i < 10; ++i) ini.SetBool("CHECKMARK", std::to_string(i).c_str(), checks[i]);
    ini.Set("LAST", "0", s.LastListName);
    ini.SetInteger("LAST", "2", s.TargetDriveKind);
    ini.SetInteger("BPS", "DriveSpeed1", s.BytesPerSecond);
    for (size_t i = 0; i < s.DriveKindRate.size(); ++i) {
        std::string key = "DriveSpeed" + std::to_string(i + 2);
        ini.SetInteger("BPS", key.c_str(), s.DriveKindRate[i]);
    }
    ini.Set("Translation", "1", s.EnglishUI ? "en" : "");
    if (s.IgnoreTimeShift) ini.SetBool("Compare", "IgnoreTimeShift", *s.IgnoreTimeShift);
    if (s.ContentCheck) ini.SetBool("Compare", "ContentCheck", *s.ContentCheck);
    SetDrives(ini, s.Drives);
    ini.Write();
    return ini.Problem();
}

std::string RecordDrives(const std::string& path, const std::vector<fs::DriveMapping>& drives) {
    if (drives.empty()) return {};
    IniFile ini = IniFile::ForWrite(path);
    SetDrives(ini, drives);
    ini.Write();
    return ini.Problem();
}

std::optional<std::string> ReadTranslationValue(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    return IniFile::Read(path).Text("Translation", "1").value_or("");
}

}  // namespace vaultor
