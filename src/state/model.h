#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vaultor {

// Colours as the window toolkit names them: red, green and blue.
struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Colour&) const = default;
};
inline constexpr Colour kSkyBlue{166, 202, 240};
inline constexpr Colour kCream{255, 251, 240};
inline constexpr Colour kButtonFace{240, 240, 240};
inline constexpr Colour kRed{255, 0, 0};
inline constexpr Colour kGreen{0, 128, 0};
inline constexpr Colour kYellow{255, 255, 0};
inline constexpr Colour kSilver{192, 192, 192};
inline constexpr Colour kPurple{128, 0, 128};
inline constexpr Colour kFuchsia{255, 0, 255};
inline constexpr Colour kBlue{0, 0, 255};

// What every control of the main window has: the window only shows it.
struct Control {
    std::string caption;
    bool visible = true;
    bool enabled = true;
};

struct ListControl : Control {
    std::vector<std::string> items;
    int selected = -1;  // -1: nothing selected
};

struct Lamp : Control {
    Colour colour = kSilver;
};

// A pie works in units of 1024 bytes, in 64 bits, so a drive of any size draws.
// The progress share is the free space (fuchsia), the rest the used (blue).
struct Pie : Control {
    std::int64_t minimum = 0, maximum = 100, progress = 0;
    Colour fore = kFuchsia, back = kBlue;
};

// A node of the target browser's tree: one path component.
struct TreeNode {
    std::string text;
    std::vector<TreeNode> children;
    bool expanded = false;
    bool operator==(const TreeNode&) const = default;
};

// The presentation model of the main window: for every control the state the
// program gives it. Names are the controls' own.
struct MainWindowModel {
    std::string Caption;
    std::string HelpFile;  // the guide of the language chosen at start, by file name
    Colour WindowColour = kSkyBlue;
    Colour ListColour = kCream;

    ListControl ComboBox1;  // the source lists, sorted; caption = the current list's name
    ListControl ListBox1;   // the folders of the current list
    // Folders of ListBox1 on a drive that is not ready (absent, no medium):
    // kept in the list, shown as not present.
    std::vector<std::string> ListBox1NotPresent;
    ListControl DriveComboBox1;
    Control CB_Locked;
    bool Locked = false;  // check mark of CB_Locked
    Control Im_LockOpen, Im_LockClosed;
    ListControl CheckListBox1{{"", false, true}, {}, -1};
    std::vector<bool> OptionChecks = std::vector<bool>(13, false);
    Control SpBOpties;
    bool SpBOptiesDown = false;

    Control L_Aktie, LabelInfo, LabelTijd, LabelTimeLeft, Label19, Label16, L_File, Label1;
    Control Label5, Label4, Label11;                  // free, used and total space
    Control Label10, Label2, Label8, Label3, Label7;  // the totals box
    Colour TotalsColour{0, 0, 128};                   // navy, red after a stop
    std::vector<std::string> RichEdit1;               // the log pane's lines
    std::vector<std::string> Memo1;
    Control Memo1Box{{}, false, true};
    Pie Gauge1, Gauge2;
    Lamp Shape3, L_Comp, L_NotPresent, L_Kopieer;
    std::int64_t ProgressBar1 = 0;
    std::string StatusBar1;

    Control SpB_Start, SpB_Stop{{}, false, true}, SpBCompare, SB_Close, SpBHelp, SBShowLog,
        SB_ResetDrive, SB_MousInfo, LbSB_Popup, PanelLeftTop;
    Control Animate1{{}, false, true};  // the busy animation of a walk
    Control Animate2{{}, false, true};  // the busy animation of a copy
    Control PanelDriveInfo{{}, false, true}, Splitter1{{}, false, true};
    Control FileListBox1Box{{}, false, true}, Splitter2{{}, false, true};
    std::vector<std::string> FileListBox1;
    int FileListBox1Index = -1;         // the file the target menu was opened on; -1: the folder
    std::vector<TreeNode> TreeView1;    // the root node of the target, when filled
    std::vector<size_t> TreeSelection;  // child indices from the root; empty: the root
    bool TreeSelected = false;
    Control Verwijderdezemap1, Terugzetten1;  // entries of the target browser's popup
    Control Wisdemap1, Toonmapinfolog1;       // entries of the source-list popup
    // For a list backed up by itself: when its last good backup was, and
    // whether that is too long ago.
    Control LastBackupLine{{}, false, true};
    bool LastBackupLate = false;
    bool ShowHints = true;
};

}  // namespace vaultor
