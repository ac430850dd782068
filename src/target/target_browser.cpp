#include "target/target_browser.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <memory>
#include <optional>
#include <vector>

#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fs/drives.h"
#include "fs/file_info.h"
#include "fs/folder_listing.h"
#include "fs/i18n.h"
#include "fs/letter_path.h"
#include "fs/pump.h"
#include "target/copy_origin.h"
#include "target/drive_record.h"

namespace vaultor {
namespace {

TreeNode* Selected(AppState& state) {
    auto& m = state.Model;
    if (!m.TreeSelected || m.TreeView1.empty()) return nullptr;
    TreeNode* node = &m.TreeView1.front();
    for (size_t i : m.TreeSelection) {
        if (i >= node->children.size()) return nullptr;
        node = &node->children[i];
    }
    return node;
}

void ShowFilesOf(AppState& state, const std::string& path) {
    state.Model.FileListBox1 = fs::ListFolder(path + "\\").files;
    state.Model.FileListBox1Index = -1;
}

// The names on the way from the root to the selected node.
std::vector<std::string> SelectedNames(const AppState& state) {
    std::vector<std::string> names;
    const auto& m = state.Model;
    if (!m.TreeSelected || m.TreeView1.empty()) return names;
    const TreeNode* node = &m.TreeView1.front();
    for (size_t i : m.TreeSelection) {
        if (i >= node->children.size()) break;
        node = &node->children[i];
        names.push_back(node->text);
    }
    return names;
}

std::optional<std::string> RealFolder(const std::string& letter_path) {
    auto native = fs::Drives().ToNative(letter_path);
    if (!native) return std::nullopt;
    std::unique_ptr<char, void (*)(void*)> real(::realpath(native->c_str(), nullptr), ::free);
    if (!real) return std::nullopt;
    return std::string(real.get());
}

// The folder to delete must be the drive folder it is shown under, or lie
// below it, once links and odd names ("..", a name holding "\") are
// resolved: a delete never reaches the user's own files beside the copies.
bool InsideItsDriveFolder(const AppState& state, const std::string& path) {
    std::vector<std::string> names = SelectedNames(state);
    if (names.empty() || names.front().rfind("Vaultor_Drive ", 0) != 0) return false;
    for (const auto& name : names)
        if (name.find_first_of("\\/") != std::string::npos || !fs::IsSafeLetterPath(name))
            return false;
    std::string root = state.Model.TreeView1.front().text;
    // The drive folder itself must be a folder, not a link to elsewhere.
    auto drive_native = fs::Drives().ToNative(root + "\\" + names.front());
    struct stat st {};
    if (!drive_native || ::lstat(drive_native->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    auto drive_folder = RealFolder(root + "\\" + names.front());
    auto folder = RealFolder(path);
    if (!drive_folder || !folder) return false;
    return *folder == *drive_folder || folder->rfind(*drive_folder + "/", 0) == 0;
}

}  // namespace

void FillDirTreeView(AppState& state) {
    auto& m = state.Model;
    if (!m.PanelDriveInfo.visible) return;
    m.TreeView1.clear();
    m.TreeSelection.clear();
    m.TreeSelected = false;
    fs::ProcessPendingMessages();
    char letter = SelectedDriveLetter(state);
    if (!letter) return;
    TreeNode root{std::string(1, letter) + ":", {}, true};
    std::vector<std::string> folders;
    if (fs::IsDriveReady(letter)) folders = fs::ListFolder(std::string(1, letter) + ":\\").folders;
    for (auto& name : folders) {
        root.children.push_back({std::move(name), {}, false});
        fs::ProcessPendingMessages();
    }
    m.TreeView1.push_back(std::move(root));
    m.FileListBox1.clear();
}

std::string GetSelPathStr(const AppState& state) {
    const auto& m = state.Model;
    if (!m.TreeSelected || m.TreeView1.empty()) return {};
    const TreeNode* node = &m.TreeView1.front();
    std::string path = node->text;
    for (size_t i : m.TreeSelection) {
        if (i >= node->children.size()) break;
        node = &node->children[i];
        path += "\\" + node->text;
    }
    return path;
}

std::string SelectedTargetItem(const AppState& state) {
    const auto& m = state.Model;
    std::string folder = GetSelPathStr(state);
    const int index = m.FileListBox1Index;
    if (folder.empty() || index < 0 || static_cast<size_t>(index) >= m.FileListBox1.size())
        return folder;
    return folder + "\\" + m.FileListBox1[static_cast<size_t>(index)];
}

void TreeView1Click(AppState& state) {
    state.Model.FileListBox1.clear();
    state.Model.FileListBox1Index = -1;
    if (state.Model.TreeSelected) ShowFilesOf(state, GetSelPathStr(state));
}

void TreeView1DblClick(AppState& state) {
    TreeNode* node = Selected(state);
    if (!node) return;
    if (!node->children.empty()) {
        node->children.clear();
        state.Model.FileListBox1.clear();
        return;
    }
    std::string path = GetSelPathStr(state);
    for (auto& name : fs::ListFolder(path).folders)
        node->children.push_back({std::move(name), {}, false});
    node->expanded = true;
    ShowFilesOf(state, path);
}

void PopupMenu2Popup(AppState& state) {
    auto& m = state.Model;
    // Opened on a file, the menu is about that file: no folder is deleted.
    m.Verwijderdezemap1.enabled =
        m.FileListBox1Index < 0 && GetSelPathStr(state).find("Vaultor_Drive") != std::string::npos;
    m.Terugzetten1.enabled = OriginOfCopy(SelectedTargetItem(state)).has_value();
}

void Verwijderdezemap1Click(AppState& state) {
    std::string path = GetSelPathStr(state);
    if (path.size() < 3) return;
    // Only drive folders and what is inside them may go, whatever called this.
    if (path.find("Vaultor_Drive") == std::string::npos) return;
    if (!InsideItsDriveFolder(state, path)) {
        state.Ui.ToonMelding(
            Printf(_("De map %s ligt niet in de Vaultor_Drive map waaronder hij getoond wordt; "
                     "er wordt niets gewist."),
                   path.c_str()));
        return;
    }
    int answer = state.Ui.VraagJaNee(_("De map ") + path + _(" inclusief bestanden wissen?"));
    if (answer == kAnswerYes && !fs::DeleteFolderTree(path))
        state.Ui.ToonMelding("Kon map" + path + " niet wissen.");
    fs::ProcessPendingMessages();
    FillDirTreeView(state);
}

namespace {

bool TreeHolds(const std::vector<TreeNode>& nodes, const std::string& text) {
    for (const auto& node : nodes)
        if (node.text == text || TreeHolds(node.children, text)) return true;
    return false;
}

}  // namespace

bool NotInTargetTree(const AppState& state, const std::string& path) {
    // Only the first level below the root decides: the browser is filled anew
    // when a run makes a drive folder it does not show, not for every folder.
    size_t cut = path.find('\\');
    size_t start = 0;
    if (cut == 2) {
        start = 3;
        cut = path.find('\\', start);
    }
    std::string name = cut == std::string::npos ? std::string() : path.substr(start, cut - start);
    return !TreeHolds(state.Model.TreeView1, name);
}

}  // namespace vaultor
