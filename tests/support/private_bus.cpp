#include "support/private_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace vaultor::test {
namespace {

constexpr auto kReadyWithin = std::chrono::seconds(10);
constexpr auto kLookEvery = std::chrono::milliseconds(20);

// The distribution's python3-dbusmock lives in the system interpreter, which
// is not always the first python3 on PATH.
constexpr const char* kPython = "/usr/bin/python3";

// A bus of its own rather than dbus-daemon's session configuration: no
// service folders, so nothing installed on the machine is started on it, and
// a socket in the test's folder, removed with it. It works the same for root
// and for an ordinary user.
std::string Config(const std::string& socket) {
    return R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" +
           socket + R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
}

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

std::string BusCall(const std::string& address, const std::string& call) {
    return RunOutput("dbus-send --bus=" + Quote(address) + " --print-reply --reply-timeout=5000 " +
                     call + " 2>&1");
}

// The test's environment, with both bus variables naming the address (none
// when it is empty).
std::vector<std::string> Environment(const std::string& address) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        std::string line = *entry;
        if (line.starts_with("DBUS_SESSION_BUS_ADDRESS=") ||
            line.starts_with("DBUS_SYSTEM_BUS_ADDRESS="))
            continue;
        environment.push_back(line);
    }
    if (address.empty()) return environment;
    environment.push_back("DBUS_SESSION_BUS_ADDRESS=" + address);
    environment.push_back("DBUS_SYSTEM_BUS_ADDRESS=" + address);
    return environment;
}

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (const std::string& s : strings) pointers.push_back(const_cast<char*>(s.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// Between fork and exec only async-signal-safe calls: the test program may
// have threads.
[[noreturn]] void BecomeProgram(pid_t parent, char* const* argv, char* const* envp,
                                const char* output, const char* errors) {
    // Should the test program die without its destructors, this goes too.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // Appending, so that output and errors may share one file.
    int out = ::open(output, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    int err = ::open(errors, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0)
        ::_exit(127);
    ::execvpe(argv[0], argv, envp);
    ::_exit(127);
}

void SetOrUnset(const char* name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

std::optional<std::string> Get(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace

PrivateBus::PrivateBus() {
    if (StartDaemon()) StartServices();
    if (!error_.empty()) StopAll();
}

PrivateBus::~PrivateBus() {
    StopAll();
    RestoreEnvironment();
}

bool PrivateBus::StartDaemon() {
    WriteFile(dir_ / "bus.conf", Config(dir_ / "socket"));
    // The address goes to a file of its own, apart from what the daemon says
    // on stderr; a full line there means it listens.
    if (Start({"dbus-daemon", "--nofork", "--print-address", "--config-file=" + dir_ / "bus.conf"},
              dir_ / "address", dir_ / "daemon.log", Environment("")) < 0)
        return false;
    if (!WaitUntil("the bus's address", [this] {
            std::string printed = ReadFile(dir_ / "address");
            return !printed.empty() && printed.back() == '\n';
        }))
        return false;
    address_ = ReadFile(dir_ / "address");
    address_.pop_back();
    return true;
}

bool PrivateBus::StartServices() {
    const auto environment = Environment(address_);
    if (Start({kPython, "-m", "dbusmock", "--template", "notification_daemon", "-l",
               dir_ / "notify.log"},
              dir_ / "notify.out", dir_ / "notify.out", environment) < 0 ||
        Start({kPython, "-m", "dbusmock", "--system", "--template", "logind", "-l",
               dir_ / "logind.log"},
              dir_ / "logind.out", dir_ / "logind.out", environment) < 0)
        return false;
    for (const char* name : {"org.freedesktop.Notifications", "org.freedesktop.login1"}) {
        auto owned = [&] {
            return BusCall(address_,
                           "--dest=org.freedesktop.DBus /org/freedesktop/DBus "
                           "org.freedesktop.DBus.NameHasOwner string:" +
                               std::string(name))
                       .find("boolean true") != std::string::npos;
        };
        if (!WaitUntil(name, owned)) return false;
    }
    return true;
}

pid_t PrivateBus::Start(const std::vector<std::string>& args, const std::string& output,
                        const std::string& errors, const std::vector<std::string>& environment) {
    const auto argv = Pointers(args);
    const auto envp = Pointers(environment);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) BecomeProgram(parent, argv.data(), envp.data(), output.c_str(), errors.c_str());
    if (pid < 0)
        error_ = "cannot start " + args.front();
    else
        pids_.push_back(pid);
    return pid;
}

// Bounded, and cut short when one of the programs has ended: it will not get
// ready any more, and its output says why.
bool PrivateBus::WaitUntil(const std::string& what, const std::function<bool()>& ready) {
    const auto deadline = std::chrono::steady_clock::now() + kReadyWithin;
    while (!ready()) {
        if (!AllRunning()) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            error_ = "no " + what + " within 10 s";
            break;
        }
        std::this_thread::sleep_for(kLookEvery);
    }
    if (!error_.empty())
        error_ += "; daemon: " + ReadFile(dir_ / "daemon.log") +
                  "; notify: " + ReadFile(dir_ / "notify.out") +
                  "; logind: " + ReadFile(dir_ / "logind.out");
    return error_.empty();
}

bool PrivateBus::AllRunning() {
    for (pid_t& pid : pids_) {
        int status = 0;
        if (pid > 0 && ::waitpid(pid, &status, WNOHANG) == pid) {
            error_ = "a program of the bus ended early (status " + std::to_string(status) + ")";
            pid = -1;
        }
    }
    return error_.empty();
}

void PrivateBus::StopAll() {
    for (pid_t pid : pids_) {
        if (pid <= 0) continue;
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    pids_.clear();
}

void PrivateBus::PointEnvironmentHere() {
    if (!pointed_) {
        saved_session_ = Get("DBUS_SESSION_BUS_ADDRESS");
        saved_system_ = Get("DBUS_SYSTEM_BUS_ADDRESS");
        pointed_ = true;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
}

void PrivateBus::RestoreEnvironment() {
    if (!pointed_) return;
    SetOrUnset("DBUS_SESSION_BUS_ADDRESS", saved_session_);
    SetOrUnset("DBUS_SYSTEM_BUS_ADDRESS", saved_system_);
}

std::string PrivateBus::NotifyLog() const {
    return ReadFile(dir_ / "notify.log");
}

std::string PrivateBus::LogindLog() const {
    return ReadFile(dir_ / "logind.log");
}

std::string PrivateBus::Inhibitors() const {
    return BusCall(address_,
                   "--dest=org.freedesktop.login1 /org/freedesktop/login1 "
                   "org.freedesktop.login1.Manager.ListInhibitors");
}

}  // namespace vaultor::test
