#define SI_NO_CONVERSION
// Debian ships the template bodies behind SI_IMPLEMENTATION; this is the one unit that includes
// them.
#define SI_IMPLEMENTATION
#include "state/settings.h"

#include <SimpleIni.h>
#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <memory>

#include "fs/atomic_write.h"
#include "fs/i18n.h"

namespace vaultor {
namespace {

constexpr size_t kMaxTextValue = 2047;

std::unique_ptr<CSimpleIniA> NewIni() {
    auto ini = std::make_unique<CSimpleIniA>(/*utf8=*/false, /*multikey=*/false,
                                             /*multiline=*/false);
    ini->SetSpaces(false);
    return ini;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// For reading: a file that cannot be read gives the defaults.
std::unique_ptr<CSimpleIniA> LoadIni(const std::string& path) {
    auto ini = NewIni();
    if (FileExists(path) && ini->LoadFile(path.c_str()) < 0) ini = NewIni();
    return ini;
}

// For writing: a file that exists but cannot be read is not replaced by one
// that would lose what it holds (the Drives section among it).
std::unique_ptr<CSimpleIniA> LoadIniForWrite(const std::string& path) {
    auto ini = NewIni();
    struct stat st {};
    bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && (!S_ISREG(st.st_mode) || ini->LoadFile(path.c_str()) < 0)) throw WriteError(path);
    return ini;
}

// The Windows profile functions drop one pair of quotes around a value.
std::string Unquoted(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::int32_t ReadInteger(const CSimpleIniA& ini, const char* section, const char* key,
                         std::int32_t fallback) {
    const char* value = ini.GetValue(section, key, nullptr);
    if (!value) return fallback;
    return ParseIniInteger(Unquoted(value)).value_or(fallback);
}

bool ReadBool(const CSimpleIniA& ini, const char* key, bool fallback) {
    return ReadInteger(ini, "CHECKMARK", key, fallback ? 1 : 0) != 0;
}

std::string ReadText(const CSimpleIniA& ini, const char* section, const char* key) {
    std::string value = Unquoted(ini.GetValue(section, key, ""));
    if (value.size() > kMaxTextValue) value.resize(kMaxTextValue);
    return value;
}

void Save(const std::string& path, const CSimpleIniA& ini) {
    std::string text;
    if (ini.Save(text) < 0) throw WriteError(path);
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        if (c != '\r') crlf += c;
    }
    // One blank line between sections is enough; SimpleIni writes two.
    for (size_t at; (at = crlf.find("\r\n\r\n\r\n")) != std::string::npos;) crlf.erase(at, 2);
    if (!fs::WriteFileAtomically(path, crlf)) throw WriteError(path);
}

void SetDrives(CSimpleIniA& ini, const std::vector<fs::DriveSpec>& drives) {
    for (const auto& spec : drives) {
        char key[2] = {spec.letter, 0};
        ini.SetValue("Drives", key, fs::FormatDriveValue(spec).c_str());
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
    std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    if (magnitude > limit) return std::nullopt;
    auto value = static_cast<std::int64_t>(base == 16 ? static_cast<std::int32_t>(magnitude)
                                                      : static_cast<std::int64_t>(magnitude));
    return static_cast<std::int32_t>(negative ? -value : value);
}

Settings LeesIniFile(const std::string& path) {
    auto ini = LoadIni(path);
    Settings s;
    s.ShowHints = ReadBool(*ini, "0", true);
    s.StoreActionTime = ReadBool(*ini, "1", true);
    s.ShowTargetBrowser = ReadBool(*ini, "2", false);
    s.ShowFileList = ReadBool(*ini, "3", false);
    s.WindowsColours = ReadBool(*ini, "4", false);
    s.ConfirmDialogs = ReadBool(*ini, "5", true);
    s.CreateEmptyFolders = ReadBool(*ini, "6", false);
    s.NoEmptyFoldersOnCdrw = ReadBool(*ini, "7", true);
    s.MirrorCompression = ReadBool(*ini, "8", true);
    s.AlwaysCompress = ReadBool(*ini, "9", false);
    s.LastListName = ReadText(*ini, "LAST", "0");
    s.TargetDriveKind = ReadInteger(*ini, "LAST", "2", 0);
    s.BytesPerSecond = ReadInteger(*ini, "BPS", "DriveSpeed1", 0);
    for (size_t i = 0; i < s.DriveKindRate.size(); ++i) {
        std::string key = "DriveSpeed" + std::to_string(i + 2);
        s.DriveKindRate[i] = ReadInteger(*ini, "BPS", key.c_str(), 0);
    }
    s.EnglishUI = ReadText(*ini, "Translation", "1") == "en";
    CSimpleIniA::TNamesDepend keys;
    ini->GetAllKeys("Drives", keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& key : keys) {
        std::string error;
        if (std::string_view(key.pItem).size() != 1) continue;
        auto spec =
            fs::ParseDriveValue(key.pItem[0], ini->GetValue("Drives", key.pItem, ""), &error);
        if (spec) s.Drives.push_back(*spec);
    }
    return s;
}

void SchrijfIniFile(const std::string& path, const Settings& s) {
    auto ini = LoadIniForWrite(path);
    auto put_bool = [&](const char* key, bool value) {
        ini->SetValue("CHECKMARK", key, value ? "1" : "0");
    };
    put_bool("0", s.ShowHints);
    put_bool("1", s.StoreActionTime);
    put_bool("2", s.ShowTargetBrowser);
    put_bool("3", s.ShowFileList);
    put_bool("4", s.WindowsColours);
    put_bool("5", s.ConfirmDialogs);
    put_bool("6", s.CreateEmptyFolders);
    put_bool("7", s.NoEmptyFoldersOnCdrw);
    put_bool("8", s.MirrorCompression);
    put_bool("9", s.AlwaysCompress);
    ini->SetValue("LAST", "0", s.LastListName.c_str());
    ini->SetValue("LAST", "2", std::to_string(s.TargetDriveKind).c_str());
    ini->SetValue("BPS", "DriveSpeed1", std::to_string(s.BytesPerSecond).c_str());
    for (size_t i = 0; i < s.DriveKindRate.size(); ++i) {
        std::string key = "DriveSpeed" + std::to_string(i + 2);
        ini->SetValue("BPS", key.c_str(), std::to_string(s.DriveKindRate[i]).c_str());
    }
    ini->SetValue("Translation", "1", s.EnglishUI ? "en" : "");
    SetDrives(*ini, s.Drives);
    Save(path, *ini);
}

void RecordDrives(const std::string& path, const std::vector<fs::DriveSpec>& drives) {
    if (drives.empty()) return;
    auto ini = LoadIniForWrite(path);
    SetDrives(*ini, drives);
    Save(path, *ini);
}

std::optional<std::string> ReadTranslationValue(const std::string& path) {
    if (!FileExists(path)) return std::nullopt;
    return ReadText(*LoadIni(path), "Translation", "1");
}

}  // namespace vaultor
