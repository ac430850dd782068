#include "lists/list_loading.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "fs/drive_table.h"
#include "support/drive_map.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class ListLoadingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(d / "Data");
        test::MapDrives({"D=" + d.Path()});
        state.ProgramDir = home.Path() + "/";
    }
    void Load(const std::string& name) {
        state.Model.ComboBox1.caption = name;
        LaadComboBoxVltFile(state);
    }
    const std::vector<std::string>& Box() const { return state.Model.ListBox1.items; }

    test::DriveTableScope drives;
    TempDir home, d;
    test::ScriptedUi ui;
    AppState state{ui};
};

TEST_F(ListLoadingTest, MissingFoldersAreLeftOutAndOfferedForRemoval) {
    WriteFile(home / "Werk.vlt", "d:\\Data\r\nD:\\Gone\r\n\r\nD:\\\r\n");
    Load("Werk");
    EXPECT_EQ(Box(), (std::vector<std::string>{"D:\\Data", "D:\\"}));  // the letter upper-cased
    EXPECT_EQ(state.MissingCount, 2);
    EXPECT_EQ(state.LastListName, "Werk");
    EXPECT_EQ(state.CurrentDrvFile, home / "Werk.drv");

    ui.answers = {kAnswerNo};
    NotThereAction(state);
    EXPECT_EQ(ui.questions.back(),
              "2 mappen uit de Werk lijst zijn niet aanwezig.\r\ndeze mappen automatisch "
              "verwijderen?");
    EXPECT_EQ(Box().size(), 4u);  // all lines again
    EXPECT_FALSE(state.ListChanged);

    Load("Werk");
    ui.answers = {kAnswerYes};
    NotThereAction(state);
    EXPECT_EQ(ui.messages.back(),
              "2 niet bestaande map(pen) zijn nu uit de \"Werk\" lijst verwijderd!");
    EXPECT_TRUE(state.ListChanged);
    ui.answers = {kAnswerYes};  // "Veranderingen voor de lijst ... opslaan?"
    VLTOpslaan(state);
    EXPECT_EQ(ui.questions.back(),
              "Veranderingen voor de lijst " + home / "Werk.vlt" + " opslaan?");
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "D:\\Data\r\nD:\\\r\n");
    EXPECT_TRUE(std::filesystem::exists(home / "Werk.drv"));
}

// Hand-edited and restored lines: what cannot name a folder counts as missing,
// what lies on a drive that is not plugged in stays.
TEST_F(ListLoadingTest, OddLinesCountAsMissingAndFoldersOnAnUnpluggedDriveStay) {
    WriteFile(home / "Werk.vlt", "D:Data\r\nd:/Data/\r\nD:\\\\Data\r\nD:\\Data\\..\\..\\x\r\n" +
                                     std::string("D:\\Da\0ta", 8) +
                                     "\r\nQ:\\Foto\r\nD:\\Gone\r\nD:\\.\r\n");
    Load("Werk");
    // Three spellings of one folder read as one, which the totals count once.
    EXPECT_EQ(Box(), (std::vector<std::string>{"D:\\Data", "D:\\Data", "D:\\Data", "Q:\\Foto"}));
    EXPECT_EQ(state.Model.ListBox1NotPresent, std::vector<std::string>{"Q:\\Foto"});
    EXPECT_EQ(state.MissingCount, 4);
    ui.answers = {kAnswerYes, kAnswerYes};
    NotThereAction(state);
    EXPECT_EQ(ui.messages.back(),
              "4 niet bestaande map(pen) zijn nu uit de \"Werk\" lijst verwijderd!");
    VLTOpslaan(state);
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "D:\\Data\r\nD:\\Data\r\nD:\\Data\r\nQ:\\Foto\r\n");

    // With every folder gone nothing can be removed: a list is never saved empty.
    WriteFile(home / "Oud.vlt", "D:\\Gone\r\nD:\\Weg\r\n");
    Load("Oud");
    ui.answers = {kAnswerYes};
    NotThereAction(state);
    EXPECT_EQ(ui.messages.back(),
              "Geen enkele map van de lijst Oud is aanwezig. Een lege lijst "
              "wordt niet opgeslagen: de lijst blijft zoals hij is.");
    EXPECT_EQ(Box(), (std::vector<std::string>{"D:\\Gone", "D:\\Weg"}));
    EXPECT_FALSE(state.ListChanged);

    // A list file no person made is not read, and the user is told.
    ASSERT_EQ(::truncate((home / "Oud.vlt").c_str(), off_t{200} << 20), 0);
    Load("Oud");
    EXPECT_TRUE(Box().empty());
    EXPECT_EQ(ui.messages.back(), "De lijst " + home / "Oud.vlt" +
                                      " wordt niet gebruikt: het is geen gewoon bestand of is "
                                      "groter dan 4 MB.");
    // A folder added and saved: the unread file is kept beside the new one.
    state.Model.ListBox1.items.push_back("D:\\Data");
    state.ListChanged = true;
    ui.answers = {kAnswerYes};
    EXPECT_TRUE(VLTOpslaan(state));
    EXPECT_EQ(ReadFile(home / "Oud.vlt"), "D:\\Data\r\n");
    const std::string aside = test::RunOutput("ls '" + home.Path() + "' | grep -c '^Oud.vlt.bad-'");
    EXPECT_EQ(aside, "1\n");
    EXPECT_TRUE(test::Contains(ui.messages.back(), "was niet te gebruiken en is bewaard als"));
}

TEST_F(ListLoadingTest, ADeclinedSaveDiscardsAndAnEmptyListIsNeverWritten) {
    WriteFile(home / "A.vlt", "D:\\Data\r\n");
    WriteFile(home / "B.vlt", "D:\\\r\n");
    Load("A");
    state.Model.ListBox1.items.push_back("D:\\Extra");
    state.ListChanged = true;
    ui.answers = {kAnswerNo};
    Load("B");  // saves A first: declined
    EXPECT_EQ(ReadFile(home / "A.vlt"), "D:\\Data\r\n");
    EXPECT_FALSE(state.ListChanged);
    Load("B");  // the same list: no save first
    EXPECT_EQ(ui.questions.size(), 1u);

    state.Model.ListBox1.items.clear();
    state.ListChanged = true;
    Load("A");
    EXPECT_EQ(ReadFile(home / "B.vlt"), "D:\\\r\n");
    EXPECT_FALSE(std::filesystem::exists(home / "B.drv"));  // nothing at all for an empty list

    state.Ini.ConfirmDialogs = false;
    state.Model.ListBox1.items.push_back("D:\\Data\\Sub");
    state.ListChanged = true;
    VLTOpslaan(state);  // option 5 off: saved without asking
    EXPECT_EQ(ReadFile(home / "A.vlt"), "D:\\Data\r\nD:\\Data\\Sub\r\n");

    Load("Nieuw");  // a name without a file: an empty list
    EXPECT_TRUE(Box().empty());
    EXPECT_EQ(state.LastListName, "");
    EXPECT_EQ(state.CurrentListFile, home / "Nieuw.vlt");
}

}  // namespace
}  // namespace vaultor
