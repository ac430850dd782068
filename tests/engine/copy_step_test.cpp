#include "engine/copy_step.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fs/compression.h"
#include "support/drive_map.h"
#include "support/loop_mount.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class CopyStepTest : public ::testing::Test {
  protected:
    void SetUp() override { test::MapDrives({"S=" + s.Path(), "E=" + e.Path()}); }
    test::DriveTableScope drives;
    TempDir s, e;
    test::ScriptedUi ui;
    AppState state{ui};
};

// The copy of one file is tested in fs and through whole runs.
TEST_F(CopyStepTest, FolderLevelsAreMadeFromTheTopDown) {
    EXPECT_TRUE(IncForceDirectories("E:\\A\\B"));
    EXPECT_TRUE(std::filesystem::is_directory(e / "A/B"));
    EXPECT_TRUE(IncForceDirectories("E:\\A\\B\\"));  // all there already
    WriteFile(e / "X", "a file where a folder should be");
    EXPECT_FALSE(IncForceDirectories("E:\\X\\B"));
    EXPECT_FALSE(std::filesystem::exists(e / "X/B"));
    EXPECT_FALSE(IncForceDirectories("Q:\\A"));  // no such drive
}

TEST_F(CopyStepTest, LeftoverTemporaryFilesGoUnlessTheSourceHoldsThatName) {
    WriteFile(e / ".vaultor-0123456789ab.tmp", "half a copy");
    WriteFile(e / ".vaultor-ba9876543210.tmp", "a real file of the user's");
    WriteFile(s / ".vaultor-ba9876543210.tmp", "a real file of the user's");
    WriteFile(e / "photo.jpg", "keep");
    RemoveLeftoverTemps("E:\\", "S:\\");
    EXPECT_FALSE(std::filesystem::exists(e / ".vaultor-0123456789ab.tmp"));
    EXPECT_TRUE(std::filesystem::exists(e / ".vaultor-ba9876543210.tmp"));
    EXPECT_TRUE(std::filesystem::exists(e / "photo.jpg"));
}

TEST_F(CopyStepTest, CompressionFollowsTheOptionsOnBtrfs) {
    test::LoopMount disk(test::LoopMount::Kind::Btrfs, 256, "T");
    VAULTOR_REQUIRE_MOUNT(disk);
    test::MapDrives({"S=" + s.Path(), "E=" + disk.Folder()});
    WriteFile(s / "f", std::string(100000, 'c'));
    std::filesystem::create_directories(disk.Folder() + "/Data");
    std::filesystem::create_directories(disk.Folder() + "/Temp");
    state.Ini.MirrorCompression = true;  // the source on ext4 has no compression: plain
    RunObserver quiet;
    ASSERT_TRUE(CopyStep(state, quiet).KopieerBestand("S:\\f", "E:\\mirrored"));
    EXPECT_EQ(ReadFile(disk.Folder() + "/mirrored"), ReadFile(s / "f"));
    EXPECT_FALSE(fs::IsFileCompressed("E:\\mirrored"));

    const std::vector<std::string> compress = {"+E:\\Data", "-E:\\Temp"};
    ASSERT_TRUE(fs::SetCompressionState("E:\\Temp", fs::kCompressionLznt1));
    state.Ini.MirrorCompression = false;
    SetAllFoldersCompressionstate(state, compress);  // neither option: nothing
    EXPECT_FALSE(fs::IsFileCompressed("E:\\Data"));
    EXPECT_TRUE(fs::IsFileCompressed("E:\\Temp"));
    state.Ini.MirrorCompression = true;
    SetAllFoldersCompressionstate(state, compress);
    EXPECT_TRUE(fs::IsFileCompressed("E:\\Data"));
    EXPECT_FALSE(fs::IsFileCompressed("E:\\Temp"));
}

}  // namespace
}  // namespace vaultor
