#include "app/plug_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "app/run_status.h"
#include "fs/child_process.h"
#include "fs/drives.h"
#include "fs/i18n.h"
#include "fs/mount_monitor.h"
#include "fs/unique_fd.h"
#include "lists/list_file.h"
#include "state/schedule.h"

namespace vaultor {
namespace {

using namespace std::chrono_literals;

std::atomic<bool> g_stop{false};
int g_wake_fd = -1;

void AskToStop(int) {
    g_stop = true;
    if (g_wake_fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(g_wake_fd, &byte, 1);
    }
}

// SIGTERM (systemd stopping the service) and Ctrl-C end the watch between
// runs; through a pipe they also end a wait for the mount table at once.
void CatchStopSignals(int wake_fd) {
    g_wake_fd = wake_fd;
    struct sigaction action {};
    action.sa_handler = AskToStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool DriveReady(char letter) {
    try {
        return letter && fs::IsDriveReady(letter);
    } catch (const fs::ConversionError&) {
        return false;
    }
}

bool Due(const std::string& drv, const Schedule& schedule, std::time_t now) {
    if (schedule.on_plug) {
        auto last = LastGoodBackup(drv);
        if (!last || now - *last >= static_cast<std::int64_t>(schedule.min_hours) * 3600)
            return true;
    }
    if (schedule.kind == Schedule::Kind::Off) return false;
    ListStatus status = ReadListStatus(drv);
    return status.present && status.drive_absent;
}

}  // namespace

std::vector<std::string> PlugWatch::DueNow(std::time_t now) {
    std::vector<std::string> due;
    std::map<std::string, bool> ready_now;
    for (const auto& list : ListNames(program_dir_)) {
        const std::string drv = program_dir_ + list + ".drv";
        Schedule schedule = ReadSchedule(drv);
        if (!schedule.Used()) continue;
        const bool ready = DriveReady(TargetLetterOf(drv));
        ready_now[list] = ready;
        auto before = drive_was_ready_.find(list);
        const bool arrived = ready && (before == drive_was_ready_.end() || !before->second);
        if (arrived && Due(drv, schedule, now)) due.push_back(list);
    }
    drive_was_ready_ = std::move(ready_now);
    return due;
}

int WatchForDrives(const std::string& program_dir, const std::vector<std::string>& run_prefix) {
    fs::MountMonitor monitor;
    if (!monitor.Valid()) {
        std::fprintf(stderr, "%s\n", _("De koppeltabel van het systeem kan niet worden gevolgd."));
        return 1;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    fs::UniqueFd wake_read(ends[0]), wake_write(ends[1]);
    CatchStopSignals(wake_write.Get());
    PlugWatch watch(program_dir);
    while (!g_stop) {
        for (const auto& list : watch.DueNow(std::time(nullptr))) {
            if (g_stop) break;
            std::vector<std::string> run = run_prefix;
            run.insert(run.end(), {"run", list, "--notify"});
            std::printf("%s\n", Printf(_("De doeldrive van %s is aangesloten: back-up gestart."),
                                       list.c_str())
                                    .c_str());
            std::fflush(stdout);
            fs::RunChild(run, 0ms, false);
        }
        // Lists and their schedules may change while no mount does: look again
        // now and then.
        monitor.WaitForChange(60s, wake_read.Get());
    }
    g_wake_fd = -1;
    return 0;
}

}  // namespace vaultor
