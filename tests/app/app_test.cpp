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

TEST_F(AppTest, TheLastListIsLoadedAtStartAndItsRecordChoosesTheTargetAlsoWhenAbsent) {
    WriteFile(home / "Alpha.vlt", "S:\\Muziek\r\n");
    WriteFile(home / "beta.vlt", "S:\\Data\r\n");
    WriteFile(home / "beta.drv", "[Vaultor]\r\nTheDrive=U\r\nLocked=1\r\nLastUsed=Datum: x\r\n");
    WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=beta\r\n[Translation]\r\n1=\r\n");
    bool closed_during_start = false;  // a close while the start flow runs is refused
    ui.on_pump = [&] { closed_during_start |= state.StartingUp && FormClose(state); };
    Start();
    ui.on_pump = nullptr;
    EXPECT_FALSE(closed_during_start);
    EXPECT_EQ(ReadFile(home / "Vaultor.ini"), "[LAST]\r\n0=beta\r\n[Translation]\r\n1=\r\n");
    EXPECT_EQ(M().ComboBox1.caption, "beta");
    EXPECT_EQ(M().ListBox1.items, std::vector<std::string>{"S:\\Data"});
    EXPECT_EQ(state.TargetRoot, "U:\\");  // a recorded drive that is not here stays the target
    EXPECT_EQ(M().RichEdit1.back(), "Drive U: niet aanwezig");
    EXPECT_EQ(state.TotalBytes, 5);

    // Switching writes the companion file of the list being left first; the
    // next list, without one, starts without a lock or a last run.
    std::filesystem::remove(home / "beta.drv");
    M().ComboBox1.caption = "Alpha";
    ComboBox1Click(state);
    EXPECT_EQ(ReadFile(home / "beta.drv"),
              "[Vaultor]\r\nTheDrive=U\r\nLocked=1\r\nDriveLabel=\r\nLastUsed=Datum: x\r\n");
    EXPECT_FALSE(M().Locked);
    EXPECT_EQ(state.LastDate, "n/a");
    EXPECT_EQ(M().Label19.caption, "Niet berekend");
    EXPECT_FALSE(M().Gauge2.visible);

    ASSERT_TRUE(FormClose(state));
    std::string ini = ReadFile(home / "Vaultor.ini");
    EXPECT_NE(ini.find("[LAST]\r\n0=Alpha\r\n"), std::string::npos) << ini;
}

TEST_F(AppTest, WithoutListsTheProgramOffersToMakeOne) {
    ui.answers = {kAnswerNo};
    Start();
    EXPECT_EQ(M().Caption, "Vaultor versie 1.8c");
    EXPECT_EQ(M().HelpFile, "Vaultor.html");
    EXPECT_EQ(M().LabelTimeLeft.caption, "00:00:00");
    EXPECT_EQ(ui.questions.back(),
              "Er is geen lijst aanwezig, nu meteen een nieuwe kopieerlijst maken?");
    EXPECT_EQ(ui.messages.back().rfind("Er kan op elk gewenst moment een kopieerlijst", 0), 0u);
    EXPECT_FALSE(M().SpB_Start.enabled);
    EXPECT_FALSE(M().SpBCompare.enabled);
    M().SpB_Start.visible = false;  // a run is going on: no close, nothing saved
    EXPECT_FALSE(FormClose(state));
    EXPECT_FALSE(std::filesystem::exists(home / "Vaultor.ini"));
    M().SpB_Start.visible = true;

    // What a new list writes is tested through vaultor-cli's new.
    ui.names = {{Button::Ok, "Werk"}};
    ui.folders = {std::string("s:\\Data\\"), std::string("S:\\Muziek")};
    ui.answers = {kAnswerYes, kAnswerNo};  // "... is toegevoegd! nog een map toevoegen?"
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(M().ListBox1.items, (std::vector<std::string>{"S:\\Data", "S:\\Muziek"}));
    EXPECT_EQ(state.TotalBytes, 5);
    EXPECT_TRUE(M().SpB_Start.enabled);
}

TEST_F(AppTest, RefusedNamesChangeNoFileAndLeaveTheRecordOfTheListShown) {
    WriteFile(home / "Werk.vlt", "S:\\Data\r\n");
    const std::string record =
        "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nDriveLabel=E: [X]\r\nLastUsed=Datum: x\r\n";
    WriteFile(home / "Werk.drv", record);
    WriteFile(home / "Vaultor.ini", "[LAST]\r\n0=Werk\r\n");
    Start();
    for (const char* bad : {"a/b", "..", "  ", "x:y", "tab\there", "locale\\x", "werk", "WERK"}) {
        ui.names = {{Button::Ok, bad}};
        Nieuwebronlijstmaken1Click(state);
        if (std::string(bad) == "werk" || std::string(bad) == "WERK")  // exists in another case
            EXPECT_EQ(ui.messages.back(), "Lijstnaam bestaat al.");
        else
            EXPECT_NE(ui.messages.back().find("kan geen lijstnaam zijn"), std::string::npos) << bad;
        EXPECT_EQ(ReadFile(home / "Werk.drv"), record) << bad;
        EXPECT_TRUE(M().Locked) << bad;
        EXPECT_EQ(M().ComboBox1.caption, "Werk") << bad;
    }
    ui.names = {{Button::Ok, "locale\\x"}};
    ComboBox1DblClick(state);
    EXPECT_NE(ui.messages.back().find("kan geen lijstnaam zijn"), std::string::npos);
    ui.names = {{Button::Ok, "Werk.2"}};
    ComboBox1DblClick(state);
    EXPECT_EQ(ui.messages.back(), "Er mogen geen punten in de naam gezet worden, probeer opnieuw!");
    EXPECT_TRUE(std::filesystem::exists(home / "Werk.vlt"));

    // Renaming to its own name keeps the folders not yet saved.
    M().ListBox1.items.push_back("S:\\Muziek");
    state.ListChanged = true;
    ui.names = {{Button::Ok, "Werk"}};
    ui.answers = {kAnswerYes};
    ComboBox1DblClick(state);
    EXPECT_EQ(ui.messages.back(), "Deze lijstnaam bestaat al.");
    EXPECT_EQ(M().ListBox1.items.size(), 2u);
    EXPECT_TRUE(state.ListChanged);
}

TEST_F(AppTest, TheListBeingLeftKeepsItsRecordAndDeleteAndRenameTakeItsFiles) {
    WriteFile(home / "Werk.vlt", "S:\\Data\r\n");
    WriteFile(home / "Werk.drv", "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nLastUsed=Datum: x\r\n");
    WriteFile(home / "Thuis.vlt", "S:\\Muziek\r\n");
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

    ui.names = {{Button::Ok, "Werk"}};
    Nieuwebronlijstmaken1Click(state);  // back to Werk; Nieuw, without folders, goes
    ui.answers = {kAnswerClosed};       // a closed window deletes too
    Bronlijstwissen1Click(state);
    EXPECT_EQ(ui.questions.back(), home / "Werk.vlt" + " Verwijderen?");
    EXPECT_FALSE(std::filesystem::exists(home / "Werk.vlt"));
    EXPECT_FALSE(std::filesystem::exists(home / "Werk.drv"));
    EXPECT_EQ(M().ComboBox1.caption, "");
    EXPECT_FALSE(M().SpB_Start.enabled);
    EXPECT_EQ(M().ComboBox1.items, std::vector<std::string>{"Thuis"});

    // A list without a companion file is renamed alone.
    M().ComboBox1.caption = "Thuis";
    ComboBox1Click(state);
    ASSERT_FALSE(std::filesystem::exists(home / "Thuis.drv"));
    ui.names = {{Button::Ok, "Ander"}};
    ui.answers = {kAnswerYes};
    ComboBox1DblClick(state);
    EXPECT_TRUE(std::filesystem::exists(home / "Ander.vlt"));
    EXPECT_FALSE(std::filesystem::exists(home / "Ander.drv"));
}

TEST_F(AppTest, ImportedListsGetAFreeNameAndAFailedCopyIsNoSuccess) {
    TempDir other;
    auto unique = [&](const std::string& name) {
        WriteFile(other / name, "S:\\Muziek\r\n");
        return UniqueName(other / name, ".vlt");
    };
    EXPECT_EQ(unique("Thuis.vlt"), other / "Thuis (1).vlt");
    WriteFile(other / "Thuis (1).vlt", "");
    EXPECT_EQ(UniqueName(other / "Thuis.vlt", ".vlt"), other / "Thuis (2).vlt");
    EXPECT_EQ(unique("100% (abc).vlt"), other / "100% (abc) - copy (1).vlt");
    EXPECT_EQ(unique("100%d (3).vlt"), other / "100%d (1).vlt");
    EXPECT_EQ(unique("Werk (7).vlt"), other / "Werk (1).vlt");
    EXPECT_EQ(unique("Reis.2024.vlt"), other / "Reis.2024 (1).vlt");
    EXPECT_EQ(UniqueName(other / "Nieuw.vlt", ".vlt"), other / "Nieuw.vlt");

    WriteFile(home / "Thuis.vlt", "S:\\Data\r\n");
    WriteFile(home / "Thuis (1).vlt", "S:\\Data\r\n");
    Start();
    ui.names = {{Button::Import, ""}};
    ui.files = {other / "Thuis.vlt"};
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(ReadFile(home / "Thuis (2).vlt"), "S:\\Muziek\r\n");
    EXPECT_EQ(ui.messages.back(), "Thuis (2) lijst geïmporteerd!");
    EXPECT_EQ(M().ComboBox1.caption, "Thuis (2)");
    EXPECT_EQ(M().ListBox1.items, std::vector<std::string>{"S:\\Muziek"});

    ui.names = {{Button::Import, ""}, {Button::Cancel, ""}};
    ui.files = {other / "missing.vlt"};
    Nieuwebronlijstmaken1Click(state);
    EXPECT_EQ(ui.messages.back(),
              "De lijst " + other / "missing.vlt" + " kon niet geïmporteerd worden.");
}

TEST_F(AppTest, EnglishAtStartNamesTheEnglishCaptionAndGuide) {
    WriteFile(home / "Vaultor.ini", "[Translation]\r\n1=en\r\n");
    ui.answers = {kAnswerNo};
    Start();
    EXPECT_EQ(M().Caption, "Vaultor version 1.8c");
    EXPECT_EQ(M().HelpFile, "Vaultor_en.html");
}

// What the options ask and tell is seen through the window's own dialogs.
TEST_F(AppTest, OptionsAskNothingAtStartAndTheColoursAndTheBrowserFollowTheirTicks) {
    ui.answers = {kAnswerNo};  // no list yet: not now; any other question fails the test
    Start();
    auto& checks = M().OptionChecks;
    auto click = [&](int i, bool ticked) {
        checks[i] = ticked;
        CheckListBox1ClickCheck(state);
    };
    state.WindowsColor = Colour{50, 60, 70};  // the desktop's button face, from the front end
    click(4, true);
    EXPECT_EQ(M().WindowColour, state.WindowsColor);
    EXPECT_EQ(M().ListColour, state.WindowsColor);
    EXPECT_EQ(M().Shape3.colour, state.WindowsColor);
    click(2, true);
    EXPECT_FALSE(M().TreeView1.empty());  // the browser is filled when it appears
    Settings collected = CollectSettings(state);
    EXPECT_FALSE(collected.AlwaysCompress);
    EXPECT_TRUE(collected.ShowTargetBrowser);
    EXPECT_TRUE(collected.WindowsColours);
}

}  // namespace
}  // namespace vaultor
