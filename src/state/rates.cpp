#include "state/rates.h"

#include <cstdio>

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
