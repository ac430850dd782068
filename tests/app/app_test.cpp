// The main window's flow on the model, driven through the scripted interface,
// with real list, companion and settings files in a program folder of its own.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/options.h"
#include "fs/drive_table.h"
#include "state/settings.h"
#include "support/drive_map.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using Button = UserInterface::NameAnswer::Button;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class AppTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(s / "Data/Foto");
        std::filesystem::create_directories(s / "Muziek");
        WriteFile(s / "Data/a.txt", "12345");
        test::MapDrives({"S=" + s.Path(), "E=" + e.Path()});
        program.ProgramDir = home.Path() + "/";
        program.SettingsPath = home / "Vaultor.ini";
    }
    void Start() {
        program.settings = LeesIniFile(program.SettingsPath);
        FormCreate(state, program);
        FormShow(state);
        FormPaint(state);
    }
    MainWindowModel& M() { return state.Model; }

    test::DriveTableScope drives;
    TempDir home, s, e;
    StartedProgram program;
    test::ScriptedUi ui;
    AppState state{ui};
};

TEST_F(AppTest, TheLastListIsLoadedAtStartAndItsRecordChoosesTheTarget) {
    WriteFile(home / "Alpha.vlt", "S:\\Muziek\r\n");
    WriteFile(home / "beta.vlt", "S:\\Data\r\n");
    WriteFile(home / "beta.drv", "[Vaultor]\r\nTheDrive=E\r\nLocked=0\r\n");
    WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=beta\r\n[Translation]\r\n1=\r\n");
    Start();
    EXPECT_EQ(M().ComboBox1.caption, "beta");
    EXPECT_EQ(M().ListBox1.items, std::vector<std::string>{"S:\\Data"});
    EXPECT_EQ(state.TargetRoot, "E:\\");
    EXPECT_EQ(state.TotalBytes, 5);
    EXPECT_EQ(M().RichEdit1.back(), "Vaultor klaar voor gebruik...");
    EXPECT_FALSE(state.StartingUp);
    EXPECT_EQ(M().Caption, "Vaultor versie 1.8c");

    // Switching writes the companion file of the list being left first.
    std::filesystem::remove(home / "beta.drv");
    M().ComboBox1.caption = "Alpha";
    ComboBox1Click(state);
    EXPECT_EQ(ReadFile(home / "beta.drv"),
              "[Vaultor]\r\nTheDrive=E\r\nLocked=0\r\nDriveLabel=\r\nLastUsed=n/a\r\n");
    EXPECT_EQ(M().Label19.caption, "Niet berekend");
    EXPECT_FALSE(M().Gauge2.visible);

    ASSERT_TRUE(FormClose(state));
    std::string ini = ReadFile(home / "Vaultor.ini");
    EXPECT_NE(ini.find("[LAST]\r\n0=Alpha\r\n"), std::string::npos) << ini;
}

TEST_F(AppTest, WithoutListsTheProgramOffersToMakeOne) {
    ui.answers = {kAnswerNo};
    Start();
    EXPECT_EQ(ui.questions.back(),
              "Er is geen lijst aanwezig, nu meteen een nieuwe kopieerlijst maken?");
    EXPECT_EQ(ui.messages.back(),
              "Er kan op elk gewenst moment een kopieerlijst gemaakt worden\rdoor op het eerste "
              "icoontje (boven het linkervenster) te klikken");
    EXPECT_FALSE(M().SpB_Start.enabled);
    EXPECT_FALSE(M().SpBCompare.enabled);
}

TEST_F(AppTest, ANewListGetsItsFoldersAndIsWrittenAtClose) {
    ui.answers = {kAnswerNo};
    Start();
    ui.names = {{Button::Ok, "Werk"}};
    ui.folders = {std::string("s:\\Data\\"), std::string("S:\\Muziek"), std::nullopt};
    ui.answers = {kAnswerYes, kAnswerYes};  // "... is toegevoegd! nog een map toevoegen?"
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(M().ListBox1.items, (std::vector<std::string>{"S:\\Data", "S:\\Muziek"}));
    EXPECT_EQ(ui.questions.back(), "De map S:\\Muziek is toegevoegd!\rnog een map toevoegen?");
    EXPECT_EQ(state.TotalBytes, 5);
    ui.answers = {kAnswerYes};  // save the changes
    ASSERT_TRUE(FormClose(state));
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\nS:\\Muziek\r\n");
    EXPECT_EQ(ReadFile(home / "Werk.drv"),
              "[Vaultor]\r\nTheDrive=C\r\nLocked=0\r\nDriveLabel=\r\nLastUsed=n/a\r\n");
    Settings written = LeesIniFile(home / "Vaultor.ini");
    EXPECT_EQ(written.LastListName, "Werk");
}

TEST_F(AppTest, NamesThatCannotBeFileNamesAreRefused) {
    WriteFile(home / "Werk.vlt", "S:\\Data\r\n");
    Start();
    for (const char* bad : {"a/b", "..", "  ", "x:y", "tab\there", "locale\\x"}) {
        ui.names = {{Button::Ok, bad}};
        Nieuwebronlijstmaken1Click(state);
        EXPECT_NE(ui.messages.back().find("kan geen lijstnaam zijn"), std::string::npos) << bad;
    }
    ui.names = {{Button::Ok, "locale\\x"}};
    ComboBox1DblClick(state);
    EXPECT_NE(ui.messages.back().find("kan geen lijstnaam zijn"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(home / "Werk.vlt"));

    ui.names = {{Button::Ok, "WERK"}};  // exists in other letter case
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(ui.messages.back(), "Lijstnaam bestaat al.");
    EXPECT_EQ(M().ComboBox1.caption, "Werk");
    EXPECT_EQ(M().ListBox1.items, std::vector<std::string>{"S:\\Data"});  // that list, loaded
}

TEST_F(AppTest, RenameAndDeleteMoveBothFilesOrNone) {
    WriteFile(home / "Werk.vlt", "S:\\Data\r\n");
    WriteFile(home / "Werk.drv", "[Vaultor]\r\nTheDrive=E\r\n");
    WriteFile(home / "Thuis.vlt", "S:\\Muziek\r\n");
    WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=Werk\r\n");
    Start();
    ui.names = {{Button::Ok, "Werk.2"}};
    ComboBox1DblClick(state);
    EXPECT_EQ(ui.messages.back(), "Er mogen geen punten in de naam gezet worden, probeer opnieuw!");
    ui.names = {{Button::Ok, "Werk"}};
    ui.answers = {kAnswerYes};
    ComboBox1DblClick(state);
    EXPECT_EQ(ui.messages.back(), "Deze lijstnaam bestaat al.");
    ui.names = {{Button::Ok, "Kantoor"}};
    ui.answers = {kAnswerYes};
    ComboBox1DblClick(state);
    EXPECT_TRUE(std::filesystem::exists(home / "Kantoor.vlt"));
    EXPECT_TRUE(std::filesystem::exists(home / "Kantoor.drv"));
    EXPECT_FALSE(std::filesystem::exists(home / "Werk.vlt"));
    EXPECT_EQ(M().ComboBox1.caption, "Kantoor");
    EXPECT_EQ(state.CurrentListFile, home / "Kantoor.vlt");

    ui.answers = {kAnswerClosed};  // a closed window deletes too
    Bronlijstwissen1Click(state);
    EXPECT_EQ(ui.questions.back(), home / "Kantoor.vlt" + " Verwijderen?");
    EXPECT_FALSE(std::filesystem::exists(home / "Kantoor.vlt"));
    EXPECT_FALSE(std::filesystem::exists(home / "Kantoor.drv"));
    EXPECT_EQ(M().ComboBox1.caption, "");
    EXPECT_FALSE(M().SpB_Start.enabled);
    EXPECT_EQ(M().ComboBox1.items, std::vector<std::string>{"Thuis"});
}

TEST_F(AppTest, ImportedListsGetAFreeNameAndAFailedCopyIsNoSuccess) {
    TempDir other;
    WriteFile(other / "Thuis.vlt", "x\r\n");
    WriteFile(other / "100% (abc).vlt", "x\r\n");
    EXPECT_EQ(UniqueName(other / "Thuis.vlt", ".vlt"), other / "Thuis (1).vlt");
    WriteFile(other / "Thuis (1).vlt", "x\r\n");
    EXPECT_EQ(UniqueName(other / "Thuis.vlt", ".vlt"), other / "Thuis (2).vlt");
    EXPECT_EQ(UniqueName(other / "100% (abc).vlt", ".vlt"), other / "100% (abc) - copy (1).vlt");
    WriteFile(other / "100%d (3).vlt", "x\r\n");
    EXPECT_EQ(UniqueName(other / "100%d (3).vlt", ".vlt"), other / "100%d (1).vlt");
    WriteFile(other / "Werk (7).vlt", "x\r\n");
    EXPECT_EQ(UniqueName(other / "Werk (7).vlt", ".vlt"), other / "Werk (1).vlt");
    EXPECT_EQ(UniqueName(other / "Nieuw.vlt", ".vlt"), other / "Nieuw.vlt");

    WriteFile(home / "Thuis.vlt", "S:\\Data\r\n");
    WriteFile(home / "Thuis (1).vlt", "S:\\Data\r\n");

    Start();
    TempDir elsewhere;
    WriteFile(elsewhere / "Thuis.vlt", "S:\\Muziek\r\n");
    ui.names = {{Button::Import, ""}};
    ui.files = {elsewhere / "Thuis.vlt"};
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(ReadFile(home / "Thuis (2).vlt"), "S:\\Muziek\r\n");
    EXPECT_EQ(ui.messages.back(), "Thuis (2) lijst geïmporteerd!");
    EXPECT_EQ(M().ComboBox1.caption, "Thuis (2)");
    EXPECT_EQ(M().ListBox1.items, std::vector<std::string>{"S:\\Muziek"});

    ui.names = {{Button::Import, ""}, {Button::Cancel, ""}};
    ui.files = {elsewhere / "missing.vlt"};
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(ui.messages.back(),
              "De lijst " + elsewhere / "missing.vlt" + " kon niet geïmporteerd worden.");
}

TEST_F(AppTest, OptionsAskAndTellAfterStartOnly) {
    ui.answers = {kAnswerNo};  // no list yet: not now
    Start();
    ui.questions.clear();
    auto& checks = M().OptionChecks;
    EXPECT_EQ(M().WindowColour, kSkyBlue);
    checks[7] = false;
    ui.answers = {kAnswerNo};
    CheckListBox1ClickCheck(state);
    EXPECT_TRUE(checks[7]);  // ticked again at once
    checks[7] = false;
    ui.answers = {kAnswerYes};
    CheckListBox1ClickCheck(state);
    EXPECT_FALSE(state.NoEmptyFoldersOnCdrw);
    checks[7] = true;
    CheckListBox1ClickCheck(state);  // ticking it again asks nothing
    EXPECT_EQ(ui.questions.size(), 2u);

    checks[9] = true;
    CheckListBox1ClickCheck(state);
    EXPECT_EQ(
        ui.notices.back(),
        "Opgelet! deze instelling heeft voorrang op de instelling:\n\"Doelcompressie aan bron "
        "gelijk maken\"");
    checks[9] = false;
    CheckListBox1ClickCheck(state);
    checks[10] = true;
    CheckListBox1ClickCheck(state);
    checks[10] = false;
    CheckListBox1ClickCheck(state);
    EXPECT_EQ(ui.notices.size(), 3u);
    EXPECT_EQ(ui.notices.back(), "Voor deze taalaanpassing moet Vaultor opnieuw gestart worden.");

    checks[4] = true;
    CheckListBox1ClickCheck(state);
    EXPECT_EQ(M().WindowColour, kButtonFace);
    checks[2] = true;
    CheckListBox1ClickCheck(state);
    EXPECT_FALSE(M().TreeView1.empty());  // the browser is filled when it appears
    Settings collected = CollectSettings(state);
    EXPECT_TRUE(collected.NoEmptyFoldersOnCdrw);  // ticked again above
    EXPECT_FALSE(collected.AlwaysCompress);
    EXPECT_TRUE(collected.ShowTargetBrowser);
    EXPECT_TRUE(collected.WindowsColours);
}

TEST_F(AppTest, TheListBeingLeftKeepsItsRecordWhenANewOneIsMade) {
    WriteFile(home / "Werk.vlt", "S:\\Data\r\n");
    WriteFile(home / "Werk.drv", "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nLastUsed=Datum: x\r\n");
    WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=Werk\r\n");
    Start();
    std::filesystem::remove(home / "Werk.drv");
    ui.names = {{Button::Ok, "Nieuw"}};
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(ReadFile(home / "Werk.drv"),
              "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nDriveLabel=\r\nLastUsed=Datum: x\r\n");
    EXPECT_FALSE(M().Locked);  // the new list starts with an open lock and no last run
    EXPECT_EQ(state.LastDate, "n/a");
    EXPECT_EQ(state.LastDrive, "");

    // A list without a companion file is renamed alone.
    ui.names = {{Button::Ok, "Werk"}};
    Nieuwebronlijstmaken1Click(state);  // back to Werk ("Lijstnaam bestaat al." loads it)
    std::filesystem::remove(home / "Werk.drv");
    ui.names = {{Button::Ok, "Ander"}};
    ui.answers = {kAnswerYes};
    ComboBox1DblClick(state);
    EXPECT_TRUE(std::filesystem::exists(home / "Ander.vlt"));
    EXPECT_FALSE(std::filesystem::exists(home / "Ander.drv"));
}

TEST_F(AppTest, ARefusedNewListLeavesTheRecordOfTheListShown) {
    WriteFile(home / "Werk.vlt", "S:\\Data\r\n");
    const std::string record =
        "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nDriveLabel=E: [X]\r\nLastUsed=Datum: x\r\n";
    WriteFile(home / "Werk.drv", record);
    WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=Werk\r\n");
    Start();
    for (const char* name : {"a/b", "werk", "Werk"}) {
        ui.names = {{Button::Ok, name}};
        Nieuwebronlijstmaken1Click(state);
        EXPECT_EQ(ReadFile(home / "Werk.drv"), record) << name;
        EXPECT_TRUE(M().Locked) << name;
    }
    // Renaming to its own name keeps the folders not yet saved.
    M().ListBox1.items.push_back("S:\\Muziek");
    state.ListChanged = true;
    ui.names = {{Button::Ok, "Werk"}};
    ui.answers = {kAnswerYes};
    ComboBox1DblClick(state);
    EXPECT_EQ(M().ListBox1.items.size(), 2u);
    EXPECT_TRUE(state.ListChanged);
}

TEST_F(AppTest, ARecordedDriveThatIsNotHereStaysTheTarget) {
    WriteFile(home / "Werk.vlt", "S:\\Data\r\n");
    WriteFile(home / "Werk.drv", "[Vaultor]\r\nTheDrive=U\r\nLocked=1\r\n");
    WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=Werk\r\n");
    Start();
    EXPECT_EQ(state.TargetRoot, "U:\\");
    ASSERT_TRUE(FormClose(state));
    EXPECT_NE(ReadFile(home / "Werk.drv").find("TheDrive=U\r\nLocked=1\r\n"), std::string::npos);
}

TEST_F(AppTest, ACloseDuringARunIsRefusedAndSavesNothing) {
    ui.answers = {kAnswerNo};
    Start();
    M().SpB_Start.visible = false;
    EXPECT_FALSE(FormClose(state));
    EXPECT_FALSE(std::filesystem::exists(home / "Vaultor.ini"));
}

}  // namespace
}  // namespace vaultor
