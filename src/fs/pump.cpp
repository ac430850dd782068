#include "fs/pump.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace vaultor::fs {
namespace {
std::atomic<MessagePump*> g_pump{nullptr};
std::atomic<std::thread::id> g_pump_thread;
}  // namespace

void SetMessagePump(MessagePump* pump) {
    g_pump_thread = std::this_thread::get_id();
    g_pump = pump;
}

void ProcessPendingMessages() {
    MessagePump* pump = g_pump;
    if (pump && std::this_thread::get_id() == g_pump_thread.load()) pump->ProcessMessages();
}

// The pump and its clock belong to the thread that installed them; a copy on
// a thread of its own keeps time by the monotonic clock.
std::int64_t PumpClockMs() {
    MessagePump* pump = g_pump;
    if (pump && std::this_thread::get_id() == g_pump_thread.load()) return pump->NowMs();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace vaultor::fs
