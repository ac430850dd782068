#include "fs/pump.h"

#include <chrono>

namespace vaultor::fs {
namespace {
MessagePump* g_pump = nullptr;
}

void SetMessagePump(MessagePump* pump) {
    g_pump = pump;
}

void ProcessPendingMessages() {
    if (g_pump) g_pump->ProcessMessages();
}

std::int64_t PumpClockMs() {
    if (g_pump) return g_pump->NowMs();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace vaultor::fs
