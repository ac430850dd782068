// A list that keeps what its runs replace and what left its source: the old
// copies land among the versions, the guards hold, old versions expire.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_runner.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The one dated folder of a list among the versions (empty when none or more).
std::string OnlyRunFolder(const std::string& target, const std::string& list) {
    std::string found;
    int count = 0;
    std::error_code ec;
    for (const auto& e : fsys::directory_iterator(target + "/Vaultor_Versions", ec))
        if (e.path().filename().string().ends_with(" " + list)) {
            found = e.path().string();
            ++count;
        }
    return count == 1 ? found : "";
}

class CliVersionsTest : public ::testing::Test, public test::CliEnv {
  protected:
    void SetUp() override {
        fsys::create_directories(src / "Data/Album");
        fsys::create_directories(src / "Werk");
        WriteFile(src / "Data/a.txt", "eerste");
        WriteFile(src / "Data/b.txt", "weg straks");
        for (int i = 0; i < 10; ++i)
            WriteFile(src / ("Data/Album/" + std::to_string(i) + ".jpg"), "beeld");
        WriteFile(src / "Werk/w.txt", "werk");
    }
};

TEST_F(CliVersionsTest, ReplacedAndRemovedFilesAreKeptGuardedAndExpire) {
    const std::string t = tgt.Path();
    ASSERT_EQ(Cli("--yes new Foto 'S:\\Data' 'S:\\Werk'").status, 0);
    ASSERT_EQ(Cli("target Foto E").status, 0);
    EXPECT_EQ(Cli("keep Foto on 0").status, 2);
    ASSERT_EQ(Cli("keep Foto on 30").status, 0);
    ASSERT_EQ(Cli("movedeleted Foto on").status, 0);
    EXPECT_TRUE(test::Contains(
        Drv("Foto"), "\r\n[Versions]\r\nKeep=1\r\nDays=30\r\nMoveDeleted=1\r\nMaxShare=10\r\n"));
    ASSERT_EQ(Cli("--yes start Foto").status, 0);
    EXPECT_FALSE(fsys::exists(t + "/Vaultor_Versions")) << "nothing replaced yet";
    // An old folder of this list and one of another list.
    fsys::create_directories(t + "/Vaultor_Versions/2020-01-01 000000 Foto/x");
    fsys::create_directories(t + "/Vaultor_Versions/2020-01-01 000000 Fotos");

    WriteFile(src / "Data/a.txt", "tweede, langer");
    fsys::remove(src / "Data/b.txt");
    fsys::rename(src / "Werk", src / "Werk-weg");  // a listed folder gone: its copy stays
    auto second = Cli("run Foto");
    EXPECT_EQ(second.status, 1) << "a listed folder is missing" << second.out;
    const std::string run = OnlyRunFolder(t, "Foto");
    ASSERT_FALSE(run.empty());
    EXPECT_EQ(ReadFile(t + "/Vaultor_Drive S/Data/a.txt"), "tweede, langer");
    EXPECT_EQ(ReadFile(run + "/Vaultor_Drive S/Data/a.txt"), "eerste");
    EXPECT_EQ(ReadFile(run + "/Vaultor_Drive S/Data/b.txt"), "weg straks");
    EXPECT_FALSE(fsys::exists(t + "/Vaultor_Drive S/Data/b.txt"));
    EXPECT_EQ(ReadFile(t + "/Vaultor_Drive S/Werk/w.txt"), "werk");
    EXPECT_FALSE(fsys::exists(t + "/Vaultor_Versions/2020-01-01 000000 Foto")) << "expired";
    EXPECT_TRUE(fsys::exists(t + "/Vaultor_Versions/2020-01-01 000000 Fotos")) << "not this list";
    const std::string log = Log();
    EXPECT_TRUE(
        test::Contains(log, "Naar de versies verplaatst: E:\\Vaultor_Drive S\\Data\\b.txt\r\n"));
    EXPECT_TRUE(test::Contains(log, ": 1 vervangen en 1 verplaatste bestanden of mappen.\r\n"))
        << log;

    // Most of the copy gone from the source: --yes does not move it.
    fsys::rename(src / "Werk-weg", src / "Werk");
    fsys::remove_all(src / "Data/Album");
    auto guarded = Cli("--yes start Foto");
    EXPECT_TRUE(test::Contains(guarded.out, "--allow-mass-move")) << guarded.out;
    EXPECT_TRUE(fsys::exists(t + "/Vaultor_Drive S/Data/Album/3.jpg"));
    auto allowed = Cli("--yes --allow-mass-move start Foto");
    EXPECT_FALSE(fsys::exists(t + "/Vaultor_Drive S/Data/Album")) << allowed.out;
    EXPECT_EQ(test::RunOutput("find '" + t + "/Vaultor_Versions' -name '*.jpg' | wc -l"), "10\n");

    ASSERT_EQ(Cli("keep Foto off").status, 0);
    ASSERT_EQ(Cli("movedeleted Foto off").status, 0);
    EXPECT_FALSE(test::Contains(Drv("Foto"), "[Versions]")) << "turned off, the section goes";

    // Renamed, the list takes its dated folders along; another list's stay.
    auto count = [&](const std::string& name) {
        return test::RunOutput("ls '" + t + "/Vaultor_Versions' | grep -c ' " + name + "$'");
    };
    const std::string folders = count("Foto");
    ASSERT_NE(folders, "0\n");
    ASSERT_EQ(Cli("--yes rename Foto Reis").status, 0);
    EXPECT_EQ(count("Foto"), "0\n");
    EXPECT_EQ(count("Reis"), folders);
    EXPECT_EQ(count("Fotos"), "1\n");
}

// A link in the copy (made by hand) leads outside the target: nothing is
// written or moved through it, and the run says so once and does not succeed.
TEST_F(CliVersionsTest, NothingIsWrittenOrMovedThroughALinkInTheCopy) {
    TempDir outside;
    const std::string t = tgt.Path();
    fsys::create_directories(src / "Data/Album/Sub");
    WriteFile(src / "Data/Album/Sub/x.jpg", "x");
    ASSERT_EQ(Cli("--yes new Foto 'S:\\Data'").status, 0);
    ASSERT_EQ(Cli("target Foto E").status, 0);
    ASSERT_EQ(Cli("movedeleted Foto on").status, 0);
    fsys::create_directories(t + "/Vaultor_Drive S/Data");
    fsys::create_symlink(outside.Path(), t + "/Vaultor_Drive S/Data/Album");
    WriteFile(outside / "eigen.txt", "van de gebruiker");
    for (const char* command : {"--yes start Foto", "test Foto"}) {
        auto run = Cli(command);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(test::RunOutput(
                      "grep -c 'koppeling naar elders: E:.Vaultor_Drive S.Data.Album$' <<'EOF'\n" +
                      run.out + "EOF"),
                  "1\n")
            << command << run.out;
    }
    EXPECT_EQ(test::RunOutput("ls -A '" + outside.Path() + "'"), "eigen.txt\n");
    EXPECT_EQ(ReadFile(t + "/Vaultor_Drive S/Data/a.txt"), "eerste") << "the rest is backed up";
    EXPECT_FALSE(fsys::exists(t + "/Vaultor_Versions"));

    // The versions folder a link elsewhere: a list that keeps versions is not run.
    TempDir elsewhere;
    fsys::create_directory_symlink(elsewhere.Path(), t + "/Vaultor_Versions");
    ASSERT_EQ(Cli("keep Foto on").status, 0);
    WriteFile(src / "Data/a.txt", "tweede");
    auto refused = Cli("--yes start Foto");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(test::Contains(refused.out, "Vaultor_Versions is een koppeling naar elders"))
        << refused.out;
    EXPECT_TRUE(fsys::is_empty(elsewhere.Path()));
    EXPECT_EQ(ReadFile(t + "/Vaultor_Drive S/Data/a.txt"), "eerste");
}

// A run that lacks room may take it from the list's oldest versions, when a
// person says so.
TEST_F(CliVersionsTest, ARunThatLacksRoomMayRemoveTheListsOldestVersions) {
    test::LoopMount small(test::LoopMount::Kind::Tmpfs, 1, "", "size=1m");
    VAULTOR_REQUIRE_MOUNT(small);
    const std::string t = target = small.Folder();
    ASSERT_EQ(Cli("--yes new Foto 'S:\\Werk'").status, 0);
    ASSERT_EQ(Cli("target Foto E").status, 0);
    ASSERT_EQ(Cli("keep Foto on").status, 0);
    const std::string old = t + "/Vaultor_Versions/" +
                            test::RunOutput("date -d yesterday '+%Y-%m-%d %H%M%S' | tr -d '\\n'") +
                            " Foto";
    fsys::create_directories(old);
    WriteFile(old + "/oud.bin", std::string(600 << 10, 'o'));
    WriteFile(src / "Werk/groot.bin", std::string(600 << 10, 'g'));
    EXPECT_EQ(Cli("run Foto").status, 1);
    auto yes = Cli("--yes start Foto");
    EXPECT_TRUE(test::Contains(yes.out, "oudste bewaarde versies")) << yes.out;
    EXPECT_EQ(yes.status, 1);
    EXPECT_TRUE(fsys::exists(old + "/oud.bin")) << "neither run nor --yes removes versions";
    // A person at a terminal says yes to each question.
    auto asked = test::RunOutput("cd '" + src.Path() +
                                 "' && yes j | head -n 50 | script -qec \"env -u LANGUAGE "
                                 "LC_ALL=C.UTF-8 '" VAULTOR_CLI "' --program-dir '" +
                                 home.Path() + "' " + Drives() + "start Foto\" /dev/null");
    EXPECT_TRUE(test::Contains(asked, "oudste bewaarde versies")) << asked;
    EXPECT_FALSE(fsys::exists(old));
    EXPECT_EQ(fsys::file_size(t + "/Vaultor_Drive S/Werk/groot.bin"), 600u << 10);
}

// A FUSE target: the old copy is renamed into the versions there too.
TEST_F(CliVersionsTest, AnExfatTargetKeepsReplacedVersions) {
    test::LoopMount stick(test::LoopMount::Kind::Exfat, 64, "STICK");
    VAULTOR_REQUIRE_MOUNT(stick);
    const std::string t = target = stick.Folder();
    MakeList();
    ASSERT_EQ(Cli("keep Foto on").status, 0);
    WriteFile(src / "Data/\xc3\x84pfel.txt", "appels");  // "Äpfel.txt"
    ASSERT_EQ(Cli("--yes start Foto").status, 0);
    WriteFile(src / "Data/a.txt", "tweede, langer");
    // Renamed in a case the target does not tell apart: its copy is no stranger.
    fsys::rename(src / "Data/\xc3\x84pfel.txt", src / "Data/\xc3\xa4pfel.txt");
    ASSERT_EQ(Cli("movedeleted Foto on").status, 0);
    auto second = Cli("--yes start Foto");
    EXPECT_EQ(second.status, 0) << second.out;
    const std::string run = OnlyRunFolder(t, "Foto");
    ASSERT_FALSE(run.empty()) << second.out << test::RunOutput("find '" + t + "'");
    EXPECT_EQ(ReadFile(run + "/Vaultor_Drive S/Data/a.txt"), "eerste");
    EXPECT_EQ(ReadFile(t + "/Vaultor_Drive S/Data/a.txt"), "tweede, langer");
    EXPECT_EQ(ReadFile(t + "/Vaultor_Drive S/Data/\xc3\xa4pfel.txt"), "appels");
    EXPECT_FALSE(fsys::exists(run + "/Vaultor_Drive S/Data/\xc3\x84pfel.txt"));
    EXPECT_EQ(Cli("test Foto").status, 0) << "the versions are no part of the copy";
}

}  // namespace
}  // namespace vaultor
