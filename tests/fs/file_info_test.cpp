#include "fs/file_info.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor::fs {
namespace {

using test::TempDir;
using test::WriteFile;

using test::SetMtime;

TEST(FileSize, IsTheRealSizeAndZeroForFoldersAndMissingPaths) {
    TempDir dir;
    WriteFile(dir / "a", "hello");
    EXPECT_EQ(FileSizeOf(dir / "a"), 5);
    EXPECT_EQ(FileSizeOf(dir / "missing"), 0);
    EXPECT_EQ(FileSizeOf(dir.Path()), 0);  // ext4 would say 4096
    // A sparse file of 3 GiB: the low 32 bits alone would read as negative.
    std::string big = dir / "big";
    WriteFile(big, "");
    ASSERT_EQ(::truncate(big.c_str(), 3LL << 30), 0);
    EXPECT_EQ(FileSizeOf(big), 3LL << 30);
    ASSERT_EQ(::truncate(big.c_str(), 1LL << 31), 0);
    EXPECT_EQ(FileSizeOf(big), 1LL << 31);
}

TEST(DosDate, PacksUtcInTwoSecondStepsAndRefusesFoldersAndOtherEras) {
    TempDir dir;
    std::string f = dir / "f";
    WriteFile(f, "x");
    SetMtime(f, 1700043331);  // 2023-11-15 10:15:31 UTC
    std::int32_t v = GetFileDosDate(f);
    auto u = static_cast<std::uint32_t>(v);
    EXPECT_EQ(u >> 25, 2023u - 1980u);
    EXPECT_EQ((u >> 21) & 15u, 11u);
    EXPECT_EQ((u >> 16) & 31u, 15u);
    EXPECT_EQ((u >> 11) & 31u, 10u);
    EXPECT_EQ((u >> 5) & 63u, 15u);
    EXPECT_EQ(u & 31u, 15u);  // 31 seconds in two-second steps
    SetMtime(f, 1700043330);
    EXPECT_EQ(GetFileDosDate(f), v);  // 30 and 31 share a step
    SetMtime(f, 1700043332);
    EXPECT_EQ(GetFileDosDate(f), v + 1);
    EXPECT_EQ(GetFileDosDate(dir.Path()), -1);
    EXPECT_EQ(GetFileDosDate(dir / "missing"), -1);
    SetMtime(f, 86400);  // 1970
    EXPECT_EQ(GetFileDosDate(f), -1);
    EXPECT_EQ(DosDateTimeFromUnix(315532800), (0 << 25 | 1 << 21 | 1 << 16));  // 1980-01-01
}

TEST(EraseFile, DeletesWritableFilesOnlyAndKeepsReadOnlyOnes) {
    TempDir dir;
    WriteFile(dir / "w", "x");
    WriteFile(dir / "r", "x");
    ::chmod((dir / "r").c_str(), 0444);  // root ignores the bits, the program does not
    EXPECT_TRUE(EraseFile(dir / "w"));
    EXPECT_FALSE(std::filesystem::exists(dir / "w"));
    EXPECT_FALSE(EraseFile(dir / "r"));
    EXPECT_TRUE(std::filesystem::exists(dir / "r"));
    EXPECT_FALSE(EraseFile(dir / "missing"));
    EXPECT_FALSE(EraseFile(dir.Path()));
}

TEST(Attributes, MapPermissionBitsNamesAndFolders) {
    TempDir dir;
    WriteFile(dir / ".hidden", "x");
    WriteFile(dir / "ro", "x");
    ::chmod((dir / "ro").c_str(), 0444);
    EXPECT_EQ(GetFileAttr(dir / ".hidden"), kAttrArchive | kAttrHidden);
    EXPECT_EQ(GetFileAttr(dir / "ro"), kAttrArchive | kAttrReadOnly);
    EXPECT_TRUE(IsDirAttr(GetFileAttr(dir.Path())));
    EXPECT_EQ(GetFileAttr(dir / "missing"), kNoAttributes);
}

TEST(DeleteFolderTree, RemovesEverythingButNeverFollowsALinkOut) {
    TempDir dir, outside;
    WriteFile(outside / "precious", "keep me");
    std::filesystem::create_directories(dir / "t/a/b");
    WriteFile(dir / "t/a/b/f", "x");
    WriteFile(dir / "t/ro", "x");
    ::chmod((dir / "t/ro").c_str(), 0444);
    std::filesystem::create_directory_symlink(outside.Path(), dir / "t/a/link");
    EXPECT_TRUE(DeleteFolderTree(dir / "t"));
    EXPECT_FALSE(std::filesystem::exists(dir / "t"));
    EXPECT_EQ(test::ReadFile(outside / "precious"), "keep me");
    EXPECT_FALSE(DeleteFolderTree(dir / "missing"));

    // A link given as the tree itself: only the link goes.
    std::filesystem::create_directory_symlink(outside.Path(), dir / "l");
    EXPECT_TRUE(DeleteFolderTree(dir / "l"));
    EXPECT_EQ(test::ReadFile(outside / "precious"), "keep me");
}

TEST(DeleteFolderTree, LeavesAFileSystemMountedBelowIt) {
    TempDir dir;
    std::filesystem::create_directories(dir / "t");
    test::LoopMount inner(test::LoopMount::Kind::Tmpfs, 0);
    VAULTOR_REQUIRE_MOUNT(inner);
    ASSERT_TRUE(inner.Mount(dir / "t/m"));
    WriteFile(dir / "t/m/other", "on another file system");
    EXPECT_FALSE(DeleteFolderTree(dir / "t"));
    EXPECT_EQ(test::ReadFile(dir / "t/m/other"), "on another file system");
}

TEST(SmallHelpers, BehaveAsTheRestOfTheProgramExpects) {
    EXPECT_EQ(StripTrailingBackslash("E:\\Vaultor_Drive C\\"), "E:\\Vaultor_Drive C");
    EXPECT_EQ(StripTrailingBackslash("E:"), "E:");
    EXPECT_EQ(StripTrailingBackslash(""), "");
    EXPECT_EQ(Percentage(0, 500), 0);
    EXPECT_EQ(Percentage(200, 50), 25);
    EXPECT_EQ(Percentage(3, 1), 33);
    EXPECT_EQ(Percentage(INT64_MAX / 2, INT64_MAX / 4), 49);  // no overflow of done * 100
    EXPECT_EQ(OnlyName("D:\\Prog\\Werk.vlt"), "Werk");
    EXPECT_EQ(OnlyName("D:\\Prog\\Werk"), "Werk");
    EXPECT_EQ(OnlyName("D:\\Prog\\a.vlt.vlt"), "a.vlt");
    EXPECT_EQ(OnlyName("D:Werk.vlt"), "Werk");
    EXPECT_EQ(OnlyName("/home/u/.local/share/vaultor/Foto's 2024.vlt"), "Foto's 2024");
    EXPECT_EQ(OnlyName("D:\\Prog.d\\Werk"), "Werk");
    EXPECT_EQ(OnlyName("D:\\Prog\\"), "");
}

}  // namespace
}  // namespace vaultor::fs

#include "fs/time_text.h"

namespace vaultor::fs {
namespace {

TEST(TimeText, DatesAsTheComparisonSeesThemAndDurationsAsTheLabelsShowThem) {
    std::int32_t when = DosDateTimeFromUnix(1700043331);  // 2023-11-15 10:15:31 UTC
    EXPECT_EQ(DosDateText(when, false), "2023:11:15 10:15:30");
    EXPECT_EQ(DosDateText(when, true), "2023:11:15 10:15");
    EXPECT_EQ(DosDateText(-1, false), "0000:00:00 00:00:00");
    EXPECT_EQ(DosDateText(-1, true), "0000:00:00 00:00:00");
    EXPECT_EQ(DosDateText(0, false), "0000:00:00 00:00:00");  // month 0 is no date
    EXPECT_EQ(DurationText(0), "00:00:00");
    EXPECT_EQ(DurationText(3725), "01:02:05");
    EXPECT_EQ(DurationText(86400 + 59), "24:00:59");
    EXPECT_EQ(DurationText(360000), "100:00:00");
}

}  // namespace
}  // namespace vaultor::fs
