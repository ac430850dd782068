// The list commands of vaultor-cli as a user runs them: the .vlt, .drv and
// Vaultor.ini files they leave, byte for byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using Result = test::CliResult;

class CliListsTest : public ::testing::Test, public test::CliEnv {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(src / "Data/Foto");
        std::filesystem::create_directories(src / "Muziek");
        WriteFile(src / "Data/a.txt", "12345");
    }
    std::string Last() {
        std::string ini = Ini();
        size_t at = ini.find("[LAST]\r\n0=");
        if (at == std::string::npos) return "<none>";
        at += 10;
        return ini.substr(at, ini.find('\r', at) - at);
    }
};

TEST_F(CliListsTest, NewWritesTheListItsRecordAndTheSettingsAndTargetChoosesAndLocksTheDrive) {
    Result r = Cli("--yes new Werk 'S:\\Data' Muziek");
    ASSERT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\nS:\\Muziek\r\n");
    EXPECT_EQ(Drv("Werk"),
              "[Vaultor]\r\nTheDrive=S\r\nLocked=0\r\nDriveLabel=\r\nLastUsed=n/a\r\n");
    EXPECT_EQ(
        Ini(),
        "[Translation]\r\n1=\r\n\r\n[CHECKMARK]\r\n0=1\r\n1=1\r\n2=0\r\n3=0\r\n4=0\r\n5=1\r\n"
        "6=0\r\n7=1\r\n8=1\r\n9=0\r\n\r\n[LAST]\r\n0=Werk\r\n2=0\r\n\r\n[BPS]\r\n"
        "DriveSpeed1=0\r\nDriveSpeed2=0\r\nDriveSpeed3=0\r\nDriveSpeed4=0\r\nDriveSpeed5=0\r\n"
        "DriveSpeed6=0\r\n");
    EXPECT_NE(r.out.find("De map S:\\Data is toegevoegd!\nnog een map toevoegen?\n> Ja\n"),
              std::string::npos)
        << r.out;

    Result again = Cli("new Werk");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out.rfind("Lijstnaam bestaat al.\n", 0), 0u);
    EXPECT_EQ(Last(), "Werk");  // the list the window would show then

    Result locked = Cli("target Werk e --lock");
    ASSERT_EQ(locked.status, 0) << locked.out << locked.err;
    EXPECT_EQ(Drv("Werk"),
              "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nDriveLabel=\r\nLastUsed=n/a\r\n");
    EXPECT_NE(locked.out.find("Doeldrive: E: (vergrendeld)"), std::string::npos);
    EXPECT_EQ(Cli("target Werk S").status, 1);
    EXPECT_EQ(Cli("target Werk S --unlock").status, 0);
    EXPECT_NE(Drv("Werk").find("TheDrive=S\r\nLocked=0\r\n"), std::string::npos);
    EXPECT_EQ(Cli("target Werk Q").status, 1);

    Result totals = Cli("totals Werk");
    EXPECT_NE(totals.out.find("Totaal in mappen:\n  5 bytes\n  0 kB\n  0 MB\n  0 GB\n"),
              std::string::npos)
        << totals.out;
    Result info = Cli("info Werk 'S:\\Data'");
    EXPECT_NE(info.out.find("Start log.\nS:\\Data 0 kB\nS:\\Data\\Foto 0 bytes\nEind log.\n"),
              std::string::npos)
        << info.out;
    EXPECT_EQ(Cli("show Nergens").status, 1);
    EXPECT_EQ(Cli("show").status, 2);
}

TEST_F(CliListsTest, NewWithoutFoldersWritesNothingAndAddMakesTheList) {
    Result r = Cli("new Leeg");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("De lijst Leeg heeft nog geen mappen; er is niets geschreven."),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(home / "Leeg.vlt"));

    Result add = Cli("--yes add Foto " + src / "Data/Foto");
    ASSERT_EQ(add.status, 0) << add.out << add.err;
    EXPECT_EQ(ReadFile(home / "Foto.vlt"), "S:\\Data\\Foto\r\n");
    Result refused = Cli("--yes add Foto 'S:\\Data\\Foto'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("Deze map is al opgenomen"), std::string::npos);
}

TEST_F(CliListsTest, TheExitStatusSaysWhetherTheChangeReachedTheFile) {
    EXPECT_EQ(Cli("--yes new Werk Nergens").status, 1);  // no such folder
    EXPECT_FALSE(std::filesystem::exists(home / "Werk.vlt"));
    EXPECT_EQ(Cli("--yes new Werk Data/a.txt").status, 1);  // no folder
    Result refused = Cli("--yes new Werk 'S:\\Data' 'S:\\Data\\Foto'");
    EXPECT_EQ(refused.status, 1);  // the second lies below the first
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\n");

    EXPECT_EQ(Cli("--yes add Werk 's:\\Muziek\\'").status, 0);
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\nS:\\Muziek\r\n");
    Result unanswered = Cli("remove Werk 'S:\\Muziek'");
    EXPECT_EQ(unanswered.status, 2);  // a question nobody can answer
    EXPECT_NE(unanswered.out.find("De map S:\\Muziek uit de lijst verwijderen?"),
              std::string::npos);
    EXPECT_NE(unanswered.err.find("--yes"), std::string::npos);
    EXPECT_EQ(Cli("--no remove Werk 'S:\\Muziek'").status, 1);
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\nS:\\Muziek\r\n");
    EXPECT_EQ(Cli("--yes remove Werk 's:\\Muziek'").status, 0);
    EXPECT_EQ(Cli("--no add Werk Muziek").status, 1);  // the save was declined
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\n");
    Result last = Cli("--yes remove Werk 'S:\\Data'");
    EXPECT_EQ(last.status, 1) << "a list is never saved empty";
    EXPECT_TRUE(test::Contains(last.out, "de lijst Werk blijft zoals hij is")) << last.out;
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\n");

    ::chmod((home / "Werk.vlt").c_str(), 0444);
    Result failed = Cli("--yes add Werk Muziek");
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.out.find("Fout! lijst " + home / "Werk.vlt" + " kon niet opslaan worden."),
              std::string::npos);
    EXPECT_EQ(ReadFile(home / "Werk.vlt"), "S:\\Data\r\n");
}

TEST_F(CliListsTest, RenameDeleteAndImportKeepLast0OnTheListTheWindowWouldShow) {
    ASSERT_EQ(Cli("--yes new Werk Muziek").status, 0);
    ASSERT_EQ(Cli("--yes new Thuis Data").status, 0);
    WriteFile(home / "Werk.journal", std::string("vaultor-journal 1\n", 18));  // a run interrupted
    Result renamed = Cli("--yes rename Werk Kantoor");
    ASSERT_EQ(renamed.status, 0) << renamed.out;
    EXPECT_TRUE(std::filesystem::exists(home / "Kantoor.vlt"));
    EXPECT_TRUE(std::filesystem::exists(home / "Kantoor.drv"));
    EXPECT_TRUE(std::filesystem::exists(home / "Kantoor.journal"));
    EXPECT_FALSE(std::filesystem::exists(home / "Werk.vlt"));
    EXPECT_EQ(Last(), "Kantoor");

    WriteFile(src / "100% Foto's.vlt", "S:\\Data\\Foto\r\n");
    WriteFile(home / "100% Foto's.vlt", "S:\\Muziek\r\n");
    Result imported = Cli("--yes import '100% Foto'\"'\"'s.vlt'");
    ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
    EXPECT_EQ(ReadFile(home / "100% Foto's (1).vlt"), "S:\\Data\\Foto\r\n");
    EXPECT_NE(imported.out.find("100% Foto's (1) lijst geïmporteerd!"), std::string::npos);

    Result deleted = Cli("--yes delete Kantoor");
    ASSERT_EQ(deleted.status, 0) << deleted.out;
    EXPECT_FALSE(std::filesystem::exists(home / "Kantoor.vlt"));
    EXPECT_FALSE(std::filesystem::exists(home / "Kantoor.drv"));
    EXPECT_FALSE(std::filesystem::exists(home / "Kantoor.journal"));
    EXPECT_EQ(Last(), "100% Foto's");
    EXPECT_EQ(Cli("lists").out, "100% Foto's\n100% Foto's (1)\nThuis\n");
}

// Paths, names and lines a user may hand over: refused with a reason, or
// taken so that what the command says is what it stored.
TEST_F(CliListsTest, OddPathsNamesAndLinesAreRefusedOrKeptAsTheySay) {
    Result dots = Cli("--yes new Werk " + src / "Data/../Muziek");
    EXPECT_EQ(dots.status, 1);
    EXPECT_NE(dots.out.find("wordt niet opgenomen: een pad met . of .."), std::string::npos)
        << dots.out;
    EXPECT_FALSE(std::filesystem::exists(home / "Werk.vlt"));

    // One rule of name equality: Foo is taken for foo, listed or saved.
    ASSERT_EQ(Cli("--yes new Foo Data").status, 0);
    WriteFile(src / "foo.vlt", "S:\\Muziek\r\n");
    WriteFile(src / "Reis.vltz", "S:\\Data\r\n");
    EXPECT_EQ(Cli("--yes import foo.vlt").status, 0);
    EXPECT_EQ(ReadFile(home / "foo (1).vlt"), "S:\\Muziek\r\n");
    Result reis = Cli("--yes import Reis.vltz");
    EXPECT_NE(reis.out.find("Reis lijst geïmporteerd!"), std::string::npos) << reis.out;
    WriteFile(src / "Reis.2024.vlt", "S:\\Data\r\n");
    EXPECT_EQ(Cli("--yes import Reis.2024.vlt").status, 0);  // a free name is kept whole
    EXPECT_EQ(Cli("lists").out, "Foo\nfoo (1)\nReis\nReis.2024\n");

    // Every folder gone: the list stays whole, and the lock is what was stored.
    WriteFile(home / "Oud.vlt", "S:\\Gone\r\n");
    Result locked = Cli("--yes target Oud E --lock");
    EXPECT_EQ(locked.status, 0) << locked.out;
    EXPECT_NE(Drv("Oud").find("Locked=1\r\n"), std::string::npos);
    EXPECT_EQ(ReadFile(home / "Oud.vlt"), "S:\\Gone\r\n");

    // A folder on an unplugged drive is never dropped, not even by --yes, and
    // a run that could not back it up does not exit 0.
    std::filesystem::create_directories(src / "a\x1b[31mb");
    WriteFile(src / "a\x1b[31mb/c\xc2\x9b" "1m\xe9", "C1 and no UTF-8");
    WriteFile(home / "Reis.vlt", "Q:\\Foto\r\nS:\\a\x1b[31mb\r\n");
    ASSERT_EQ(Cli("target Reis E").status, 0);
    Result show = Cli("--drive Q=" + src / "unplugged show Reis");
    EXPECT_NE(
        show.out.find("\nQ:\\Foto (niet aanwezig: de drive is niet gereed)\nS:\\a\\x1B[31mb\n"),
        std::string::npos)
        << show.out;  // and no escape sequence reaches the terminal
    Result run = Cli("--drive Q=" + src / "unplugged --yes start Reis");
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("Overgeslagen, map niet aanwezig: Q:\\Foto"), std::string::npos)
        << run.out;
    EXPECT_TRUE(test::Contains(run.out, "S\\a\\x1B[31mb\\c\\xC2\\x9B1m\\xE9\n")) << run.out;
    EXPECT_EQ(ReadFile(home / "Reis.vlt"), "Q:\\Foto\r\nS:\\a\x1b[31mb\r\n");
}

}  // namespace
}  // namespace vaultor
