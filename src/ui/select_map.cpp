#include "ui/select_map.h"

#include <QHeaderView>
#include <algorithm>

#include "fs/drive_table.h"
#include "fs/file_info.h"
#include "fs/folder_listing.h"
#include "fs/i18n.h"
#include "target/drive_box.h"
#include "ui/text.h"

namespace vaultor::ui {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLoadedRole = Qt::UserRole + 1;

std::string PathOf(const QTreeWidgetItem* item) {
    return item ? Bytes(item->data(0, kPathRole).toString()) : std::string();
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

QTreeWidgetItem* Node(const std::string& text, const std::string& path) {
    auto* item = new QTreeWidgetItem({Shown(text)});
    item->setData(0, kPathRole, Shown(path));
    item->setData(0, kLoadedRole, false);
    // Every folder may have folders below it; the first opening finds out.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

}  // namespace

TSelectMap::TSelectMap(QWidget* parent, ColourSource colour)
    : QDialog(parent), colour_(std::move(colour)) {
    FixedDialog(this, "TSelectMap", N_("Mappen toevoegen"));
    setFixedSize(560, 400);
    auto* label2 = new QLabel(Shown(_("Kies een map")), this);
    label2->setObjectName("Label2");
    label2->setGeometry(12, 8, 260, 18);
    auto* label3 = new QLabel(Shown(_("Bestanden in de map")), this);
    label3->setObjectName("Label3");
    label3->setGeometry(292, 8, 256, 18);
    ShellTreeView1 = new QTreeWidget(this);
    ShellTreeView1->setObjectName("ShellTreeView1");
    ShellTreeView1->setHeaderHidden(true);
    ShellTreeView1->setGeometry(12, 28, 270, 290);
    ShellTreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setGeometry(292, 28, 256, 290);
    StaticText1 = new QLabel(this);
    StaticText1->setObjectName("StaticText1");
    StaticText1->setFrameShape(QFrame::Panel);
    StaticText1->setFrameShadow(QFrame::Sunken);
    StaticText1->setGeometry(12, 326, 536, 22);
    Add = new ColourButton(Shown(_("&Map toevoegen")), this);
    Add->setObjectName("BitBtnWithColor1");
    Add->setGeometry(316, 360, 112, 28);
    Close = new ColourButton(Shown(_("&Sluiten")), this);
    Close->setObjectName("BitBtnWithColor2");
    Close->setGeometry(436, 360, 112, 28);
    connect(Add, &QPushButton::clicked, this, &QDialog::accept);
    connect(Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(ShellTreeView1, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { LoadChildren(item); });
    connect(ShellTreeView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
    connect(ShellTreeView1, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
    // A right click selects the node under the mouse.
    connect(ShellTreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (auto* item = ShellTreeView1->itemAt(at)) ShellTreeView1->setCurrentItem(item);
    });
    FillDrives();
}

void TSelectMap::FillDrives() {
    std::string keep = SelectedPath;
    ShellTreeView1->clear();
    for (char letter : fs::Drives().Letters()) {
        std::string root = std::string(1, letter) + ":\\";
        ShellTreeView1->addTopLevelItem(Node(DriveBoxText(letter), root));
    }
    if (!keep.empty()) Reveal(keep);
}

void TSelectMap::LoadChildren(QTreeWidgetItem* item) {
    if (item->data(0, kLoadedRole).toBool()) return;
    item->setData(0, kLoadedRole, true);
    std::string path = PathOf(item);
    auto listing = fs::ListFolder(path);
    for (const auto& name : Sorted(listing.folders)) item->addChild(Node(name, Join(path, name)));
    if (item->childCount() == 0)
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* TSelectMap::Reveal(const std::string& letter_path) {
    if (letter_path.size() < 2) return nullptr;
    QTreeWidgetItem* at = nullptr;
    for (int i = 0; i < ShellTreeView1->topLevelItemCount(); ++i) {
        auto* top = ShellTreeView1->topLevelItem(i);
        if (PathOf(top)[0] == static_cast<char>(std::toupper(letter_path[0]))) at = top;
    }
    if (!at) return nullptr;
    std::string rest = letter_path.size() > 3 ? letter_path.substr(3) : "";
    while (!rest.empty()) {
        size_t cut = rest.find('\\');
        std::string name = rest.substr(0, cut);
        rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
        LoadChildren(at);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < at->childCount() && !next; ++i)
            if (Bytes(at->child(i)->text(0)) == name) next = at->child(i);
        if (!next) break;
        at->setExpanded(true);
        at = next;
    }
    ShellTreeView1->setCurrentItem(at);
    return at;
}

void TSelectMap::Choose(QTreeWidgetItem* item) {
    if (item) ShellTreeView1->setCurrentItem(item);
    SelectedPath = PathOf(ShellTreeView1->currentItem());
    Refresh(true);
}

void TSelectMap::Refresh(bool list_files) {
    StaticText1->setText(Shown(SelectedPath));
    bool usable = !SelectedPath.empty() && fs::IsDirectory(SelectedPath);
    Add->setEnabled(usable);
    FileListBox1->clear();
    if (usable && list_files)
        for (const auto& name : Sorted(fs::ListFolder(SelectedPath).files))
            FileListBox1->addItem(Shown(name));
}

std::optional<std::string> TSelectMap::Pick() {
    FillDrives();
    CentreOn(this, nullptr);
    if (exec() != QDialog::Accepted || SelectedPath.empty()) return std::nullopt;
    return SelectedPath;
}

void TSelectMap::showEvent(QShowEvent* event) {
    SetBackground(this, colour_());
    QColor face = palette().color(QPalette::Window);
    Add->SetFaceColour(face);
    Close->SetFaceColour(face);
    SelectedPath = PathOf(ShellTreeView1->currentItem());
    Refresh(false);
    QDialog::showEvent(event);
}

}  // namespace vaultor::ui
