#pragma once

#include <cstdint>

#include "state/ui.h"

namespace vaultor {

// Lets pending window messages be processed at most every 20 ms by the
// interface's clock: often enough for Stop and repaints, rarely enough not to
// cost a million-file walk anything.
class PumpGate {
  public:
    void operator()(UserInterface& ui) {
        std::int64_t now = ui.NowMs();
        if (now - last_ < kIntervalMs) return;
        last_ = now;
        ui.ProcessMessages();
    }

  private:
    static constexpr std::int64_t kIntervalMs = 20;
    std::int64_t last_ = 0;
};

}  // namespace vaultor
