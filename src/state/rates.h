#pragma once

#include <cstdint>
#include <string>

#include "state/app_state.h"

namespace vaultor {

// The remembered copy rate of the target's drive kind; 0 for kinds without one.
std::int32_t GetDrvBpsVal(const AppState& state);
// Remembers BytesPerSecond for the target's drive kind. A run too short to be
// measured (0) never wipes out a rate measured before.
void SetDrvBpsVal(AppState& state);
// The average rate of a copy so far (bytes done over whole seconds), the two
// time estimates from it, and the rate remembered for the target's drive kind.
void UpdateRate(AppState& state, std::int64_t done, std::int64_t total, std::int64_t elapsed_ms);
// "hh:mm:ss" of a time estimate, as the labels show it.
std::string DurationLabelText(std::int64_t seconds);
// Shows a number of seconds as the estimated total time.
void SetMinuteLabel(AppState& state, std::int64_t seconds);
void SetTimeleftLabel(AppState& state, std::int64_t seconds);

}  // namespace vaultor
