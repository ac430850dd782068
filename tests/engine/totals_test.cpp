#include "app/totals.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fs/drive_table.h"
#include "support/drive_map.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::TempDir;
using test::WriteFile;

class TotalsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(d / "Werk/Oud");
        std::filesystem::create_directories(d / "Leeg");
        WriteFile(d / "Werk/a", std::string(1264, 'a'));
        WriteFile(d / "Werk/Oud/b", std::string(2000000, 'b'));
        test::MapDrives({"D=" + d.Path()});
        state.ProgramDir = home.Path() + "/";
        state.TargetRoot = "D:\\";
    }
    test::DriveTableScope drives;
    TempDir home, d;
    test::ScriptedUi ui;
    AppState state{ui};
};

TEST_F(TotalsTest, AddsUpTheListGivesTheControlsBackAndStopLeavesRedPartialTotals) {
    auto& m = state.Model;
    // A repeated line and one below another (a hand edit) count their files
    // once; a listed link below another line is walked, as the walk never
    // follows it from above.
    std::filesystem::create_directories(d / "Elders");
    WriteFile(d / "Elders/c", "7 bytes");
    std::filesystem::create_directory_symlink(d / "Elders", d / "Werk/Link");
    m.ListBox1.items = {"D:\\Werk",      "D:\\Missing", "D:\\Leeg",
                        "D:\\Werk\\Oud", "D:\\Werk",    "D:\\Werk\\Link"};
    bool checked_during = false;
    ui.on_pump = [&] {
        checked_during = true;
        EXPECT_FALSE(m.SpB_Start.visible);
        EXPECT_TRUE(m.SpB_Stop.visible);
        EXPECT_FALSE(m.ComboBox1.enabled || m.ListBox1.enabled || m.SB_Close.enabled);
    };
    BerekenAlles(state);
    EXPECT_TRUE(checked_during);
    EXPECT_EQ(state.TotalBytes, 2001264 + 7);
    EXPECT_EQ(m.StatusBar1, "Klaar.");
    EXPECT_TRUE(m.SpB_Start.visible && m.SpB_Start.enabled);
    EXPECT_FALSE(m.SpB_Stop.visible);
    EXPECT_TRUE(m.ComboBox1.enabled && m.SB_Close.enabled && m.SpBCompare.enabled);
    EXPECT_EQ(m.TotalsColour, (Colour{0, 0, 128}));
    EXPECT_FALSE(m.Label11.caption.empty());  // the space display was drawn

    m.ListBox1.items.clear();
    BerekenAlles(state);
    EXPECT_EQ(m.Label2.caption, "000 bytes");
    EXPECT_EQ(m.Label7.caption, "000 GB");

    for (const char* sub : {"x", "y", "z"}) {
        std::filesystem::create_directories(d / ("Werk/" + std::string(sub)));
        WriteFile(d / ("Werk/" + std::string(sub) + "/f"), std::string(1000, 'f'));
    }
    m.ListBox1.items = {"D:\\Werk"};
    ui.on_pump = [&] { state.AbortRequested = true; };  // Stop pressed inside the pump
    BerekenAlles(state);
    EXPECT_EQ(m.TotalsColour, kRed);
    EXPECT_LT(state.TotalBytes, 2001264 + 3000);
}

// The lines themselves are what vaultor-cli's info prints.
TEST_F(TotalsTest, TheFolderInformationAndTheCopyListGoToTheirLogs) {
    state.Model.ListBox1.items = {"D:\\Werk", "D:\\Leeg"};
    state.Model.ListBox1.selected = 0;
    Toonmapinfolog1Click(state);
    EXPECT_EQ(state.Model.Label10.caption, "Totaal in keuzemap:");

    state.Model.ListBox1.selected = -1;  // nothing selected: the previous folder again
    Toonmapinfolog1Click(state);
    EXPECT_EQ(state.Model.RichEdit1[1], "D:\\Werk 1 kB");

    Label19Click(state);  // the copy list goes to Kopieer.log and the viewer
    EXPECT_EQ(test::ReadFile(home / "Kopieer.log"), "");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown.back(), "Vaultor logviewer\n");
    state.TargetRoot = "E:\\";
    state.LastCheckCopies = {"D:\\a"};
    Label19Click(state);
    EXPECT_EQ(test::ReadFile(home / "Kopieer.log"), "D:\\a ==> E:\\Vaultor_Drive D\\a\r\n");
}

}  // namespace
}  // namespace vaultor
