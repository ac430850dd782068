#include "target/target_browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/restore_browser.h"
#include "fs/drive_table.h"
#include "support/drive_map.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "target/drive_box.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class TargetBrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::MapDrives({"E=" + e.Path()});
        FillDriveBox(state);
        SelectDrive(state, 'E');
        state.Model.PanelDriveInfo.visible = true;
    }
    // Selects the node with this path below the root ("" for the root).
    void Select(const std::vector<std::string>& parts) {
        auto& m = state.Model;
        m.TreeSelected = true;
        m.TreeSelection.clear();
        const TreeNode* node = &m.TreeView1.front();
        for (const auto& part : parts) {
            auto it = std::find_if(node->children.begin(), node->children.end(),
                                   [&](const TreeNode& n) { return n.text == part; });
            ASSERT_NE(it, node->children.end()) << part;
            m.TreeSelection.push_back(static_cast<size_t>(it - node->children.begin()));
            node = &*it;
        }
    }
    test::DriveTableScope drives;
    TempDir e;
    test::ScriptedUi ui;
    AppState state{ui};
};

TEST_F(TargetBrowserTest, ShowsTwoLevelsLoadsDeeperOnesOnDemandAndDeletesOnlyDriveFolders) {
    FillDirTreeView(state);
    ASSERT_EQ(state.Model.TreeView1.size(), 1u);
    EXPECT_EQ(state.Model.TreeView1[0].text, "E:");
    EXPECT_TRUE(state.Model.TreeView1[0].children.empty());  // a drive without folders

    std::filesystem::create_directories(e / "Vaultor_Drive C/Foto/2024");
    std::filesystem::create_directories(e / "Backup");
    WriteFile(e / "Vaultor_Drive C/Foto/a.jpg", "jpeg");
    FillDirTreeView(state);
    EXPECT_EQ(state.Model.TreeView1[0].children.size(), 2u);
    Select({"Vaultor_Drive C"});
    TreeView1DblClick(state);
    Select({"Vaultor_Drive C", "Foto"});
    EXPECT_EQ(GetSelPathStr(state), "E:\\Vaultor_Drive C\\Foto");
    TreeView1Click(state);
    EXPECT_EQ(state.Model.FileListBox1, std::vector<std::string>{"a.jpg"});
    EXPECT_FALSE(NotInTargetTree(state, "E:\\Vaultor_Drive C\\Foto\\New"));
    EXPECT_FALSE(NotInTargetTree(state, "E:\\Vaultor_Drive C\\Elders\\Diep"));
    EXPECT_TRUE(NotInTargetTree(state, "E:\\Vaultor_Drive D\\Foto"));
    EXPECT_TRUE(NotInTargetTree(state, "E:\\Vaultor_Drive c\\Foto"));  // names are exact
    Select({"Vaultor_Drive C"});
    TreeView1DblClick(state);  // unloads the level
    EXPECT_TRUE(state.Model.TreeView1[0].children[state.Model.TreeSelection[0]].children.empty());

    Select({"Backup"});
    PopupMenu2Popup(state);
    EXPECT_FALSE(state.Model.Verwijderdezemap1.enabled);
    Verwijderdezemap1Click(state);  // refused without a question
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(std::filesystem::exists(e / "Backup"));
    // A name that merely holds "Vaultor_Drive" is no drive folder.
    std::filesystem::create_directories(e / "Backup/Vaultor_Drive Z");
    FillDirTreeView(state);
    Select({"Backup"});
    TreeView1DblClick(state);
    Select({"Backup", "Vaultor_Drive Z"});
    Verwijderdezemap1Click(state);
    EXPECT_NE(ui.messages.back().find("er wordt niets gewist"), std::string::npos);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_TRUE(std::filesystem::exists(e / "Backup/Vaultor_Drive Z"));

    Select({"Vaultor_Drive C"});
    PopupMenu2Popup(state);
    EXPECT_TRUE(state.Model.Verwijderdezemap1.enabled);
    ui.answers = {kAnswerNo};
    Verwijderdezemap1Click(state);
    EXPECT_EQ(ui.questions.back(), "De map E:\\Vaultor_Drive C inclusief bestanden wissen?");
    EXPECT_TRUE(std::filesystem::exists(e / "Vaultor_Drive C"));
    EXPECT_FALSE(state.Model.TreeSelected);  // rebuilt all the same
    Select({"Vaultor_Drive C"});
    ui.answers = {kAnswerYes};
    Verwijderdezemap1Click(state);
    EXPECT_FALSE(std::filesystem::exists(e / "Vaultor_Drive C"));
    EXPECT_EQ(state.Model.TreeView1[0].children.size(), 1u);
}

// "Terugzetten...": a file of the file list back to its source's place, and a
// folder of a run's versions; each differing file asks, Yes replaces, No keeps both.
TEST_F(TargetBrowserTest, RestoresTheChosenFileOrAVersionFolderAskingForEachDifferingFile) {
    TempDir s;
    test::MapDrives({"E=" + e.Path(), "S=" + s.Path()});
    const std::string run = "Vaultor_Versions/2026-01-02 030405 Foto";
    std::filesystem::create_directories(e / "Vaultor_Drive S/Data");
    std::filesystem::create_directories(e / (run + "/Vaultor_Drive S/Data"));
    WriteFile(e / "Vaultor_Drive S/Data/a.txt", "kopie");
    WriteFile(e / (run + "/Vaultor_Drive S/Data/a.txt"), "oud");
    std::filesystem::create_directories(s / "Data");
    WriteFile(s / "Data/a.txt", "nu");
    FillDirTreeView(state);
    for (auto folder : {std::vector<std::string>{"Vaultor_Drive S"},
                        {"Vaultor_Versions"},
                        {"Vaultor_Versions", "2026-01-02 030405 Foto"},
                        {"Vaultor_Versions", "2026-01-02 030405 Foto", "Vaultor_Drive S"}}) {
        Select(folder);
        TreeView1DblClick(state);
    }
    Select({"Vaultor_Drive S", "Data"});
    TreeView1Click(state);
    state.Model.FileListBox1Index = 0;  // the menu opened on a.txt
    PopupMenu2Popup(state);
    EXPECT_TRUE(state.Model.Terugzetten1.enabled);
    EXPECT_FALSE(state.Model.Verwijderdezemap1.enabled);
    ui.answers = {kAnswerYes, kAnswerNo};
    Terugzetten1Click(state);
    EXPECT_EQ(ui.questions[0],
              "E:\\Vaultor_Drive S\\Data\\a.txt terugzetten naar S:\\Data\\a.txt?");
    EXPECT_EQ(ReadFile(s / "Data/a.txt"), "nu");
    EXPECT_NE(ui.messages.back().find("naast een ander bestand bewaard: 1"), std::string::npos);

    Select({"Vaultor_Versions", "2026-01-02 030405 Foto", "Vaultor_Drive S", "Data"});
    state.Model.FileListBox1Index = -1;
    ui.answers = {kAnswerYes, kAnswerYes};
    Terugzetten1Click(state);
    EXPECT_EQ(ReadFile(s / "Data/a.txt"), "oud");
    EXPECT_EQ(ui.messages.back().rfind("Teruggezet: 1,", 0), 0u) << ui.messages.back();

    // Stop offered while it goes: the file in hand is finished, no other begun.
    WriteFile(e / (run + "/Vaultor_Drive S/Data/b.txt"), "bee");
    bool stop_shown = false;
    ui.on_pump = [&] {
        stop_shown = state.Model.SpB_Stop.visible;
        state.AbortRequested = true;
    };
    ui.answers = {kAnswerYes};
    Terugzetten1Click(state);
    EXPECT_TRUE(stop_shown);
    EXPECT_FALSE(std::filesystem::exists(s / "Data/b.txt"));
    EXPECT_NE(ui.messages.back().find("al gelijk: 1, overgeslagen: 0, mislukt: 0.\nAfgebroken"),
              std::string::npos)
        << ui.messages.back();
    EXPECT_FALSE(state.RunInProgress || state.Model.SpB_Stop.visible);

    Select({"Vaultor_Versions"});
    PopupMenu2Popup(state);
    EXPECT_FALSE(state.Model.Terugzetten1.enabled);
}

}  // namespace
}  // namespace vaultor
