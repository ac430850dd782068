#pragma once

#include "state/app_state.h"
#include "state/settings.h"

namespace vaultor {

// The texts of the thirteen options, translated.
std::vector<std::string> OptionTexts();
// The settings as read into the fields and the option list.
void ApplySettings(AppState& state, const Settings& settings);
// Option 11, kept absent from the settings until a user sets it.
void SetIgnoreTimeShift(Settings& options, bool on);
// Option 12, the same way.
void SetContentCheck(Settings& options, bool on);
// The settings as the program would write them now.
Settings CollectSettings(const AppState& state);

// Applies the check marks to the fields and controls; after start-up it asks
// before option 7 goes off and tells about option 9 and the language.
void CheckListBox1ClickCheck(AppState& state);
void SpBOptiesClick(AppState& state);
void Doelbrowsertonen1Click(AppState& state);

}  // namespace vaultor
