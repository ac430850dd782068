#pragma once

#include <cstdint>

namespace vaultor::fs {

// Long file work keeps the window alive through this hook. The file services
// know no window: the user-interface layer installs its own pump and clock.
class MessagePump {
  public:
    virtual ~MessagePump() = default;
    virtual void ProcessMessages() = 0;
    virtual std::int64_t NowMs() = 0;
};

// Installs the pump (nullptr: none). The caller keeps it alive while installed.
void SetMessagePump(MessagePump* pump);
void ProcessPendingMessages();
// Milliseconds by the installed pump's clock, or a monotonic clock without one.
std::int64_t PumpClockMs();

}  // namespace vaultor::fs
