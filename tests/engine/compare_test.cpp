#include "engine/compare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fs/compression.h"
#include "support/drive_map.h"
#include "support/loop_mount.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::SetMtime;
using test::TempDir;
using test::WriteFile;

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class CompareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(s / "R");
        std::filesystem::create_directories(e / "Vaultor_Drive S/R");
        state.TargetRoot = "E:\\";
        state.ProgramDir = home.Path() + "/";
    }
    // A source and a copy with the given contents and times.
    void Pair(const std::string& name, const std::string& src, std::time_t src_time,
              const std::string& tgt, std::time_t tgt_time) {
        WriteFile(s / ("R/" + name), src);
        SetMtime(s / ("R/" + name), src_time);
        WriteFile(e / ("Vaultor_Drive S/R/" + name), tgt);
        SetMtime(e / ("Vaultor_Drive S/R/" + name), tgt_time);
    }
    // As Start's check (`collect`) or the test (a log line for each difference).
    std::vector<std::string> Compare(const std::string& folder) {
        LogFile log;
        log.Open(state.ProgramDir);
        plan = CopyPlan{};
        plan.target = ProbeTarget(state);
        Comparer comparer(state, plan, quiet ? nullptr : &log, observer, collect);
        comparer.CompareCalcSize(folder);
        compared = comparer.BytesCompared();
        log.Close();
        return ReadLogLines(home / "Vaultor.log");
    }
    test::DriveTableScope drives;
    TempDir home, s, e;
    test::ScriptedUi ui;
    AppState state{ui};
    RunObserver observer;
    CopyPlan plan;
    bool quiet = false, collect = true;
    std::int64_t compared = 0;
};

// What the comparison passes over (FIFOs, sockets, unwritable names, dangling
// links) is tested through whole runs.
TEST_F(CompareTest, MissingAndChangedFilesAreQueuedAndTheCheckAfterACopyNamesWhatDiffers) {
    test::MapDrives({"S=" + s.Path(), "E=" + e.Path()});
    const std::time_t t = 1700043330;       // an even second
    Pair("same", "abc", t, "abc", t + 1);   // the same two-second step
    Pair("later", "abc", t, "abc", t + 2);  // the next step
    Pair("shrunk", "ab", t, "abcdef", t);   // smaller at the source
    Pair("both", "abc", t, "ab", t + 4);
    WriteFile(s / "R/new", "12345");
    auto log = Compare("S:\\R");
    EXPECT_EQ(plan.changes, 4);
    EXPECT_TRUE(Has(log, "Veranderd E:\\Vaultor_Drive S\\R\\later"));
    EXPECT_TRUE(Has(log, "Veranderd E:\\Vaultor_Drive S\\R\\shrunk"));
    EXPECT_FALSE(Has(log, "Veranderd E:\\Vaultor_Drive S\\R\\same"));
    EXPECT_EQ(plan.items.size(), 4u);
    EXPECT_EQ(plan.bytes_to_copy, 3 + 2 + 3 + 5);
    EXPECT_EQ(plan.space_needed, 0 + 0 + (2 - 6) + (3 - 2) + 5);  // a shrunk file gives room back
    EXPECT_EQ(compared, 3 + 3 + 2 + 3 + 5);
    auto verify = [&](const std::string& name) {
        return VerifySizeAndDate(state, plan.target, "S:\\R\\" + name,
                                 "E:\\Vaultor_Drive S\\R\\" + name);
    };
    EXPECT_EQ(verify("same"), CopyCheck::UpToDate);
    EXPECT_EQ(verify("later"), CopyCheck::DateDiffers);
    EXPECT_EQ(verify("shrunk"), CopyCheck::SizeDiffers);
    EXPECT_EQ(verify("both"), CopyCheck::DateAndSizeDiffer);
    EXPECT_EQ(verify("new"), CopyCheck::NoCopy);

    quiet = true;
    collect = false;
    EXPECT_TRUE(Compare("S:\\R").empty());
    EXPECT_TRUE(plan.items.empty());
}

// One rule for the check, the test and the check after a copy.
TEST_F(CompareTest, SameDateIsTheTwoSecondStepAfterTheTargetAndAnHourOnlyWithTheOption) {
    EXPECT_TRUE(SameDate(state, plan.target, 1700000000, 1700000001, false));
    EXPECT_FALSE(SameDate(state, plan.target, 1700000001, 1700000002, false));
    EXPECT_TRUE(SameDate(state, plan.target, 1700000040, 1700000090, true));  // a CD: the minute
    EXPECT_FALSE(SameDate(state, plan.target, 173707201, 173707201 + 86400, false))
        << "1975: real times";
    EXPECT_TRUE(SameDate(state, plan.target, -3, -4, false));
    EXPECT_FALSE(SameDate(state, plan.target, 1700000000, 1700003600, false));
    plan.target.dates = fs::TargetDates({fs::TargetDates::Kind::Clamps, 315532800}, {});
    EXPECT_TRUE(SameDate(state, plan.target, 173707201, 315532800, false));
    EXPECT_TRUE(SameDate(state, plan.target, 173707201, 173707201, false))
        << "as given is always right";
    state.Ini.IgnoreTimeShift = true;
    EXPECT_TRUE(SameDate(state, plan.target, 1700000000, 1700003601, false));
    EXPECT_TRUE(SameDate(state, plan.target, 1700003600, 1700000000, false));
    EXPECT_FALSE(SameDate(state, plan.target, 1700000000, 1700003602, false));
    EXPECT_FALSE(SameDate(state, plan.target, 1700000000, 1700007200, false));
}

TEST_F(CompareTest, EmptyFoldersFollowTheOptionsAndOnACdTargetTimesInTheSameMinuteAreEqual) {
    std::filesystem::create_directories(s / "R/leeg/sub");
    test::MapDrives({"S=" + s.Path(), "E=" + e.Path()});
    state.Ini.CreateEmptyFolders = true;
    auto log = Compare("S:\\R\\leeg");
    EXPECT_EQ(plan.empty_folders, std::vector<std::string>{"E:\\Vaultor_Drive S\\R\\leeg"});
    EXPECT_EQ(log, (std::vector<std::string>{"Map niet aanwezig E:\\Vaultor_Drive S\\R\\leeg"}));
    EXPECT_EQ(plan.changes, 1);

    test::MapDrives({"S=" + s.Path(), "E=" + e.Path() + ",kind=4"});
    const std::time_t minute = 1700043300;
    Pair("a", "abc", minute + 2, "abc", minute + 58);
    Pair("b", "abc", minute + 2, "abc", minute + 62);
    log = Compare("S:\\R");
    EXPECT_EQ(plan.changes, 1);
    EXPECT_TRUE(Has(log, "Veranderd E:\\Vaultor_Drive S\\R\\b"));

    Compare("S:\\R\\leeg");
    EXPECT_TRUE(plan.empty_folders.empty());  // no empty folders on a CD-RW
    // Allowed on a CD they are made (a run on a CD shows it), but never without the option.
    state.Ini.NoEmptyFoldersOnCdrw = false;
    state.Ini.CreateEmptyFolders = false;
    Compare("S:\\R\\leeg");
    EXPECT_TRUE(plan.empty_folders.empty());
}

TEST_F(CompareTest, CompressionIsPartOfTheRuleOnABtrfsTarget) {
    test::LoopMount disk(test::LoopMount::Kind::Btrfs, 256, "T");
    VAULTOR_REQUIRE_MOUNT(disk);
    std::filesystem::create_directories(disk.Folder() + "/Vaultor_Drive S/R");
    test::MapDrives({"S=" + s.Path(), "E=" + disk.Folder()});
    const std::time_t t = 1700043330;
    WriteFile(s / "R/f", "abc");
    SetMtime(s / "R/f", t);
    std::string copy = disk.Folder() + "/Vaultor_Drive S/R/f";
    WriteFile(copy, "abc");
    SetMtime(copy, t);
    ASSERT_TRUE(fs::SetCompressionState(copy, fs::kCompressionLznt1));

    state.Ini.MirrorCompression = true;  // the source (ext4) reads as not compressed
    Compare("S:\\R");
    EXPECT_EQ(plan.changes, 1);
    EXPECT_TRUE(Has(plan.compress, "-E:\\Vaultor_Drive S\\R"));
    EXPECT_EQ(VerifySizeAndDate(state, plan.target, "S:\\R\\f", "E:\\Vaultor_Drive S\\R\\f"),
              CopyCheck::CompressionDiffers);

    state.Ini.MirrorCompression = false;
    state.Ini.AlwaysCompress = true;
    ASSERT_TRUE(fs::SetCompressionState(copy, fs::kCompressionNone));
    Compare("S:\\R");
    EXPECT_EQ(plan.changes, 1);
    EXPECT_EQ(plan.compress,
              (std::vector<std::string>{"+E:\\Vaultor_Drive S", "+E:\\Vaultor_Drive S\\R"}));
    EXPECT_TRUE(plan.compression_work);
    EXPECT_EQ(VerifySizeAndDate(state, plan.target, "S:\\R\\f", "E:\\Vaultor_Drive S\\R\\f"),
              CopyCheck::NotCompressed);
}

}  // namespace
}  // namespace vaultor
