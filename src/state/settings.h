#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fs/drive_mapping.h"

namespace vaultor {

// "Unable to write to %s": a settings, list or companion file could not be written.
class WriteError : public std::runtime_error {
  public:
    explicit WriteError(const std::string& path);
};

// Everything Vaultor.ini holds, with the defaults of a missing file.
struct Settings {
    bool ShowHints = true;             // CHECKMARK 0
    bool StoreActionTime = true;       // CHECKMARK 1
    bool ShowTargetBrowser = false;    // CHECKMARK 2
    bool ShowFileList = false;         // CHECKMARK 3
    bool WindowsColours = false;       // CHECKMARK 4
    bool ConfirmDialogs = true;        // CHECKMARK 5
    bool CreateEmptyFolders = false;   // CHECKMARK 6
    bool NoEmptyFoldersOnCdrw = true;  // CHECKMARK 7
    bool MirrorCompression = true;     // CHECKMARK 8
    bool AlwaysCompress = false;       // CHECKMARK 9
    bool EnglishUI = false;            // Translation 1 is exactly "en"
    // Compare IgnoreTimeShift; empty while the file has no such key and the
    // user never set it, and then it is not written either.
    std::optional<bool> IgnoreTimeShift;
    // Compare ContentCheck: the test reads every file it finds up to date and
    // compares the bytes; kept absent as IgnoreTimeShift is.
    std::optional<bool> ContentCheck;
    // Performance CopyWorkers: copies made side by side; empty (automatic)
    // unless a user wrote the key, which the program keeps as it stands.
    std::optional<std::int32_t> CopyWorkers;
    std::string LastListName;                     // LAST 0
    std::int32_t TargetDriveKind = 0;             // LAST 2
    std::int32_t BytesPerSecond = 0;              // BPS DriveSpeed1
    std::array<std::int32_t, 5> DriveKindRate{};  // BPS DriveSpeed2..6, drive kinds 1..5
    std::vector<fs::DriveMapping> Drives;         // the Drives section
    std::string FileProblem;  // a message when the file was there but could not be used
};

// Reads the settings; a missing or unreadable file gives the defaults.
// Unreadable Drives values are passed over.
Settings LeesIniFile(const std::string& path);
// Writes every key, keeping whatever else the file holds. Throws WriteError.
// Returns a message for the user when the old file had to be set aside, else "".
std::string SchrijfIniFile(const std::string& path, const Settings& settings);
// Adds drive letters to the Drives section only. Throws WriteError; returns
// as SchrijfIniFile does.
std::string RecordDrives(const std::string& path, const std::vector<fs::DriveMapping>& drives);

// Translation 1 of the file, or nullopt when the file does not exist.
std::optional<std::string> ReadTranslationValue(const std::string& path);

// An integer as the settings file holds it: decimal, or hexadecimal after
// 0x or 0X; nullopt for anything else.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

}  // namespace vaultor
