#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "fs/drive_table.h"
#include "fs/size_text.h"
#include "support/drive_map.h"
#include "support/loop_mount.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "target/drive_box.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class TargetTest : public ::testing::Test {
  protected:
    void Map(const std::vector<std::string>& options) {
        test::MapDrives(options);
        FillDriveBox(state);
    }
    test::DriveTableScope drives;
    TempDir home, e, f;
    test::ScriptedUi ui;
    AppState state{ui};
};

TEST_F(TargetTest, ACompanionFileSelectsAndLocksItsDriveAndNoRecordLeaksIntoTheNext) {
    Map({"E=" + e.Path() + ",label=Backup", "F=" + f.Path()});
    SelectDrive(state, 'F');
    WriteFile(home / "Werk.drv",
              "[Vaultor]\r\nTheDrive=e\r\nLocked=1\r\nDriveLabel=E: [BACKUP]\r\n");
    WriteFile(e / "Vaultor.dat", "Datum: 05-12-2026 Tijd: 14:03:22\r\nWerk\r\n");
    ReadVLTDriveInfoFile(state, home / "Werk.drv");
    EXPECT_EQ(state.TargetRoot, "E:\\");
    EXPECT_EQ(SelectedDriveLetter(state), 'E');
    EXPECT_FALSE(state.Model.DriveComboBox1.enabled);
    EXPECT_TRUE(state.Model.Im_LockClosed.visible);
    EXPECT_EQ(state.LastDrive, "E: [BACKUP]");
    EXPECT_EQ(state.LastDate, "n/a");  // no LastUsed
    EXPECT_EQ(state.Model.LabelInfo.caption, "Datum: 05-12-2026 Tijd: 14:03:22");

    state.LastDate = "Datum: 01-01-2026 Tijd: 10:00:00";
    WriteVLTDriveInfoFile(state, home / "Werk.drv");
    EXPECT_EQ(ReadFile(home / "Werk.drv"),
              "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nDriveLabel=E: [BACKUP]\r\n"
              "LastUsed=Datum: 01-01-2026 Tijd: 10:00:00\r\n");
    // A backup another program (a timer's) recorded meanwhile is not undone
    // by a program that made none itself; it is then the one shown.
    WriteFile(home / "Werk.drv",
              "[Vaultor]\r\nTheDrive=E\r\nLocked=1\r\nDriveLabel=E: [BACKUP]\r\n"
              "LastUsed=Datum: 02-01-2026 Tijd: 03:00:00\r\n[Status]\r\nExitStatus=0\r\n");
    WriteVLTDriveInfoFile(state, home / "Werk.drv");
    EXPECT_EQ(state.LastDate, "Datum: 02-01-2026 Tijd: 03:00:00");
    EXPECT_NE(ReadFile(home / "Werk.drv").find("LastUsed=Datum: 02-01-2026 Tijd: 03:00:00\r\n["),
              std::string::npos);

    // No companion file, or a TheDrive that is no letter: no lock, no last run,
    // and the drive shown stays.
    WriteFile(home / "Odd.drv", "[Vaultor]\r\nTheDrive=1\r\n");
    for (const char* drv : {"Nieuw.drv", "Odd.drv"}) {
        state.LastDrive = "E: [OLD]";
        state.LastDate = "Datum: 01-01-2026 Tijd: 10:00:00";
        state.Model.Locked = true;
        ReadVLTDriveInfoFile(state, home / drv);
        EXPECT_EQ(state.LastDrive, "") << drv;
        EXPECT_EQ(state.LastDate, "n/a") << drv;
        EXPECT_FALSE(state.Model.Locked) << drv;
        EXPECT_EQ(state.TargetRoot, "E:\\") << drv;
    }
}

TEST_F(TargetTest, TheRecordOnTheTargetFollowsOption1) {
    Map({"E=" + e.Path()});
    state.Model.ComboBox1.caption = "Thuis";
    state.Ini.StoreActionTime = true;
    ASSERT_TRUE(WriteDriveInfoFile(state, "E:\\Vaultor.dat"));
    EXPECT_EQ(ReadFile(e / "Vaultor.dat"), state.LastDate + "\r\nThuis\r\n");
    EXPECT_NE(state.LastDate.find(" Tijd: "), std::string::npos);
    state.Ini.StoreActionTime = false;
    ASSERT_TRUE(WriteDriveInfoFile(state, "E:\\Vaultor.dat"));
    EXPECT_FALSE(std::filesystem::exists(e / "Vaultor.dat"));
    EXPECT_EQ(state.Model.LabelInfo.caption, state.LastDate);

    // Through a link to a set-id program the record takes a mode of its own.
    WriteFile(f / "tool", "#!/bin/sh\n");
    ::chmod((f / "tool").c_str(), 04755);
    std::filesystem::create_symlink(f / "tool", e / "Vaultor.dat");
    state.Ini.StoreActionTime = true;
    ASSERT_TRUE(WriteDriveInfoFile(state, "E:\\Vaultor.dat"));
    struct stat st {};
    ASSERT_EQ(::lstat((e / "Vaultor.dat").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07000, 0u);

    // Only the first line is read: a huge record is not Vaultor's, and says so.
    WriteFile(e / "Vaultor.dat", "");
    ASSERT_EQ(::truncate((e / "Vaultor.dat").c_str(), off_t{4} << 30), 0);
    GetDriveInfoFile(state, "E:\\Vaultor.dat");
    EXPECT_EQ(state.Model.LabelInfo.caption, "n/a");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages.back().find("E:\\Vaultor.dat"), std::string::npos);
}

TEST_F(TargetTest, CdEntriesShowTheDiscOrThatTheDriveIsEmpty) {
    std::filesystem::create_directories(e / "disc");
    Map({"R=" + e.Path() + "/disc,kind=4,label=backup_2", "E=" + e.Path()});
    EXPECT_EQ(state.Model.DriveComboBox1.items,
              (std::vector<std::string>{"C: [NO_LABEL]", "E: [NO_LABEL]", "R: [BACKUP_2]"}));
    SelectDrive(state, 'E');
    std::filesystem::remove(e / "disc");  // the disc taken out
    ResetDriveBox(state);
    EXPECT_EQ(state.Model.DriveComboBox1.items[2], "R: [Drive empty]");
    EXPECT_EQ(SelectedDriveLetter(state), 'E');  // the selection stays
}

TEST_F(TargetTest, TheSpaceOfARealDriveAndThePies) {
    test::LoopMount disk(test::LoopMount::Kind::Tmpfs, 0, "", "size=64m");
    VAULTOR_REQUIRE_MOUNT(disk);
    Map({"E=" + disk.Folder()});
    state.TargetRoot = "E:\\";
    state.TotalBytes = 16 << 20;
    state.BytesPerSecond = 1 << 20;
    ToonRuimteOpDrive(state);
    const auto& m = state.Model;
    EXPECT_EQ(m.Label5.caption, "64 MB");
    EXPECT_EQ(m.Label4.caption, "0 MB");
    EXPECT_EQ(m.Gauge1.maximum, 64 * 1024);
    EXPECT_EQ(m.Gauge1.progress, 64 * 1024);
    EXPECT_EQ(m.Gauge2.progress, 48 * 1024);
    EXPECT_EQ(m.LabelTijd.caption, "00:00:16");
    state.TotalBytes = 100 << 20;  // does not fit: no free share after copying
    state.BytesPerSecond = 0;
    ToonRuimteOpDrive(state);
    EXPECT_EQ(m.Gauge2.progress, 0);
    EXPECT_EQ(m.LabelTijd.caption, "00:00:00");
    EXPECT_EQ(m.LabelTimeLeft.caption, "00:00:00");

    disk.Unmount();
    Map({"E=" + disk.Folder() + ",mounted"});
    state.Model.Gauge2.visible = true;
    ToonRuimteOpDrive(state);
    EXPECT_FALSE(m.Gauge2.visible);
    EXPECT_EQ(m.Label5.caption, "000 MB");
    EXPECT_EQ(m.Label11.caption, "000 kB");
    EXPECT_EQ(m.Label19.caption, "Niet berekend");
}

TEST_F(TargetTest, ADriveOfThreeTebibytesDraws) {
    test::LoopMount big(test::LoopMount::Kind::Btrfs, 3 * 1024 * 1024, "BIG");  // sparse
    VAULTOR_REQUIRE_MOUNT(big);
    Map({"E=" + big.Folder()});
    state.TargetRoot = "E:\\";
    ToonRuimteOpDrive(state);
    EXPECT_GT(state.Model.Gauge1.maximum, std::int64_t{INT32_MAX});
    EXPECT_GT(state.Model.Gauge1.progress, 0);
    EXPECT_LE(state.Model.Gauge1.progress, state.Model.Gauge1.maximum);
    EXPECT_NE(state.Model.Label11.caption, "000 kB");
}

}  // namespace
}  // namespace vaultor
