#pragma once

#include <functional>
#include <string>

#include "state/app_state.h"

namespace vaultor {

void Nieuwebronlijstmaken1Click(AppState& state);
void Bronlijstwissen1Click(AppState& state);
void ComboBox1DblClick(AppState& state);  // rename
void MapBij1Click(AppState& state);
void Wisdemap1Click(AppState& state);

// Imports a list file from elsewhere under a name no file has yet. Returns
// the new name, or empty when cancelled or failed (the failure is shown).
std::string ImportList(AppState& state);
// A free name for `path` (same folder) with the extension `ext`: "Thuis (1).vlt".
// A name is free when no file has it, or, given `taken`, when taken says so.
std::string UniqueName(const std::string& path, const std::string& ext);
std::string UniqueName(const std::string& path, const std::string& ext,
                       const std::function<bool(const std::string&)>& taken);
// A name that can be a list file's name here; otherwise *why says what is wrong.
bool IsValidListName(const std::string& name, std::string* why);

}  // namespace vaultor
