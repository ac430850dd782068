// Backups that happen by themselves: a schedule carried out by the units
// vaultor-cli writes, and the watcher that backs a list up when its drive is
// plugged in. There is no systemd user manager here, so the units are checked
// with systemd-analyze and their command is run as the timer would run it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/cli_runner.h"
#include "support/loop_mount.h"
#include "support/private_bus.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

namespace fsys = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The lines of a unit file that begin with `key=`, without the key.
std::string UnitValue(const std::string& unit, const std::string& key) {
    size_t at = unit.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    at += key.size() + 2;
    return unit.substr(at, unit.find('\n', at) - at);
}

class CliScheduleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        fsys::create_directories(src / "Data");
        WriteFile(src / "Data/foto.jpg", "beeld");
    }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

    // The drives are recorded in the settings, as the window records them, so
    // the command line of a unit needs no --drive.
    void WriteSettings(const std::string& target_drive) {
        WriteFile(home / "Vaultor.ini", "[Translation]\r\n1=\r\n[Drives]\r\nS=" + src.Path() +
                                            "\r\nE=" + target_drive + "\r\n");
    }
    test::CliResult Cli(const std::string& arguments) {
        return test::RunCli(src.Path(), home.Path(), arguments);
    }
    std::string Units() const { return config / "systemd/user"; }
    std::string Drv(const std::string& list) const { return ReadFile(home / (list + ".drv")); }

    TempDir home, src, tgt, config;
};

TEST_F(CliScheduleTest, AScheduleIsKeptWithTheListAndItsUnitsRunTheBackupAndTellTheDesktop) {
    WriteSettings(tgt.Path());
    ASSERT_EQ(Cli("--yes new Foto 'S:\\Data'").status, 0);
    ASSERT_EQ(Cli("target Foto E").status, 0);
    const std::string before = Drv("Foto");
    ASSERT_FALSE(test::Contains(before, "[Schedule]"));

    EXPECT_EQ(Cli("schedule Foto weekly vrijdag 25:00").status, 2);
    EXPECT_EQ(Cli("schedule Foto every 0").status, 2);
    EXPECT_EQ(Drv("Foto"), before) << "a refused schedule writes nothing";

    auto set = Cli("schedule Foto weekly wo 9:30");
    EXPECT_EQ(set.status, 0) << set.out << set.err;
    EXPECT_TRUE(test::Contains(Drv("Foto"),
                               "\r\n[Schedule]\r\nKind=weekly\r\nTime=09:30\r\nDay=Wed\r\n"
                               "OnPlug=0\r\nMinHours=24\r\n"));
    EXPECT_TRUE(test::Contains(set.out, "crontab"))
        << "no user manager here: the crontab line instead";
    EXPECT_TRUE(test::Contains(set.out, "\n30 9 * * 3 '")) << set.out;

    std::vector<std::string> units;
    for (const auto& e : fsys::directory_iterator(Units())) units.push_back(e.path().string());
    ASSERT_EQ(units.size(), 2u);
    TempDir runtime;
    auto verify = test::RunOutput("XDG_RUNTIME_DIR='" + runtime.Path() +
                                  "' systemd-analyze verify --man=no --user '" + units[0] + "' '" +
                                  units[1] + "' 2>&1; echo status=$?");
    EXPECT_EQ(verify, "status=0\n");
    const std::string timer = ReadFile(units[0].ends_with(".timer") ? units[0] : units[1]);
    const std::string service = ReadFile(units[0].ends_with(".timer") ? units[1] : units[0]);
    EXPECT_EQ(UnitValue(timer, "OnCalendar"), "Wed *-*-* 09:30:00");
    EXPECT_EQ(UnitValue(timer, "Persistent"), "true");

    // What the timer starts, with a desktop and a logind to tell.
    test::PrivateBus bus;
    ASSERT_EQ(bus.Error(), "");
    bus.PointEnvironmentHere();
    const std::string exec = UnitValue(service, "ExecStart");
    ASSERT_TRUE(test::Contains(exec, " run \"Foto\" --notify")) << exec;
    EXPECT_EQ(test::Run("cd / && env -u LANGUAGE LC_ALL=C.UTF-8 " + exec + " >/dev/null 2>&1"), 0);
    EXPECT_EQ(ReadFile(tgt / "Vaultor_Drive S/Data/foto.jpg"), "beeld");
    EXPECT_TRUE(test::Contains(bus.NotifyLog(), "\"Vaultor: Foto\" \"Geslaagd: "))
        << bus.NotifyLog();
    EXPECT_TRUE(test::Contains(bus.LogindLog(), "Inhibit \"sleep\" \"Vaultor\""))
        << bus.LogindLog();
    EXPECT_TRUE(test::WaitFor([&] { return !test::Contains(bus.Inhibitors(), "\"Vaultor\""); }))
        << "released when the run ended";
    EXPECT_TRUE(test::Contains(Drv("Foto"), "\r\nLastSuccess=")) << Drv("Foto");

    // The units follow the list's name, and go with the schedule.
    ASSERT_EQ(Cli("--yes rename Foto \"Foto's-2\"").status, 0);
    for (const auto& unit : units) EXPECT_FALSE(fsys::exists(unit)) << unit;
    std::string escaped = test::RunOutput("systemd-escape \"Foto's-2\"");
    escaped.pop_back();
    size_t renamed = 0;
    for (const auto& e : fsys::directory_iterator(Units()))
        renamed += e.path().filename().string().starts_with("vaultor-" + escaped + "-");
    EXPECT_EQ(renamed, 2u) << escaped;
    EXPECT_TRUE(test::Contains(Cli("status").out, "Foto's-2\tE:\t")) << Cli("status").out;
    EXPECT_EQ(Cli("schedule \"Foto's-2\" off").status, 0);
    EXPECT_TRUE(fsys::is_empty(Units()));
    EXPECT_FALSE(test::Contains(Drv("Foto's-2"), "[Schedule]"));
    EXPECT_FALSE(fsys::exists(config / "autostart") && !fsys::is_empty(config / "autostart"))
        << "no list wants the watcher any more";
}

// No user manager runs here; a systemctl that answers as one does shows what
// is asked of it.
TEST_F(CliScheduleTest, WithAUserManagerTheTimerAndTheWatcherAreEnabledAndLaterDisabled) {
    WriteSettings(tgt.Path());
    TempDir bin;
    WriteFile(bin / "systemctl", "#!/bin/sh\necho \"$*\" >>'" + (bin / "log") + "'\n");
    ASSERT_EQ(test::Run("chmod +x '" + (bin / "systemctl") + "'"), 0);
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (bin.Path() + ":" + path).c_str(), 1);
    ASSERT_EQ(Cli("--yes new Foto 'S:\\Data'").status, 0);
    auto on = Cli("schedule Foto daily 21:30");
    auto off = Cli("schedule Foto off");
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(on.status, 0);
    EXPECT_FALSE(test::Contains(on.out, "crontab")) << on.out;
    EXPECT_EQ(off.status, 0);
    const std::string log = ReadFile(bin / "log");
    const size_t timer = log.find("--user enable --now vaultor-Foto-");
    EXPECT_NE(timer, std::string::npos) << log;
    EXPECT_LT(log.find("--user daemon-reload"), timer) << log;
    EXPECT_TRUE(test::Contains(log, "--user enable --now vaultor-watch-")) << log;
    EXPECT_TRUE(test::Contains(log, "--user disable --now vaultor-Foto-")) << log;
    EXPECT_TRUE(test::Contains(log, "--user disable --now vaultor-watch-")) << log;
    EXPECT_TRUE(fsys::is_empty(Units())) << "the units go with the schedule";
}

TEST_F(CliScheduleTest, TheWatcherBacksUpAListWhoseDriveIsPluggedIn) {
    test::LoopMount drive(test::LoopMount::Kind::Btrfs, 128);
    VAULTOR_REQUIRE_MOUNT(drive);
    const std::string uuid = test::RunOutput("blkid -s UUID -o value '" + drive.Image() + "'");
    ASSERT_FALSE(uuid.empty());
    WriteSettings(drive.Folder() + ",uuid=" + uuid.substr(0, uuid.size() - 1));
    ASSERT_EQ(Cli("--yes new Foto 'S:\\Data'").status, 0);
    ASSERT_EQ(Cli("target Foto E").status, 0);
    ASSERT_EQ(Cli("onplug Foto on 0").status, 0);
    EXPECT_TRUE(test::Contains(Drv("Foto"), "\r\nOnPlug=1\r\nMinHours=0\r\n"));
    ASSERT_TRUE(drive.Unmount());

    TempDir scratch;
    const pid_t watcher = test::StartCli("/", home.Path(), "watch", scratch / "out");
    int watch_status = -1;
    bool reaped = false;
    auto watch_ended = [&] {
        reaped = reaped || ::waitpid(watcher, &watch_status, WNOHANG) == watcher;
        return reaped;
    };
    auto backed_up = [&] { return test::Contains(Drv("Foto"), "\r\nLastSuccess="); };
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(backed_up()) << "no drive, no run";

    ASSERT_TRUE(drive.Mount(drive.Folder()));
    EXPECT_TRUE(test::WaitFor(backed_up)) << ReadFile(scratch / "out");
    EXPECT_TRUE(
        test::WaitFor([&] { return test::Contains(ReadFile(scratch / "out"), "Eind log."); }));
    EXPECT_EQ(ReadFile(drive.Folder() + "/Vaultor_Drive S/Data/foto.jpg"), "beeld");

    ::kill(watcher, SIGTERM);
    ASSERT_TRUE(test::WaitFor(watch_ended)) << "SIGTERM ends the watch";
    EXPECT_TRUE(WIFEXITED(watch_status) && WEXITSTATUS(watch_status) == 0);
    EXPECT_TRUE(drive.Unmount());
}

}  // namespace
}  // namespace vaultor
