#include "engine/walk.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

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
        state.CurrentRoot = root;
        Walker(state, nullptr).FillDirTree(wmTotal);
        return state.TotalBytes;
    }

    test::DriveTableScope drives;
    TempDir src, home;
    test::ScriptedUi ui;
    AppState state{ui};
};

TEST_F(WalkTest, AddsUpEveryFileOnceAndFoldersAsNothing) {
    EXPECT_EQ(Total("S:\\R"), 3 + 5 + 10 + 7);
    EXPECT_EQ(Total("S:\\R\\B"), 0);
    EXPECT_EQ(Total("S:\\missing"), 0);
    EXPECT_EQ(Total("S:"), 25);  // a drive root is walked as "S:"
    EXPECT_EQ(state.Model.StatusBar1.rfind("Berekenen totaal: S:\\", 0), 0u);

    Walker walker(state, nullptr);
    state.TotalBytes = 100;
    EXPECT_EQ(walker.CountSize("S:\\R"), 8);
    EXPECT_EQ(state.TotalBytes, 108);
    EXPECT_TRUE(walker.IsDirEmpty("S:\\R\\B"));
    std::filesystem::create_directories(src / "R/C/only_folders/x");
    EXPECT_TRUE(walker.IsDirEmpty("S:\\R\\C"));
    EXPECT_FALSE(walker.IsDirEmpty("S:\\R\\A"));
    auto lower = walker.GetOneLower("S:\\R");
    std::sort(lower.begin(), lower.end());
    EXPECT_EQ(lower, (std::vector<std::string>{"A", "B", "C"}));
}

TEST_F(WalkTest, LinksToFilesCountAsTheFileAndLinksToFoldersAreNeverFollowed) {
    std::filesystem::create_directory_symlink(src / "R", src / "R/A/loop");  // a loop
    std::filesystem::create_symlink(src / "R/A/a", src / "R/B/link_to_a");
    std::filesystem::create_symlink(src / "nowhere", src / "R/B/dangling");
    ASSERT_EQ(::mkfifo((src / "R/B/fifo").c_str(), 0644), 0);  // never opened: no hang
    EXPECT_EQ(Total("S:\\R"), 25 + 10);
}

TEST_F(WalkTest, NeverCountsTheTargetMountedBelowASourceFolder) {
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
    // folders are never walked.
    std::filesystem::create_directories(src / "Vaultor_Drive S/R");
    WriteFile(src / "Vaultor_Drive S/R/copy", std::string(500, 'v'));
    EXPECT_EQ(Total("S:"), 25);
}

TEST_F(WalkTest, NeverEntersAPseudoFileSystem) {
    std::filesystem::create_directories(src / "R/proc");
    if (::mount("proc", (src / "R/proc").c_str(), "proc", 0, nullptr) != 0) {
        if (std::getenv("CI")) FAIL() << "cannot mount proc";
        GTEST_SKIP() << "cannot mount proc here (needs root)";
    }
    std::int64_t total = Total("S:\\R");
    Map({"S=" + src.Path(), "P=/proc"});
    std::int64_t proc_root = Total("P:");
    ::umount((src / "R/proc").c_str());
    EXPECT_EQ(total, 25);
    EXPECT_EQ(proc_root, 0);
}

TEST_F(WalkTest, OtherFileSystemsBelowAListedFolderAreWalked) {
    std::filesystem::create_directories(src / "R/ram");
    std::filesystem::create_directories(src / "lower");
    std::filesystem::create_directories(src / "upper");
    std::filesystem::create_directories(src / "work");
    std::filesystem::create_directories(src / "R/overlay");
    WriteFile(src / "lower/l", std::string(100, 'l'));
    if (::mount("ramfs", (src / "R/ram").c_str(), "ramfs", 0, nullptr) != 0) {
        if (std::getenv("CI")) FAIL() << "cannot mount ramfs";
        GTEST_SKIP() << "cannot mount here (needs root)";
    }
    std::string options =
        "lowerdir=" + src / "lower" + ",upperdir=" + src / "upper" + ",workdir=" + src / "work";
    bool overlay =
        ::mount("overlay", (src / "R/overlay").c_str(), "overlay", 0, options.c_str()) == 0;
    WriteFile(src / "R/ram/r", std::string(50, 'r'));
    std::int64_t total = Total("S:\\R");
    ::umount((src / "R/ram").c_str());
    if (overlay) ::umount((src / "R/overlay").c_str());
    EXPECT_EQ(total, 25 + 50 + (overlay ? 100 : 0));
}

TEST_F(WalkTest, AListedFolderThatIsALinkIsFollowedItself) {
    std::filesystem::create_directory_symlink(src / "R", src / "link");
    EXPECT_EQ(Total("S:\\link"), 25);
}

TEST_F(WalkTest, AListedFolderInsideADriveFolderIsNeverWalked) {
    std::filesystem::create_directories(src / "Vaultor_Drive C/R");
    WriteFile(src / "Vaultor_Drive C/R/copy", std::string(500, 'v'));
    state.TargetRoot = "S:\\";
    EXPECT_EQ(Total("S:\\Vaultor_Drive C\\R"), 0);
}

TEST_F(WalkTest, StopEndsTheWalkBetweenFolders) {
    for (int i = 0; i < 50; ++i) {
        std::filesystem::create_directories(src / ("R/B/f" + std::to_string(i)));
        WriteFile(src / ("R/B/f" + std::to_string(i) + "/x"), "1234");
    }
    ui.on_pump = [&] { state.AbortRequested = true; };
    std::int64_t partial = Total("S:\\R");
    EXPECT_GT(partial, 0);
    EXPECT_LT(partial, 25 + 200);
    EXPECT_GT(ui.pumps, 0);
}

TEST_F(WalkTest, TheLogModeWritesEveryFolderWithItsSize) {
    LogFile log;
    log.Open(home.Path() + "/");
    state.CurrentRoot = "S:\\R";
    Walker(state, &log).FillDirTree(wmLog);
    log.Close();
    auto lines = ReadLogLines(home / "Vaultor.log");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "S:\\R 0 kB");  // the root always in kilobytes
    EXPECT_NE(std::find(lines.begin(), lines.end(), "S:\\R\\A 10 bytes"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "S:\\R\\A\\A1 7 bytes"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "S:\\R\\B 0 bytes"), lines.end());
    auto a = std::find(lines.begin(), lines.end(), "S:\\R\\A 10 bytes");
    auto a1 = std::find(lines.begin(), lines.end(), "S:\\R\\A\\A1 7 bytes");
    EXPECT_LT(a, a1);  // each folder before the folders inside it
    EXPECT_EQ(state.TotalBytes, 25);
}

}  // namespace
}  // namespace vaultor
