#include "state/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The defaults of a missing file are in the settings file vaultor-cli writes.
TEST(Settings, ValueFormsAsTheWindowsFunctionsReadThem) {
    TempDir dir;
    std::string ini = dir / "Vaultor.ini";
    WriteFile(ini,
              "[checkmark]\r\n0=0\r\n1=7\r\n2=0x1\r\n5=junk\r\n6=\r\n7=0X0\r\n9= 1 \r\n\r\n"
              "[Last]\r\n0=\"Foto's\"\r\nLAST2=9\r\n2=0x10\r\n"
              "[BPS]\r\ndrivespeed1=123456\r\nDriveSpeed2=-5\r\nDriveSpeed3=99999999999\r\n"
              "DriveSpeed4=0xFFFFFFFF\r\nDriveSpeed5=12abc\r\nDriveSpeed6='4'\r\n"
              "[Translation]\r\n1=EN\r\n");
    Settings s = LeesIniFile(ini);
    EXPECT_FALSE(s.ShowHints);
    EXPECT_TRUE(s.StoreActionTime);      // any non-zero value is true
    EXPECT_TRUE(s.ShowTargetBrowser);    // hexadecimal
    EXPECT_TRUE(s.ConfirmDialogs);       // not a number: the default
    EXPECT_FALSE(s.CreateEmptyFolders);  // empty: the default
    EXPECT_FALSE(s.NoEmptyFoldersOnCdrw);
    EXPECT_TRUE(s.AlwaysCompress);
    EXPECT_EQ(s.LastListName, "Foto's");  // keys are case-insensitive, one pair of quotes dropped
    EXPECT_EQ(s.TargetDriveKind, 16);
    EXPECT_EQ(s.BytesPerSecond, 123456);
    EXPECT_EQ(s.DriveKindRate, (std::array<std::int32_t, 5>{-5, 0, -1, 0, 4}));  // 0: too big
    EXPECT_FALSE(s.EnglishUI);                                                   // "EN" is not "en"

    WriteFile(ini, "[LAST]\r\n0=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(LeesIniFile(ini).LastListName.size(), 2047u);
    EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseIniInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseIniInteger("0x"), std::nullopt);
}

TEST(Settings, WritesEveryKeyInOrderWithCrLfAndReadsItBack) {
    TempDir dir;
    Settings s;
    s.LastListName = "Werk";
    s.TargetDriveKind = 1;
    s.BytesPerSecond = 2500000;
    s.DriveKindRate = {1, 2, 3, 4, 5};
    s.EnglishUI = true;
    s.NoEmptyFoldersOnCdrw = false;
    SchrijfIniFile(dir / "Vaultor.ini", s);
    EXPECT_EQ(
        ReadFile(dir / "Vaultor.ini"),
        "[CHECKMARK]\r\n0=1\r\n1=1\r\n2=0\r\n3=0\r\n4=0\r\n5=1\r\n6=0\r\n7=0\r\n8=1\r\n9=0\r\n"
        "\r\n[LAST]\r\n0=Werk\r\n2=1\r\n"
        "\r\n[BPS]\r\nDriveSpeed1=2500000\r\nDriveSpeed2=1\r\nDriveSpeed3=2\r\n"
        "DriveSpeed4=3\r\nDriveSpeed5=4\r\nDriveSpeed6=5\r\n"
        "\r\n[Translation]\r\n1=en\r\n");
    Settings back = LeesIniFile(dir / "Vaultor.ini");
    EXPECT_TRUE(back.EnglishUI);
    EXPECT_FALSE(back.NoEmptyFoldersOnCdrw);
    EXPECT_EQ(back.DriveKindRate[4], 5);
    EXPECT_FALSE(back.IgnoreTimeShift) << "never set: no key, and none read";

    back.IgnoreTimeShift = false;  // set by the user, even to off: kept from now on
    SchrijfIniFile(dir / "Vaultor.ini", back);
    EXPECT_NE(ReadFile(dir / "Vaultor.ini").find("\r\n[Compare]\r\nIgnoreTimeShift=0\r\n"),
              std::string::npos);
    EXPECT_EQ(LeesIniFile(dir / "Vaultor.ini").IgnoreTimeShift, false);
    WriteFile(dir / "Vaultor.ini", "[Compare]\r\nIgnoreTimeShift=1\r\n");
    EXPECT_EQ(LeesIniFile(dir / "Vaultor.ini").IgnoreTimeShift, true);
    EXPECT_FALSE(back.CopyWorkers);  // automatic

    // The number of copies side by side is the user's key: read, kept, never written.
    WriteFile(dir / "Vaultor.ini", "[Performance]\r\nCopyWorkers=99\r\n");
    Settings tuned = LeesIniFile(dir / "Vaultor.ini");
    EXPECT_EQ(tuned.CopyWorkers, 16);
    SchrijfIniFile(dir / "Vaultor.ini", tuned);
    EXPECT_NE(ReadFile(dir / "Vaultor.ini").find("[Performance]\r\nCopyWorkers=99\r\n"),
              std::string::npos);
}

TEST(Settings, KeepsWhatElseTheFileHoldsAndTheDrivesSection) {
    TempDir dir;
    WriteFile(dir / "Vaultor.ini",
              "[Extra]\r\nkeep=me\r\n[Drives]\r\ne=/media/stick,uuid=AB-12\r\nF=/mnt/nas,"
              "source=nas:/foto,label=NAS, thuis\r\nbad=/x\r\n[LAST]\r\n0=Oud\r\n");
    Settings s = LeesIniFile(dir / "Vaultor.ini");
    ASSERT_EQ(s.Drives.size(), 2u);
    EXPECT_EQ(s.Drives[0].letter, 'E');  // letters from files are upper-cased
    EXPECT_EQ(s.Drives[0].uuid, "AB-12");
    EXPECT_EQ(s.Drives[1].label, "NAS, thuis");
    s.LastListName = "Nieuw";
    SchrijfIniFile(dir / "Vaultor.ini", s);
    std::string text = ReadFile(dir / "Vaultor.ini");
    EXPECT_NE(text.find("[Extra]\r\nkeep=me\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n9=0\r\n"), std::string::npos);  // missing keys are added

    fs::DriveMapping g;
    g.letter = 'G';
    g.folder = "/media/usb";
    g.uuid = "CD-34";
    RecordDrives(dir / "Vaultor.ini", {g});
    Settings again = LeesIniFile(dir / "Vaultor.ini");
    ASSERT_EQ(again.Drives.size(), 3u);
    EXPECT_EQ(again.Drives[0].uuid, "AB-12");
    EXPECT_EQ(again.Drives[2].uuid, "CD-34");
    EXPECT_EQ(again.LastListName, "Nieuw");
}

TEST(Settings, AFailedWriteRaisesAndReadOnlyMeansTheOwnerWriteBitAlsoForRoot) {
    TempDir dir;
    std::string impossible = dir / "missing/Vaultor.ini";
    try {
        SchrijfIniFile(impossible, Settings{});
        FAIL() << "no error";
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + impossible);
    }
    std::string path = dir / "Vaultor.ini";
    WriteFile(path, "[LAST]\r\n0=Oud\r\n");
    ::chmod(path.c_str(), 0444);
    EXPECT_THROW(SchrijfIniFile(path, Settings{}), WriteError);
    EXPECT_EQ(ReadFile(path), "[LAST]\r\n0=Oud\r\n");
    ::chmod(path.c_str(), 0644);
    ::chmod(dir.Path().c_str(), 0555);
    EXPECT_THROW(SchrijfIniFile(path, Settings{}), WriteError);
    ::chmod(dir.Path().c_str(), 0755);
    EXPECT_EQ(ReadFile(path), "[LAST]\r\n0=Oud\r\n");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
}

// A file a person edited, copied or restored: every line the program does not
// set stays as it was, and what it sets reads back as it was set.
TEST(Settings, ARewriteKeepsEveryLineItDoesNotOwnAndChangesNoMeaning) {
    TempDir dir;
    std::string ini = dir / "Vaultor.ini";
    std::string nul_line("Locked=1\0junk", 13);
    WriteFile(ini, "; my notes\n[LAST]\n0=Oud\n" + nul_line +
                       "\nno equals sign here\n0=Dubbel\n[Drives\r]\nE=/media/x\n"
                       "[Translation]\n1=en\n[Extra]\nk=v\r\n[Last]\n2=3");
    Settings s = LeesIniFile(ini);
    EXPECT_EQ(s.LastListName, "Oud");  // the first of duplicate keys
    EXPECT_TRUE(s.EnglishUI);          // reading goes on past the NUL
    EXPECT_TRUE(s.Drives.empty());     // "Drives<CR>" is no Drives section
    EXPECT_EQ(s.TargetDriveKind, 3);   // a repeated section adds its keys

    s.LastListName = "Nieuw";
    fs::DriveMapping odd;
    odd.letter = 'F';
    odd.folder = "/mnt/a,kind=4";  // a mount folder's name may look like an option
    odd.label = "A\nLocked=1\nB";
    s.Drives = {odd};
    EXPECT_EQ(SchrijfIniFile(ini, s), "");
    std::string text = ReadFile(ini);
    EXPECT_EQ(text.rfind("; my notes\n[LAST]\n0=Nieuw\n" + nul_line +
                             "\nno equals sign here\n0=Dubbel\n[Drives\r]\nE=/media/x\n",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("[Extra]\nk=v\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Last]\n2=3\r\n"), std::string::npos);  // set where it stood
    EXPECT_NE(text.find("\r\nF=\"/mnt/a,kind=4\",label=A?Locked=1?B\r\n"), std::string::npos)
        << text;  // a value is one line
    Settings back = LeesIniFile(ini);
    ASSERT_EQ(back.Drives.size(), 1u);
    EXPECT_EQ(back.Drives[0].folder, "/mnt/a,kind=4");
    EXPECT_FALSE(back.Drives[0].kind);
    EXPECT_EQ(back.Drives[0].label, "A?Locked=1?B");
    EXPECT_EQ(back.TargetDriveKind, s.TargetDriveKind);

    // Many sections are written in time that grows with the file, not its square.
    std::string many;
    for (int i = 0; i < 60000; ++i) many += "[S" + std::to_string(i) + "]\r\nk=v\r\n";
    WriteFile(ini, many);
    SchrijfIniFile(ini, s);
    EXPECT_EQ(ReadFile(ini).rfind(many, 0), 0u);
}

// Only a file that cannot be settings is set aside, and the user is told of both names.
TEST(Settings, AFileThatIsNoSettingsIsSetAsideNamingBoth) {
    TempDir dir;
    std::string ini = dir / "Vaultor.ini";
    WriteFile(ini, "[LAST]\r\n0=Oud\r\n");
    ASSERT_EQ(::truncate(ini.c_str(), off_t{4} << 30), 0);  // a 4 GB sparse file
    Settings s = LeesIniFile(ini);
    EXPECT_TRUE(s.LastListName.empty());
    EXPECT_NE(s.FileProblem.find(ini), std::string::npos);
    std::string told = SchrijfIniFile(ini, s);
    std::vector<std::string> aside;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        if (e.path().filename().string().rfind("Vaultor.ini.bad-", 0) == 0)
            aside.push_back(e.path().string());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(aside[0]), std::uintmax_t{4} << 30);
    EXPECT_NE(told.find(ini), std::string::npos);
    EXPECT_NE(told.find(aside[0]), std::string::npos);
    EXPECT_TRUE(LeesIniFile(ini).FileProblem.empty());

    std::filesystem::create_directory(dir / "odd.ini");
    fs::DriveMapping e;
    e.letter = 'E';
    e.folder = "/x";
    EXPECT_NE(RecordDrives(dir / "odd.ini", {e}), "");
    EXPECT_EQ(LeesIniFile(dir / "odd.ini").Drives.size(), 1u);
}

}  // namespace
}  // namespace vaultor
