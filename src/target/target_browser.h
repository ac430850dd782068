#pragma once

#include <string>

#include "state/app_state.h"

namespace vaultor {

// The target browser: the folders of the target drive, two levels at first,
// deeper levels on demand, and the files of the selected folder.
void FillDirTreeView(AppState& state);
// The path of the selected node: "E:" for the root, "E:\Vaultor_Drive C\Foto".
std::string GetSelPathStr(const AppState& state);
// What the target browser's menu is about: the selected folder, or the file
// of the file list it was opened on ("E:\Vaultor_Drive C\Foto\a.jpg").
std::string SelectedTargetItem(const AppState& state);
void TreeView1Click(AppState& state);
void TreeView1DblClick(AppState& state);
void PopupMenu2Popup(AppState& state);
void Verwijderdezemap1Click(AppState& state);
// Whether no node of the tree is the first folder level of the path below its
// drive root ("Vaultor_Drive C" of "E:\\Vaultor_Drive C\\Foto\\").
bool NotInTargetTree(const AppState& state, const std::string& path);

}  // namespace vaultor
