#include "target/target_browser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fs/drive_table.h"
#include "support/drive_map.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "target/drive_box.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

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

}  // namespace
}  // namespace vaultor
