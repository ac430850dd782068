#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "state/model.h"
#include "state/settings.h"
#include "state/ui.h"

namespace vaultor {

// The application state the subsystems share: one object, owned by the
// program, read and changed by the lists, target, engine and log classes.
struct AppState {
    explicit AppState(UserInterface& ui) : Ui(ui) {}

    UserInterface& Ui;
    MainWindowModel Model;

    bool StartingUp = true;
    std::string ProgramDir;  // native, trailing "/"
    std::string CurrentListFile;
    std::string CurrentDrvFile;
    std::string LastListName;
    bool ListChanged = false;
    std::int32_t MissingCount = 0;
    std::string TargetRoot;  // "E:\"
    std::string LastDrive;
    std::string LastDate = "n/a";
    // The record's last backup as the list's companion file held it when it
    // was read: another program's run (a timer's) may have written a newer
    // one since, which writing the record must not undo.
    std::string LastDriveAsRead, LastDateAsRead;
    std::int32_t TargetDriveKind = 0;
    std::int32_t BytesPerSecond = 0;
    std::array<std::int32_t, 5> DriveKindRate{};

    // The desktop's button-face colour, for option 4; a front end with a
    // palette of its own sets it before FormCreate.
    Colour WindowsColor = kButtonFace;

    // The sources of the files the last check found to copy (their copies'
    // paths follow from TargetRoot), for the list a user may ask for.
    std::vector<std::string> LastCheckCopies;
    // The list folder whose sizes were shown last ("C:" for a root): with
    // no folder selected they are shown again.
    std::string InfoFolder;
    // TotalBytes: what the totals walk found, after a check what a copy needs.
    std::int64_t TotalBytes = 0;
    // Stop was pressed: the running walk or copy ends between files.
    bool AbortRequested = false;

    // Set while Start or "Test - Verifieer" runs: nothing may start another
    // walk, change the list or close the program meanwhile.
    bool RunInProgress = false;

    std::string NameDialogText = "Tik hier een unieke naam voor de bronlijst";
    // The options and every other setting, as read and as the user set them since.
    Settings Ini;
    std::vector<fs::DriveMapping> CommandLineDrives;  // --drive: a table of their own
};

}  // namespace vaultor
