#include "engine/walk.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <filesystem>

#include "app/run_window.h"
#include "fs/drive_table.h"
#include "support/drive_map.h"
#include "support/loop_mount.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::TempDir;
using test::WriteFile;

class WalkTest : public ::testing::Test {
  protected:
    // S: is the source tree, T: the target drive.
    void SetUp() override {
        std::filesystem::create_directories(src / "R/A/A1");
        std::filesystem::create_directories(src / "R/B");
        WriteFile(src / "R/one", "abc");
        WriteFile(src / "R/.hidden", "12345");
        WriteFile(src / "R/A/a", std::string(10, 'a'));
        WriteFile(src / "R/A/A1/deep", std::string(7, 'd'));
        Map({"S=" + src.Path()});
        state.TargetRoot = "T:\\";
    }
    void Map(const std::vector<std::string>& options) { test::MapDrives(options); }
    std::int64_t Total(const std::string& root) {
        state.TotalBytes = 0;
        WindowObserver window(state);
        Walker(state, nullptr, window).FillDirTree(root, wmTotal);
        return state.TotalBytes;
    }

    test::DriveTableScope drives;
    TempDir src;
    test::ScriptedUi ui;
    AppState state{ui};
};

// Stop during a walk and the log mode are tested through the totals, a FIFO
// (never opened) through whole runs; CountSize, IsDirEmpty and GetOneLower are
// used nowhere in the program.
TEST_F(WalkTest, AddsUpEveryFileOnceFoldersAsNothingAndLinksToFilesAsTheFile) {
    EXPECT_EQ(Total("S:\\R"), 3 + 5 + 10 + 7);
    EXPECT_EQ(Total("S:\\R\\B"), 0);
    EXPECT_EQ(Total("S:\\missing"), 0);
    EXPECT_EQ(Total("S:"), 25);  // a drive root is walked as "S:"
    EXPECT_EQ(state.Model.StatusBar1.rfind("Berekenen totaal: S:\\", 0), 0u);

    // A link to a file counts as the file; links to folders are never followed.
    std::filesystem::create_directory_symlink(src / "R", src / "R/A/loop");  // a loop
    std::filesystem::create_symlink(src / "R/A/a", src / "R/B/link_to_a");
    std::filesystem::create_symlink(src / "nowhere", src / "R/B/dangling");
    EXPECT_EQ(Total("S:\\R"), 25 + 10);
    std::filesystem::create_directory_symlink(src / "R", src / "link");
    EXPECT_EQ(Total("S:\\link"), 25 + 10);  // a listed folder that is a link is followed itself
}

TEST_F(WalkTest, NeverCountsTheTargetMountedBelowASourceFolderNorADriveFolder) {
    test::LoopMount target(test::LoopMount::Kind::Tmpfs, 0);
    VAULTOR_REQUIRE_MOUNT(target);
    ASSERT_TRUE(target.Mount(src / "R/backup"));
    std::filesystem::create_directories(src / "R/backup/Vaultor_Drive S/R");
    WriteFile(src / "R/backup/Vaultor_Drive S/R/one", std::string(1000, 'c'));
    WriteFile(src / "R/backup/Vaultor.dat", "x");
    Map({"S=" + src.Path(), "T=" + src / "R/backup"});
    EXPECT_EQ(Total("S:\\R"), 25);

    // No longer the target: a file system mounted below a listed folder is
    // walked as the folder it is.
    state.TargetRoot = "S:\\";
    EXPECT_EQ(Total("S:\\R"), 25 + 1001);
    target.Unmount();

    // A whole drive listed, with the target on the same drive: its drive
    // folders are never walked, nor a listed folder inside one.
    std::filesystem::create_directories(src / "Vaultor_Drive S/R");
    WriteFile(src / "Vaultor_Drive S/R/copy", std::string(500, 'v'));
    std::filesystem::create_directories(src / "Vaultor_Drive C/R");
    WriteFile(src / "Vaultor_Drive C/R/copy", std::string(500, 'v'));
    EXPECT_EQ(Total("S:"), 25);
    EXPECT_EQ(Total("S:\\Vaultor_Drive C\\R"), 0);
}

TEST_F(WalkTest, OtherFileSystemsBelowAListedFolderAreWalkedButNeverAPseudoOne) {
    for (const char* folder : {"R/ram", "R/proc", "R/overlay", "lower", "upper", "work"})
        std::filesystem::create_directories(src / folder);
    WriteFile(src / "lower/l", std::string(100, 'l'));
    if (::mount("ramfs", (src / "R/ram").c_str(), "ramfs", 0, nullptr) != 0 ||
        ::mount("proc", (src / "R/proc").c_str(), "proc", 0, nullptr) != 0) {
        ::umount((src / "R/ram").c_str());
        if (std::getenv("CI")) FAIL() << "cannot mount ramfs and proc";
        GTEST_SKIP() << "cannot mount here (needs root)";
    }
    std::string options =
        "lowerdir=" + src / "lower" + ",upperdir=" + src / "upper" + ",workdir=" + src / "work";
    bool overlay =
        ::mount("overlay", (src / "R/overlay").c_str(), "overlay", 0, options.c_str()) == 0;
    WriteFile(src / "R/ram/r", std::string(50, 'r'));
    std::int64_t total = Total("S:\\R");
    Map({"S=" + src.Path(), "P=/proc"});
    std::int64_t proc_root = Total("P:");
    for (const char* folder : {"R/ram", "R/proc", "R/overlay"}) ::umount((src / folder).c_str());
    EXPECT_EQ(total, 25 + 50 + (overlay ? 100 : 0));
    EXPECT_EQ(proc_root, 0);
}

}  // namespace
}  // namespace vaultor
