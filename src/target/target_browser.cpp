#include "target/target_browser.h"

#include "fs/drive_mapping.h"
#include "fs/drives.h"
#include "fs/file_info.h"
#include "fs/folder_listing.h"
#include "fs/i18n.h"
#include "fs/pump.h"
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

void TreeView1Click(AppState& state) {
    state.Model.FileListBox1.clear();
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
    state.Model.Verwijderdezemap1.enabled =
        GetSelPathStr(state).find("Vaultor_Drive") != std::string::npos;
}

void Verwijderdezemap1Click(AppState& state) {
    std::string path = GetSelPathStr(state);
    if (path.size() < 3) return;
    // Only drive folders and what is inside them may go, whatever called this.
    if (path.find("Vaultor_Drive") == std::string::npos) return;
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
