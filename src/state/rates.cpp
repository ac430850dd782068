#include "state/rates.h"

#include "fs/time_text.h"

namespace vaultor {

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
    state.Model.LabelTijd.caption = fs::DurationText(seconds);
}

void SetTimeleftLabel(AppState& state, std::int64_t seconds) {
    state.Model.LabelTimeLeft.caption = fs::DurationText(seconds);
}

}  // namespace vaultor
