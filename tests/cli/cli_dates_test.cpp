// Dates a target cannot hold: before 1980 and after 2107 the copy holds
// whatever the file system makes of them, and a one-hour shift when the
// option says so. One backup per file system, mounted again between runs so
// that every run reads what the medium really stores.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "support/cli_runner.h"
#include "support/loop_mount.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

using test::LoopMount;
using test::ReadFile;
using test::SetMtime;
using test::TempDir;
using test::WriteFile;

constexpr std::time_t k1975 = 173707201;    // 1975-07-04 12:00:01 UTC
constexpr std::time_t k2200 = 7263633601;   // 2200-03-05 20:00:01 UTC
constexpr std::time_t kToday = 1700000001;  // 2023-11-14, odd seconds too

const char kNothing[] = "Er zijn geen veranderde of te kopieren bestanden gevonden.";

struct Target {
    const char* name;
    LoopMount::Kind kind;
    bool image;  // false: a plain folder of this machine
};

void PrintTo(const Target& target, std::ostream* out) {
    *out << target.name;
}

class CliDates : public ::testing::TestWithParam<Target>, public test::CliEnv {
  protected:
    void SetUp() override {
        if (GetParam().image) VAULTOR_REQUIRE_MOUNT(TargetOn(GetParam().kind, 64));
    }
    std::string Copy(const std::string& name) const {
        return target + "/Vaultor_Drive S/Data/" + name;
    }
    void ExpectNoProbeLeft() {
        for (const auto& e : std::filesystem::directory_iterator(target))
            EXPECT_NE(e.path().filename().string().rfind(".vaultor-dates", 0), 0u) << e.path();
    }
};

TEST_P(CliDates, OutOfRangeDatesAreCopiedOnceAndChangesStillSeenAndTheHourShiftIsAnOption) {
    WriteFile(src / "Data/oud.txt", "1975");
    WriteFile(src / "Data/later.txt", "2200");
    WriteFile(src / "Data/nu.txt", "today");
    SetMtime(src / "Data/oud.txt", k1975);
    SetMtime(src / "Data/later.txt", k2200);
    SetMtime(src / "Data/nu.txt", kToday);
    MakeList();

    auto first = Cli("--yes start Foto");
    ASSERT_EQ(first.status, 0) << first.out << first.err;
    EXPECT_EQ(Log().find("Verschil in datum"), std::string::npos) << Log();
    ExpectNoProbeLeft();
    Remount();
    auto second = Cli("--yes start Foto");
    EXPECT_EQ(second.status, 0) << second.out;
    EXPECT_NE(second.out.find(kNothing), std::string::npos) << second.out;
    EXPECT_EQ(Cli("test Foto").status, 0) << Log();
    ExpectNoProbeLeft();

    // New dates out of the range, same sizes: changes, copied, then settled.
    // A target that clamps (exFAT) holds one date for all before 1980, so
    // there only the later date is seen.
    WriteFile(src / "Data/oud.txt", "1976");
    SetMtime(src / "Data/oud.txt", k1975 + 10 * 86400);
    WriteFile(src / "Data/later.txt", "2201");
    SetMtime(src / "Data/later.txt", k2200 + 10 * 86400);
    const bool clamps = GetParam().kind == LoopMount::Kind::Exfat && GetParam().image;
    EXPECT_EQ(Cli("test Foto").status, 1);
    EXPECT_NE(Log().find("Veranderd E:\\Vaultor_Drive S\\Data\\later.txt"), std::string::npos)
        << Log();
    EXPECT_EQ(Log().find("Veranderd E:\\Vaultor_Drive S\\Data\\oud.txt") != std::string::npos,
              !clamps)
        << Log();
    EXPECT_EQ(Cli("--yes start Foto").status, 0) << Log();
    EXPECT_EQ(ReadFile(Copy("later.txt")), "2201");
    EXPECT_EQ(ReadFile(Copy("oud.txt")), clamps ? "1975" : "1976");
    Remount();
    EXPECT_NE(Cli("--yes start Foto").out.find(kNothing), std::string::npos);

    // The copy an hour later, as FAT shows it after the clocks changed.
    SetMtime(Copy("nu.txt"), kToday + 3600);
    Remount();
    EXPECT_EQ(Cli("test Foto").status, 1) << "off by default";
    EXPECT_EQ(Ini().find("Compare"), std::string::npos) << "an option never set is never written";
    EXPECT_EQ(Cli("--ignore-time-shift on test Foto").status, 0) << Log();
    EXPECT_NE(Ini().find("[Compare]\r\nIgnoreTimeShift=1\r\n"), std::string::npos);
    auto shifted = Cli("--yes start Foto");
    EXPECT_EQ(shifted.status, 0);
    EXPECT_NE(shifted.out.find(kNothing), std::string::npos) << shifted.out;
    SetMtime(Copy("nu.txt"), kToday + 3600 + 4);  // not exactly an hour
    EXPECT_EQ(Cli("test Foto").status, 1);
    EXPECT_EQ(Cli("--ignore-time-shift off --yes start Foto").status, 0);
    EXPECT_NE(Ini().find("[Compare]\r\nIgnoreTimeShift=0\r\n"), std::string::npos);
    ExpectNoProbeLeft();
}

INSTANTIATE_TEST_SUITE_P(FileSystems, CliDates,
                         ::testing::Values(Target{"Folder", LoopMount::Kind::Tmpfs, false},
                                           Target{"Exfat", LoopMount::Kind::Exfat, true},
                                           Target{"Fat", LoopMount::Kind::Fat, true},
                                           Target{"Ntfs", LoopMount::Kind::Ntfs, true}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace vaultor
