#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "fs/file_dates.h"
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
    std::string TargetRoot;   // "E:\"
    std::string CurrentRoot;  // the list folder a walk goes through ("C:" for a root)
    std::string LastDrive;
    std::string LastDate = "n/a";
    std::int32_t TargetDriveKind = 0;
    std::int32_t BytesPerSecond = 0;
    std::array<std::int32_t, 5> DriveKindRate{};

    // The desktop's button-face colour, for option 4; a front end with a
    // palette of its own sets it before FormCreate.
    Colour WindowsColor = kButtonFace;

    // A file the check found to copy: missing at the target, or changed
    // there (`update`); its copy's path is TargetPathOf(TargetRoot, source).
    struct CopyItem {
        std::string source;
        std::int64_t size = 0;  // as the check saw it
        bool update = false;
    };
    std::vector<CopyItem> CopyList;
    std::vector<std::string> CompressList, EmptyFolderList;
    // Copies an interrupted run had in hand (target paths): Start's check
    // takes each as changed, whatever its size and date say.
    std::unordered_set<std::string> InterruptedCopies;
    std::int64_t TotalBytes = 0, BytesToCopy = 0, SpaceNeeded = 0, ChangeCount = 0;
    // What the copy needs at its peak: an update is written beside its old
    // copy until it is complete, so the largest copy replaced stands on top of
    // every growth before it.
    std::int64_t SpaceGrowth = 0, LargestReplaced = 0;
    std::int64_t TotalFiles = 0, TotalFolders = 0;
    bool AbortRequested = false;

    // The comparison's flags and counters; the callers reset them.
    bool QuietCompare = false;     // write no log lines
    bool CollectCopyList = false;  // fill CopyList and BytesToCopy: only in Start's check
    std::int64_t PercentBase = 0;  // progress denominator
    std::int64_t BytesCompared = 0;
    bool CompressionWork = false;
    bool TargetIsCD = false;
    bool DateDiffers = false;
    bool FileChanged = false;
    // What the target does with dates outside 1980..2107, found once per run.
    fs::TargetDates TargetDates;
    // The target folds the case of names: of two names that differ only in
    // case one copy would land on the other.
    bool TargetFoldsCase = false;
    // A copy got no answer from the target for too long: nothing more is
    // asked of it in this run (no flush, no record file).
    bool TargetNotAnswering = false;
    // Entries that hold nothing to back up or cannot be named in the program's
    // files; the runs report them.
    struct PassedOverEntry {
        enum class Why {
            NotARegularFile,
            UnwritableName,
            DanglingLink,
            FolderNotPresent,
            FolderUnreadable,   // no permission, or an error while it was read
            TooLargeForTarget,  // larger than the target's file system can hold
            CaseTwin,           // its name differs only in case from one backed up beside it
        } why;
        std::string path;  // letter form, as far as it can be written
    };
    std::vector<PassedOverEntry> PassedOver;

    // The copy run and how the last Start or test ended, for the front ends.
    std::int64_t ItemsUpdated = 0;
    std::string CopySummary;
    std::string FolderNotMade;  // the target folder a run stopped at
    enum class RunEnd {
        None,
        DriveAbsent,
        Declined,  // a question answered No, or a new target drive refused
        Stopped,   // Stop, during the check or the copy
        NoRoom,
        NothingToCopy,
        Copied,         // the copy ran to its end
        FolderNotMade,  // a target folder could not be made
        Tested,         // "Test - Verifieer" ran to its end
    };
    RunEnd LastRunEnd = RunEnd::None;
    std::int32_t LastRunFailed = 0;  // files whose copy failed
    std::size_t LastRunRemarks = 0;
    // Set while Start or "Test - Verifieer" runs: nothing may start another
    // walk, change the list or close the program meanwhile.
    bool RunInProgress = false;

    std::string NameDialogText = "Tik hier een unieke naam voor de bronlijst";
    // The options and every other setting, as read and as the user set them since.
    Settings Ini;
    std::vector<fs::DriveMapping> CommandLineDrives;  // --drive: a table of their own
};

}  // namespace vaultor
