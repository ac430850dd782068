#include "app/desktop_bus.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <cstdint>
#include <memory>

namespace vaultor {
namespace {

// A desktop that does not answer must not hold up a backup for long.
constexpr std::uint64_t kCallTimeoutUsec = 3'000'000;

struct BusClose {
    // No flush: a call that got its reply has nothing left to send, and one
    // that did not must not wait any longer.
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
using BusPtr = std::unique_ptr<sd_bus, BusClose>;

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

// A connection of its own rather than the process's shared default one: it is
// closed right after the call, so nothing stays connected between runs.
BusPtr OpenBus(int (*open)(sd_bus**)) {
    sd_bus* bus = nullptr;
    if (open(&bus) < 0) return nullptr;
    return BusPtr(bus);
}

MessagePtr NewCall(sd_bus* bus, const char* service, const char* path, const char* interface,
                   const char* method) {
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, service, path, interface, method) < 0)
        return nullptr;
    return MessagePtr(call);
}

// The reply, or null for any failure: no bus, no such service, an error reply
// or no answer in time.
MessagePtr Call(sd_bus* bus, sd_bus_message* call) {
    sd_bus_message* reply = nullptr;
    if (sd_bus_call(bus, call, kCallTimeoutUsec, nullptr, &reply) < 0) return nullptr;
    return MessagePtr(reply);
}

}  // namespace

bool NotifyDesktop(const std::string& summary, const std::string& body) {
    BusPtr bus = OpenBus(sd_bus_open_user);
    if (!bus) return false;
    MessagePtr call =
        NewCall(bus.get(), "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                "org.freedesktop.Notifications", "Notify");
    // The icon is the name the package installs it under; no actions, no
    // hints, and the desktop decides how long it stays.
    if (!call ||
        sd_bus_message_append(call.get(), "susssasa{sv}i", "Vaultor", std::uint32_t{0}, "vaultor",
                              summary.c_str(), body.c_str(), 0u, 0u, std::int32_t{-1}) < 0)
        return false;
    return Call(bus.get(), call.get()) != nullptr;
}

SleepInhibitor SleepInhibitor::Take(const std::string& why) {
    BusPtr bus = OpenBus(sd_bus_open_system);
    if (!bus) return {};
    MessagePtr call = NewCall(bus.get(), "org.freedesktop.login1", "/org/freedesktop/login1",
                              "org.freedesktop.login1.Manager", "Inhibit");
    if (!call ||
        sd_bus_message_append(call.get(), "ssss", "sleep", "Vaultor", why.c_str(), "block") < 0)
        return {};
    MessagePtr reply = Call(bus.get(), call.get());
    int fd = -1;
    if (!reply || sd_bus_message_read(reply.get(), "h", &fd) < 0) return {};
    // The reply owns its descriptor and closes it with the message; the
    // inhibitor lasts as long as our own copy.
    return SleepInhibitor(fs::UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 3)));
}

}  // namespace vaultor
