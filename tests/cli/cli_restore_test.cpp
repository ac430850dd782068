// Restoring with vaultor-cli: a file beside a changed one, over it, a version
// into a folder of its own, and a folder from the target drive alone, while
// the target and the program folder stay as they were.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "fs/time_text.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class CliRestoreTest : public ::testing::Test, public test::CliEnv {};

TEST_F(CliRestoreTest, KeepsBothOrOverwritesBringsBackAVersionAndNeedsNoListWithFrom) {
    TempDir fresh, out;
    fsys::create_directories(src / "Data/sub");
    WriteFile(src / "Data/a.txt", "een");
    WriteFile(src / "Data/sub/b.txt", "bee");
    ::chmod((src / "Data/a.txt").c_str(), 0640);
    test::SetMtime(src / "Data/a.txt", 1700000000);
    auto cli = [&](const std::string& arguments, const std::string& program_dir = "") {
        return test::RunCli(out.Path(), program_dir.empty() ? home.Path() : program_dir,
                            Drives() + arguments);
    };
    MakeList();
    ASSERT_EQ(cli("--yes start Foto").status, 0);
    const std::string run = tgt / "Vaultor_Versions/2026-01-02 030405 Foto/Vaultor_Drive S/Data";
    fsys::create_directories(run);
    WriteFile(run + "/a.txt", "oud");
    auto listing = [&] { return test::RunOutput("cd '" + tgt.Path() + "' && ls -lR --full-time"); };
    const std::string target_before = listing(), settings_before = Ini();

    // A changed file stays; the copy comes beside it with its content, mode and date.
    WriteFile(src / "Data/a.txt", "veranderd");
    const std::string today = fs::LocalTimeText(std::time(nullptr), "%Y-%m-%d");
    auto kept = cli("restore Foto 'S:\\Data\\a.txt'");
    EXPECT_EQ(kept.status, 0) << kept.out << kept.err;
    const std::string beside = src / ("Data/a (hersteld " + today + ").txt");
    EXPECT_NE(kept.out.find("Bewaard als S:\\Data\\a (hersteld " + today + ").txt\n"),
              std::string::npos)
        << kept.out;
    EXPECT_EQ(ReadFile(beside), "een");
    struct stat st {};
    ASSERT_EQ(::stat(beside.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtime, 1700000000);
    EXPECT_EQ(ReadFile(src / "Data/a.txt"), "veranderd");

    // The folder with --overwrite: the changed file replaced, the same one left.
    auto over = cli("restore Foto " + src / "Data" + " --overwrite");
    EXPECT_EQ(over.status, 0);
    EXPECT_NE(over.out.find("Teruggezet: 1, naast een ander bestand bewaard: 0, al gelijk: 1,"),
              std::string::npos)
        << over.out;
    EXPECT_EQ(ReadFile(src / "Data/a.txt"), "een");

    // What a run replaced, listed and brought back into a relative folder.
    auto versions = cli("versions Foto 'S:\\Data\\a.txt'");
    EXPECT_EQ(versions.status, 0);
    EXPECT_EQ(versions.out.rfind("2026-01-02 030405\t3\t", 0), 0u) << versions.out;
    EXPECT_NE(versions.out.find("\nhuidig\t3\t2023-11-1"), std::string::npos) << versions.out;
    EXPECT_EQ(cli("restore Foto 'S:\\Data\\a.txt' --version '2026-01-02 030405' --to terug").status,
              0);
    EXPECT_EQ(ReadFile(out / "terug/a.txt"), "oud");
    EXPECT_EQ(cli("restore Foto 'S:\\Data\\a.txt' --version '2026-01-02 030406'").status, 1);
    EXPECT_EQ(cli("restore Foto 'S:\\Data\\a.txt' --version 2026-01-02").status, 2);

    // From the target alone, with an empty program folder that stays empty.
    EXPECT_EQ(cli("restore --from E: 'S:\\Data'", fresh.Path()).status, 2) << "--to is needed";
    auto bare = cli("restore --from E: 'S:\\Data' --to " + out / "los", fresh.Path());
    EXPECT_EQ(bare.status, 0) << bare.out << bare.err;
    EXPECT_EQ(ReadFile(out / "los/Data/sub/b.txt"), "bee");
    auto listed = cli("versions --from E: 'S:\\Data\\a.txt'", fresh.Path());
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out.rfind("2026-01-02 030405\t3\t", 0), 0u) << listed.out;
    EXPECT_NE(listed.out.find("\tFoto\nhuidig\t3\t"), std::string::npos) << listed.out;
    EXPECT_TRUE(fsys::is_empty(fresh.Path()));
    EXPECT_EQ(cli("restore Foto 'S:\\Data' --to 'E:\\Terug'").status, 1) << "not onto the target";

    EXPECT_EQ(listing(), target_before);
    EXPECT_EQ(Ini(), settings_before);
}

}  // namespace
}  // namespace vaultor
