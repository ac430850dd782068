#include "fs/file_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "fs/time_text.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor::fs {
namespace {

using test::TempDir;
using test::WriteFile;

// FileSizeOf and GetFileDosDate serve the benchmark only; the program dates
// files through DosDateTimeFromUnix.
TEST(DosDate, PacksUtcInTwoSecondStepsAndRefusesOtherEras) {
    std::int32_t v = DosDateTimeFromUnix(1700043331);  // 2023-11-15 10:15:31 UTC
    EXPECT_EQ(static_cast<std::uint32_t>(v),
              43u << 25 | 11u << 21 | 15u << 16 | 10u << 11 | 15u << 5 | 15u);
    EXPECT_EQ(DosDateTimeFromUnix(1700043330), v);  // 30 and 31 share a step
    EXPECT_EQ(DosDateTimeFromUnix(1700043332), v + 1);
    EXPECT_EQ(DosDateTimeFromUnix(86400), -1);                                 // 1970
    EXPECT_EQ(DosDateTimeFromUnix(315532800), (0 << 25 | 1 << 21 | 1 << 16));  // 1980-01-01

    EXPECT_EQ(DosDateText(v, false), "2023:11:15 10:15:30");
    EXPECT_EQ(DosDateText(v, true), "2023:11:15 10:15");
    EXPECT_EQ(DosDateText(-1, true), "0000:00:00 00:00:00");
    EXPECT_EQ(DosDateText(0, false), "0000:00:00 00:00:00");  // month 0 is no date
    EXPECT_EQ(DurationText(3725), "01:02:05");
    EXPECT_EQ(DurationText(360000), "100:00:00");
}

TEST(FileAttributes, EraseKeepsReadOnlyFilesAndTheAttributesMapPermissionBitsNamesAndFolders) {
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

    WriteFile(dir / ".hidden", "x");
    EXPECT_EQ(GetFileAttr(dir / ".hidden"), kAttrArchive | kAttrHidden);
    EXPECT_EQ(GetFileAttr(dir / "r"), kAttrArchive | kAttrReadOnly);
    EXPECT_TRUE(IsDirAttr(GetFileAttr(dir.Path())));
    EXPECT_EQ(GetFileAttr(dir / "missing"), kNoAttributes);
}

TEST(DeleteFolderTree, RemovesEverythingButNeverFollowsALinkOutNorEntersAMount) {
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

    test::LoopMount inner(test::LoopMount::Kind::Tmpfs, 0);
    VAULTOR_REQUIRE_MOUNT(inner);
    ASSERT_TRUE(inner.Mount(dir / "t/m"));
    WriteFile(dir / "t/m/other", "on another file system");
    EXPECT_FALSE(DeleteFolderTree(dir / "t"));
    EXPECT_EQ(test::ReadFile(dir / "t/m/other"), "on another file system");
}

TEST(SmallHelpers, BehaveAsTheRestOfTheProgramExpects) {
    EXPECT_EQ(StripTrailingBackslash("E:\\Vaultor_Drive C\\"), "E:\\Vaultor_Drive C");
    EXPECT_EQ(StripTrailingBackslash(""), "");
    EXPECT_EQ(Percentage(0, 500), 0);
    EXPECT_EQ(Percentage(3, 1), 33);
    EXPECT_EQ(Percentage(INT64_MAX / 2, INT64_MAX / 4), 49);  // no overflow of done * 100
    EXPECT_EQ(OnlyName("D:\\Prog\\Werk.vlt"), "Werk");
    EXPECT_EQ(OnlyName("D:\\Prog\\a.vlt.vlt"), "a.vlt");
    EXPECT_EQ(OnlyName("D:Werk.vlt"), "Werk");
    EXPECT_EQ(OnlyName("/home/u/.local/share/vaultor/Foto's 2024.vlt"), "Foto's 2024");
    EXPECT_EQ(OnlyName("D:\\Prog.d\\Werk"), "Werk");
}

}  // namespace
}  // namespace vaultor::fs
