#include "state/rates.h"

#include <cstdio>
#include <limits>

namespace vaultor {
namespace {

// Hours, minutes and seconds of at least two digits. A negative estimate
// (files grew after the check) is split the same way, each part truncated
// toward zero, so every part that is not zero carries its own minus sign.
std::string LabelText(std::int64_t seconds) {
    std::int64_t minutes = seconds / 60, secs = seconds - minutes * 60;
    std::int64_t hours = minutes / 60, mins = minutes - hours * 60;
    char text[80];
    std::snprintf(text, sizeof text, "%.2lld:%.2lld:%.2lld", static_cast<long long>(hours),
                  static_cast<long long>(mins), static_cast<long long>(secs));
    return text;
}

}  // namespace

std::string DurationLabelText(std::int64_t seconds) {
    return LabelText(seconds);
}

void UpdateRate(AppState& state, std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) {
    if (elapsed_ms <= 1000) return;  // nothing is measured in the first second
    std::int64_t rate = done / (elapsed_ms / 1000);
    if (rate > std::numeric_limits<std::int32_t>::max()) return;
    state.BytesPerSecond = static_cast<std::int32_t>(rate);
    if (rate == 0) return;
    SetMinuteLabel(state, total / rate);
    SetTimeleftLabel(state, (total - done) / rate);
    SetDrvBpsVal(state);
}

std::int32_t GetDrvBpsVal(const AppState& state) {
    int kind = state.TargetDriveKind;
    return kind >= 1 && kind <= 5 ? state.DriveKindRate[static_cast<size_t>(kind - 1)] : 0;
}

void SetDrvBpsVal(AppState& state) {
    int kind = state.TargetDriveKind;
    if (kind < 1 || kind > 5 || state.BytesPerSecond == 0) return;
    state.DriveKindRate[static_cast<size_t>(kind - 1)] = state.BytesPerSecond;
}

void SetMinuteLabel(AppState& state, std::int64_t seconds) {
    state.Model.LabelTijd.caption = LabelText(seconds);
}

void SetTimeleftLabel(AppState& state, std::int64_t seconds) {
    state.Model.LabelTimeLeft.caption = LabelText(seconds);
}

}  // namespace vaultor
