#include "fs/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "fs/unique_fd.h"

extern char** environ;

namespace vaultor::fs {
namespace {

using Clock = std::chrono::steady_clock;

int ExitStatus(int wait_status) {
    if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
    if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
    return -1;
}

class SpawnActions {
  public:
    SpawnActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

// Reads what the child writes until it closes its end or the time is up.
bool Collect(int fd, Clock::time_point deadline, bool limited, std::string* out) {
    char buffer[4096];
    for (;;) {
        int wait_ms = -1;
        if (limited) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return false;
            wait_ms = static_cast<int>(std::min<long long>(left.count(), INT_MAX));
        }
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, wait_ms);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        out->append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
                     bool capture) {
    ChildResult result;
    if (argv.empty()) return result;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int ends[2] = {-1, -1};
    if (capture && ::pipe2(ends, O_CLOEXEC) != 0) return result;
    UniqueFd read_end(ends[0]), write_end(ends[1]);
    SpawnActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    if (capture) {
        ::posix_spawn_file_actions_adddup2(actions.get(), write_end.Get(), 1);
        ::posix_spawn_file_actions_adddup2(actions.get(), write_end.Get(), 2);
    }
    pid_t pid = 0;
    if (::posix_spawnp(&pid, args[0], actions.get(), nullptr, args.data(), environ) != 0)
        return result;
    result.started = true;
    write_end.Reset();

    const bool limited = limit.count() > 0;
    const auto deadline = Clock::now() + limit;
    bool in_time = !capture || Collect(read_end.Get(), deadline, limited, &result.output);
    int wait_status = 0;
    for (;;) {
        pid_t done = ::waitpid(pid, &wait_status, limited ? WNOHANG : 0);
        if (done == pid) break;
        if (done < 0 && errno != EINTR) return result;
        if (done == 0 && (!in_time || Clock::now() >= deadline)) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &wait_status, 0);
            return result;
        }
        if (done == 0) ::usleep(10'000);
    }
    result.finished = in_time;
    result.status = ExitStatus(wait_status);
    return result;
}

std::string OwnProgramFolder() {
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "";
    std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/') + 1);
}

}  // namespace vaultor::fs
