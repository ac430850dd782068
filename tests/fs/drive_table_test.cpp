#include "fs/drive_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fs/drives.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor::fs {
namespace {

using test::TempDir;

DriveMapping Mapping(const std::string& text) {
    std::string error;
    auto mapping = ParseDriveOption(text, &error);
    EXPECT_TRUE(mapping) << error;
    return mapping.value_or(DriveMapping{});
}

// Each test gets a drive table of its own and leaves the default behind.
class DriveTableTest : public ::testing::Test {
  protected:
    void Use(std::vector<DriveMapping> command_line, const std::string& fstab = "/etc/fstab") {
        DriveTable::Sources sources;
        sources.command_line = std::move(command_line);
        sources.fstab = fstab;
        SetDriveTable(DriveTable::Build(sources));
    }
    void TearDown() override { SetDriveTable(DriveTable()); }
};

TEST(DriveMappingForm, ReadsOptionsAndKeepsCommasInFoldersAndLabels) {
    DriveMapping s = Mapping("e=/tmp/a,b,kind=1,label=Foto's, oud,mounted");
    EXPECT_EQ(s.letter, 'E');
    EXPECT_EQ(s.folder, "/tmp/a,b");
    EXPECT_EQ(s.kind, 1);
    EXPECT_EQ(s.label, "Foto's, oud");
    EXPECT_TRUE(s.mounted);
    DriveMapping again = Mapping("E=" + FormatDriveValue(s));
    EXPECT_EQ(again.folder, s.folder);
    EXPECT_EQ(again.label, s.label);
    EXPECT_EQ(Mapping("F=/x/,uuid=1234-AB").uuid, "1234-AB");
    EXPECT_EQ(Mapping("F=/x/").folder, "/x");

    std::string error;
    EXPECT_FALSE(ParseDriveOption("1=/x", &error));
    EXPECT_NE(error.find("'1'"), std::string::npos);
    EXPECT_FALSE(ParseDriveOption("E=relative", &error));
    EXPECT_FALSE(ParseDriveOption("E=/x,kind=7", &error));
    EXPECT_NE(error.find("'7'"), std::string::npos);
    EXPECT_FALSE(ParseDriveOption("E/x", &error));
}

TEST_F(DriveTableTest, TranslatesLetterPathsBothWaysAndAnswersTheDriveQueriesByLetter) {
    TempDir dir;
    std::filesystem::create_directories(dir / "Data/Foto");
    Use({Mapping("E=" + dir.Path())});
    EXPECT_EQ(Drives().ToNative("E:\\Data\\Foto"), dir / "Data/Foto");
    EXPECT_EQ(Drives().ToNative("e:\\Data"), dir / "Data");
    EXPECT_EQ(Drives().ToNative("E:\\"), dir.Path());
    EXPECT_EQ(Drives().ToNative("E:"), dir.Path());
    EXPECT_EQ(Drives().ToNative("C:\\etc\\fstab"), "/etc/fstab");
    EXPECT_EQ(Drives().ToNative("/already/native"), "/already/native");
    EXPECT_EQ(Drives().ToNative("Q:\\nothing"), std::nullopt);
    // A path whose text is not what the system would see names nothing: "."
    // and ".." components (either separator), and a NUL that would cut it.
    for (const std::string& odd :
         std::vector<std::string>{"E:\\Data\\..\\Foto", "E:\\..\\outside", "E:\\Data/../../x",
                                  "E:\\.\\Data", std::string("E:\\Data\0x", 9)})
        EXPECT_EQ(Drives().ToNative(odd), std::nullopt) << odd;
    EXPECT_EQ(Drives().ToLetterPath(dir / "Data/Foto"), "E:\\Data\\Foto");
    EXPECT_EQ(Drives().ToLetterPath(dir.Path()), "E:\\");
    EXPECT_EQ(Drives().ToLetterPath("/etc"), "C:\\etc");
    EXPECT_EQ(Drives().ToLetterPath("/"), "C:\\");
    // A command-line table holds only its letters and C:.
    EXPECT_EQ(Drives().Letters(), (std::vector<char>{'C', 'E'}));

    Use({Mapping("E=" + dir.Path() + ",kind=1,label=A/B/C"), Mapping("H=/etc/fstab")});
    EXPECT_TRUE(IsDriveReady('E'));
    EXPECT_TRUE(IsDriveReady('e'));
    EXPECT_THROW(IsDriveReady('1'), ConversionError);
    EXPECT_EQ(GetDriveKind('e'), 1);
    EXPECT_EQ(GetDriveKind('Q'), 255);
    EXPECT_EQ(GetDriveKind('1'), 255);
    EXPECT_GT(GetDriveTotalBytes('E'), 0);
    EXPECT_GE(GetDriveFreeBytes('E'), 0);
    EXPECT_EQ(GetDriveTotalBytes('e'), -1);  // lower case is not converted
    EXPECT_EQ(GetDriveFreeBytes('Q'), -1);
    std::string label = "unchanged";
    EXPECT_TRUE(GetVolumeLabel('e', label));
    EXPECT_EQ(label, "A_B_C");        // cleaned as CleanVolumeLabel does
    EXPECT_FALSE(IsDriveReady('H'));  // a file is no drive
    EXPECT_FALSE(GetVolumeLabel('Q', label));
}

TEST(VolumeLabel, CleansSlashesOnlyInPositionsTwoToTwelve) {
    EXPECT_EQ(CleanVolumeLabel(""), "No_Label");
    EXPECT_EQ(CleanVolumeLabel("A/B/C"), "A_B_C");
    EXPECT_EQ(CleanVolumeLabel("/X"), "/X");
    EXPECT_EQ(CleanVolumeLabel("123456789012/4"), "123456789012/4");
    EXPECT_EQ(CleanVolumeLabel("12345678901/34"), "12345678901_34");
}

TEST_F(DriveTableTest, AnEmptyMountFolderOrDiscDriveIsADriveWithoutMedium) {
    TempDir dir;
    std::filesystem::create_directories(dir / "stick");
    std::filesystem::create_directories(dir / "disk");
    test::WriteFile(dir / "fstab", "/dev/sdz1 " + dir.Path() + "/disk ext4 noauto 0 0\n");
    Use({Mapping("E=" + dir.Path() + "/stick,mounted"), Mapping("F=" + dir.Path() + "/disk"),
         Mapping("R=/media/cdrom0,device=/dev/sr9")},
        dir / "fstab");
    for (char letter : {'E', 'F', 'R'}) {
        EXPECT_FALSE(IsDriveReady(letter)) << letter;
        EXPECT_NE(GetDriveKind(letter), 255) << letter;  // the drive still shows
        std::string drive_path = std::string(1, letter) + ":\\backup";
        EXPECT_EQ(Drives().ToNative(drive_path), std::nullopt) << letter;
        std::string label = "unchanged";
        EXPECT_FALSE(GetVolumeLabel(letter, label));
        EXPECT_EQ(label, "unchanged");
    }
    EXPECT_EQ(GetDriveKind('R'), 4);  // an optical drive without a disc

    test::LoopMount stick(test::LoopMount::Kind::Tmpfs, 0);
    VAULTOR_REQUIRE_MOUNT(stick);
    ASSERT_TRUE(stick.Mount(dir / "stick"));
    EXPECT_TRUE(IsDriveReady('E'));
    EXPECT_EQ(GetDriveKind('E'), 5);
    EXPECT_EQ(Drives().ToNative("E:\\backup"), dir / "stick/backup");
    stick.Unmount();
    EXPECT_FALSE(IsDriveReady('E'));  // the table notices the mount going
}

TEST(MountKinds, FollowTheDeviceAndTheFileSystemType) {
    auto kind = [](std::string source, std::string fstype, bool network = false) {
        MountEntry m;
        m.source = std::move(source);
        m.fstype = std::move(fstype);
        m.network = network;
        return KindOfMount(m);
    };
    EXPECT_EQ(kind("/dev/sr0", "iso9660"), 4);
    EXPECT_EQ(kind("nas:/foto", "nfs4", true), 3);
    EXPECT_EQ(kind("tmpfs", "tmpfs"), 5);
    EXPECT_EQ(kind("ramfs", "ramfs"), 5);
    EXPECT_EQ(kind("user@host:/x", "fuse.sshfs"), 3);
    EXPECT_EQ(kind("//nas/foto", "cifs"), 3);
    EXPECT_EQ(kind("/tmp/image", "fuse"), 2);

    MountEntry system;
    system.target = "/sys/fs/cgroup";
    system.source = "/dev/sda1";
    EXPECT_FALSE(IsUserVisibleMount(system));
    system.target = "/boot/efi";
    EXPECT_FALSE(IsUserVisibleMount(system));
    MountEntry media;
    media.target = "/run/media/anne/STICK";
    media.fstype = "vfat";
    EXPECT_TRUE(IsUserVisibleMount(media));
    media.pseudo = true;
    EXPECT_FALSE(IsUserVisibleMount(media));
}

}  // namespace
}  // namespace vaultor::fs
