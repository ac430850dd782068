// Stable letters on real file systems: a loop-mounted btrfs image is given a
// letter once, keeps it while unmounted and when mounted elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fs/drive_table.h"
#include "fs/drives.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor::fs {
namespace {

using test::LoopMount;
using test::TempDir;

class DriveMountTest : public ::testing::Test {
  protected:
    void TearDown() override { SetDriveTable(DriveTable()); }
};

const DriveMapping* Recorded(const DriveTable& table, const std::string& folder) {
    const auto& added = table.NewlyRecorded();
    auto it = std::find_if(added.begin(), added.end(),
                           [&](const DriveMapping& s) { return s.folder == folder; });
    return it == added.end() ? nullptr : &*it;
}

TEST_F(DriveMountTest, AFileSystemKeepsItsLetterAcrossUnmountAndRemount) {
    TempDir places;
    LoopMount disk(LoopMount::Kind::Btrfs, 128, "FOTOS");
    VAULTOR_REQUIRE_MOUNT(disk);
    ASSERT_TRUE(disk.Mount(places / "first"));

    DriveTable first = DriveTable::Build({});
    const DriveMapping* mapping = Recorded(first, places / "first");
    ASSERT_NE(mapping, nullptr) << "the mount got no letter";
    EXPECT_FALSE(mapping->uuid.empty());
    EXPECT_GE(mapping->letter, 'D');
    const char letter = mapping->letter;
    std::vector<DriveMapping> recorded = first.NewlyRecorded();
    SetDriveTable(std::move(first));
    std::string error;
    DriveTable::Sources given;
    given.command_line = {*ParseDriveOption("E=/tmp", &error)};
    EXPECT_TRUE(DriveTable::Build(given).NewlyRecorded().empty()) << "--drive records nothing";

    EXPECT_TRUE(IsDriveReady(letter));  // its kind and label: see vaultor-cli drives
    EXPECT_GT(GetDriveTotalBytes(letter), 100LL << 20);
    EXPECT_EQ(Drives().ToNative(std::string(1, letter) + ":\\Foto"), places / "first/Foto");

    // Unplugged: the letter stays, as a drive without medium, and nothing
    // can be written into the empty folder under its name.
    disk.Unmount();
    std::string label;
    EXPECT_FALSE(IsDriveReady(letter));
    EXPECT_NE(GetDriveKind(letter), 255);
    EXPECT_FALSE(GetVolumeLabel(letter, label));
    EXPECT_EQ(GetDriveTotalBytes(letter), -1);
    EXPECT_EQ(Drives().ToNative(std::string(1, letter) + ":\\Foto"), std::nullopt);

    // The next start, with the letter recorded: still there, still without medium.
    DriveTable::Sources sources;
    sources.recorded = recorded;
    SetDriveTable(DriveTable::Build(sources));
    EXPECT_FALSE(IsDriveReady(letter));
    EXPECT_NE(GetDriveKind(letter), 255);

    // Mounted at another folder: the same letter, now there.
    ASSERT_TRUE(disk.Mount(places / "second"));
    EXPECT_TRUE(IsDriveReady(letter));
    EXPECT_EQ(Drives().Info(letter).folder, places / "second");
    DriveTable again = DriveTable::Build(sources);
    EXPECT_EQ(Recorded(again, places / "second"), nullptr) << "a second letter was given";
    SetDriveTable(std::move(again));
    EXPECT_EQ(Drives().ToLetterPath(places / "second/Foto"), std::string(1, letter) + ":\\Foto");
    EXPECT_TRUE(GetVolumeLabel(letter, label));
    EXPECT_EQ(label, "FOTOS");
}

TEST_F(DriveMountTest, ABtrfsSubvolumeIsFoundAgainByItsRoot) {
    TempDir places;
    LoopMount disk(LoopMount::Kind::Btrfs, 128, "SUBS");
    VAULTOR_REQUIRE_MOUNT(disk);
    ASSERT_EQ(test::Run("btrfs -q subvolume create '" + disk.Folder() + "/foto' >/dev/null"), 0);
    ASSERT_EQ(test::Run("mkdir -p '" + places / "sub" + "' && mount -o loop,subvol=foto '" +
                        disk.Image() + "' '" + places / "sub" + "'"),
              0);
    DriveTable first = DriveTable::Build({});
    const DriveMapping* mapping = Recorded(first, places / "sub");
    bool found = mapping != nullptr;
    DriveMapping copy = found ? *mapping : DriveMapping{};
    std::vector<DriveMapping> recorded = first.NewlyRecorded();
    SetDriveTable(std::move(first));
    if (found) {
        EXPECT_EQ(copy.root, "/foto");
        DriveTable::Sources sources;
        sources.recorded = recorded;
        DriveTable again = DriveTable::Build(sources);
        EXPECT_EQ(Recorded(again, places / "sub"), nullptr) << "a second letter was given";
        SetDriveTable(std::move(again));
        EXPECT_TRUE(IsDriveReady(copy.letter));
        EXPECT_EQ(Drives().Info(copy.letter).folder, places / "sub");
    }
    test::Run("umount '" + places / "sub" + "'");
    EXPECT_TRUE(found) << "the subvolume got no letter";
}

}  // namespace
}  // namespace vaultor::fs
