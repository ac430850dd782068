// Compression on real file systems: btrfs through the inode flag, NTFS through
// ntfs-3g's attribute word, and nothing on FAT or tmpfs.
#include "fs/compression.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fs/copy_file.h"
#include "support/drive_map.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor::fs {
namespace {

using test::LoopMount;
using test::WriteFile;

class CompressionTest : public ::testing::Test {
  protected:
    void MapE(const std::string& folder) { test::MapDrives({"E=" + folder}); }
    test::DriveTableScope drives;
};

// A file that compresses well, written on a file system of its own.
std::string Compressible(size_t bytes) {
    std::string s;
    s.reserve(bytes);
    while (s.size() < bytes) s += "Vaultor keeps the only copy of the photos. ";
    s.resize(bytes);
    return s;
}

// compsize reports "TOTAL  <percentage>% ..." for the data it was given.
int CompsizePercent(const std::string& path) {
    std::string out = test::RunOutput("compsize -x '" + path + "' 2>&1");
    auto at = out.find("TOTAL");
    if (at == std::string::npos) return -1;
    return std::atoi(out.c_str() + out.find_first_of("0123456789", at));
}

TEST_F(CompressionTest, BtrfsFilesAndFoldersFollowTheFlagAndCompressedCopiesAreReal) {
    LoopMount disk(LoopMount::Kind::Btrfs, 256, "B");
    VAULTOR_REQUIRE_MOUNT(disk);
    MapE(disk.Folder());
    EXPECT_TRUE(SupportsCompression('E'));
    EXPECT_TRUE(SupportsCompression('e'));  // as the volume query takes "e:\\"
    // Folders compressed and uncompressed by the list of a run: see the copy step.
    EXPECT_FALSE(IsFileCompressed("E:\\missing"));

    // A copy from another file system is measured through a whole run; within
    // one btrfs, a compressed copy must not share the plain extents.
    std::string plain = disk.Folder() + "/plain.txt", packed = disk.Folder() + "/packed.txt";
    WriteFile(plain, Compressible(8 << 20));
    CopyRequest compressed;
    compressed.compressed = true;
    ASSERT_TRUE(CopyOneFile(plain, packed, compressed).Ok());
    ::sync();
    EXPECT_TRUE(IsFileCompressed(packed));
    EXPECT_EQ(CompsizePercent(plain), 100);
    int packed_percent = CompsizePercent(packed);
    ASSERT_GE(packed_percent, 0) << "compsize gave no total";
    EXPECT_LT(packed_percent, 50);
    EXPECT_EQ(test::ReadFile(packed), test::ReadFile(plain));
}

TEST_F(CompressionTest, NtfsFoldersPassTheirStateToNewFilesOnly) {
    LoopMount disk(LoopMount::Kind::Ntfs, 64, "N");
    VAULTOR_REQUIRE_MOUNT(disk);
    MapE(disk.Folder());
    EXPECT_TRUE(SupportsCompression('E'));
    std::filesystem::create_directories(disk.Folder() + "/Data");
    WriteFile(disk.Folder() + "/Data/old", "existing file");

    EXPECT_TRUE(SetCompressionState("E:\\Data", kCompressionLznt1));
    EXPECT_TRUE(IsFileCompressed("E:\\Data"));
    // ntfs-3g drops a change of an existing file's bit; the set says so.
    EXPECT_FALSE(SetCompressionState("E:\\Data\\old", kCompressionLznt1));
    EXPECT_FALSE(IsFileCompressed("E:\\Data\\old"));

    // The copy gets the wanted state through the folder and puts the folder back.
    test::TempDir src;
    WriteFile(src / "f", Compressible(1 << 20));
    CopyRequest compressed;
    compressed.compressed = true;
    ASSERT_TRUE(SetCompressionState("E:\\Data", kCompressionNone));
    ASSERT_TRUE(CopyOneFile(src / "f", "E:\\Data\\copy", compressed).Ok());
    EXPECT_TRUE(IsFileCompressed("E:\\Data\\copy"));
    EXPECT_FALSE(IsFileCompressed("E:\\Data"));
    CopyRequest plain;
    plain.compressed = false;
    ASSERT_TRUE(SetCompressionState("E:\\Data", kCompressionLznt1));
    ASSERT_TRUE(CopyOneFile(src / "f", "E:\\Data\\copy", plain).Ok());
    EXPECT_FALSE(IsFileCompressed("E:\\Data\\copy"));
    EXPECT_TRUE(IsFileCompressed("E:\\Data"));
    EXPECT_EQ(test::ReadFile(disk.Folder() + "/Data/copy"), test::ReadFile(src / "f"));
}

TEST_F(CompressionTest, FatAndTmpfsHaveNoCompressionAndTheOperationsDoNothing) {
    LoopMount fat(LoopMount::Kind::Fat, 32, "F");
    VAULTOR_REQUIRE_MOUNT(fat);
    MapE(fat.Folder());
    WriteFile(fat.Folder() + "/a", "x");
    EXPECT_FALSE(SupportsCompression('E'));
    CompressPath("E:\\a");
    EXPECT_FALSE(IsFileCompressed("E:\\a"));
    std::uint16_t state = 77;
    EXPECT_FALSE(GetCompressionState("E:\\a", state));
    EXPECT_EQ(state, 77);

    LoopMount ram(LoopMount::Kind::Tmpfs, 0);
    VAULTOR_REQUIRE_MOUNT(ram);
    MapE(ram.Folder());
    EXPECT_FALSE(SupportsCompression('E'));
    EXPECT_FALSE(SupportsCompression('Q'));
}

}  // namespace
}  // namespace vaultor::fs
