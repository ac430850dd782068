#include "ui/main_form.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

#include "app/check.h"
#include "app/last_backup.h"
#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/options.h"
#include "app/restore_browser.h"
#include "app/start_run.h"
#include "app/totals.h"
#include "fs/i18n.h"
#include "log/log_pane.h"
#include "target/drive_box.h"
#include "target/target_browser.h"
#include "ui/text.h"

namespace vaultor::ui {
namespace {

void SetShown(QWidget* widget, const Control& control) {
    if (widget->isVisibleTo(widget->parentWidget()) != control.visible)
        widget->setVisible(control.visible);
    if (widget->isEnabled() != control.enabled) widget->setEnabled(control.enabled);
}

void SetText(QLabel* label, const std::string& text) {
    QString shown = Shown(text);
    if (label->text() != shown) label->setText(shown);
}

// Items are replaced only when they differ, so a selection and a scroll
// position survive the many refreshes of a run.
template <typename Box, typename TextAt>
void SetItems(Box* box, const std::vector<std::string>& items, TextAt text_at) {
    bool same = box->count() == static_cast<int>(items.size());
    for (int i = 0; same && i < box->count(); ++i)
        same = text_at(i) == Shown(items[static_cast<size_t>(i)]);
    if (same) return;
    box->clear();
    for (const auto& item : items) box->addItem(Shown(item));
}

void SetItems(QListWidget* list, const std::vector<std::string>& items) {
    SetItems(list, items, [list](int i) { return list->item(i)->text(); });
}

// A folder on a drive that is not ready stays in the list, greyed out.
void MarkNotPresent(QListWidget* list, const std::vector<std::string>& not_present) {
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        bool absent = std::any_of(not_present.begin(), not_present.end(),
                                  [&](const std::string& f) { return Shown(f) == item->text(); });
        QString tip = absent ? Shown(_("Niet aanwezig: de drive is niet gereed")) : QString();
        if (item->toolTip() == tip) continue;
        item->setToolTip(tip);
        item->setForeground(absent ? list->palette().brush(QPalette::Disabled, QPalette::Text)
                                   : list->palette().brush(QPalette::Active, QPalette::Text));
    }
}

void SetItems(QComboBox* box, const ListControl& control) {
    SetItems(box, control.items, [box](int i) { return box->itemText(i); });
    int at = box->findText(Shown(control.caption), Qt::MatchExactly);
    if (box->currentIndex() != at) box->setCurrentIndex(at);
}

// A late backup on a pale red ground in dark red: it stands out on any
// window colour and stays easy to read. Otherwise the window's own colours.
void SetLate(QLabel* label, bool late) {
    if (label->autoFillBackground() == late) return;
    QPalette pal;  // only the roles set here; the rest still comes from the window
    if (late) {
        pal.setColor(QPalette::Window, QColor(255, 221, 221));
        pal.setColor(QPalette::WindowText, QColor(160, 0, 0));
    }
    label->setPalette(pal);
    label->setAutoFillBackground(late);
}

void SetPie(PieGauge* pie, const Pie& model) {
    pie->SetRange(model.minimum, model.maximum);
    pie->SetProgress(model.progress);
    pie->SetColours(ToQColor(model.fore), ToQColor(model.back));
    SetShown(pie, model);
}

void SetLamp(PieGauge* lamp, const Lamp& model) {
    lamp->SetColours(ToQColor(model.colour), ToQColor(model.colour));
    SetShown(lamp, model);
}

void SetBase(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    if (pal.color(QPalette::Base) == colour) return;
    pal.setColor(QPalette::Base, colour);
    widget->setPalette(pal);
}

QTreeWidgetItem* TreeItem(const TreeNode& node) {
    auto* item = new QTreeWidgetItem({Shown(node.text)});
    for (const auto& child : node.children) item->addChild(TreeItem(child));
    return item;
}

// The box's choice into the model; false when nothing can be chosen now (a
// run is going on, or the index is out of range).
bool Choose(ListControl& box, int index) {
    if (!box.enabled || index < 0 || index >= static_cast<int>(box.items.size())) return false;
    box.selected = index;
    box.caption = box.items[static_cast<size_t>(index)];
    return true;
}

}  // namespace

HookedComboBox::HookedComboBox(QWidget* parent) : QComboBox(parent) {
    single_click_.setSingleShot(true);
    connect(&single_click_, &QTimer::timeout, this, [this] {
        if (isEnabled()) showPopup();
    });
}

void HookedComboBox::showPopup() {
    if (on_drop_down) on_drop_down();
    QComboBox::showPopup();
}

void HookedComboBox::mousePressEvent(QMouseEvent* event) {
    if (!on_double_click || event->button() != Qt::LeftButton)
        return QComboBox::mousePressEvent(event);
    if (single_click_.isActive()) {
        // A platform that sends the second press as a press, before the double click.
        single_click_.stop();
        double_taken_ = true;
        on_double_click();
    } else {
        single_click_.start(QApplication::doubleClickInterval());
    }
}

void HookedComboBox::mouseReleaseEvent(QMouseEvent* event) {
    if (!on_double_click) QComboBox::mouseReleaseEvent(event);
}

void HookedComboBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!on_double_click) return QComboBox::mouseDoubleClickEvent(event);
    single_click_.stop();
    if (!std::exchange(double_taken_, false)) on_double_click();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && on_click) on_click();
    QLabel::mouseReleaseEvent(event);
}

bool TForm1::Handle(const std::function<void()>& handler, bool during_work) {
    // The long commands let the events through; while one runs, only Stop and
    // the close (which refuses by itself) may start another handler.
    if (handling_ > 0 && !during_work) {
        Refresh();  // a widget the user changed shows the model again
        return false;
    }
    ++handling_;
    struct Depth {
        int& depth;
        ~Depth() { --depth; }
    } depth{handling_};
    std::string error;
    try {
        handler();
    } catch (const std::exception& e) {
        error = e.what();
    }
    Refresh();
    if (!error.empty()) QMessageBox::critical(this, windowTitle(), Shown(error));
    return error.empty();
}

void TForm1::Connect() {
    auto on = [this](auto* sender, auto signal, void (*handler)(AppState&)) {
        connect(sender, signal, this, [this, handler] { Handle([&] { handler(state_); }); });
    };
    // A run's result is kept for the window's tests; what the user sees of
    // it, the run has shown.
    auto run = [this](auto* sender, auto signal, RunResult (*handler)(AppState&, RunObserver*)) {
        connect(sender, signal, this,
                [this, handler] { Handle([&] { last_run_ = handler(state_, nullptr); }); });
    };
    run(SpB_Start, &QToolButton::clicked,
        [](AppState& state, RunObserver* also) { return SpB_StartClick(state, also); });
    connect(SpB_Stop, &QToolButton::clicked, this,
            [this] { Handle([&] { SpB_StopClick(state_); }, true); });
    run(SpBCompare, &QToolButton::clicked, SpBCompareClick);
    on(SBShowLog, &QToolButton::clicked, SBShowLogClick);
    on(SpBOpties, &QToolButton::clicked, SpBOptiesClick);
    on(SB_ResetDrive, &QToolButton::clicked, SB_ResetDriveClick);
    connect(CB_Locked, &QCheckBox::clicked, this, [this](bool checked) {
        Handle([&] {
            state_.Model.Locked = checked;
            CB_LockedClick(state_);
        });
    });
    connect(SpBHelp, &QToolButton::clicked, this, [this] { OpenHelp(1); });
    connect(SB_Close, &QToolButton::clicked, this, &QWidget::close);
    connect(SB_MousInfo, &QToolButton::pressed, this,
            [this] { Handle([&] { SB_MousInfoMouseDown(state_); }); });
    connect(SB_MousInfo, &QToolButton::released, this,
            [this] { Handle([&] { SB_MousInfoMouseUp(state_); }); });
    connect(LbSB_Popup, &QToolButton::clicked, this, [this] {
        // Below the button, where the platform places a menu.
        PopupMenu1->popup(LbSB_Popup->mapToGlobal(QPoint(0, LbSB_Popup->height())));
    });
    connect(ListBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(ListBox1->mapToGlobal(at)); });
    // The selection, not the current row: focus alone makes a row current.
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (refreshing_) return;
        auto selected = ListBox1->selectedItems();
        state_.Model.ListBox1.selected = selected.empty() ? -1 : ListBox1->row(selected.front());
    });
    connect(PopupMenu1, &QMenu::aboutToShow, this,
            [this] { Handle([&] { PopupMenu1Popup(state_); }); });
    ComboBox1->on_double_click = [this] { Handle([&] { ComboBox1DblClick(state_); }); };
    connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
        Handle([&] {
            if (!Choose(state_.Model.ComboBox1, index)) return;
            ComboBox1Click(state_);
        });
    });
    DriveComboBox1->on_drop_down = [this] { Handle([&] { DriveComboBox1DropDown(state_); }); };
    connect(DriveComboBox1, &QComboBox::activated, this, [this](int index) {
        Handle([&] {
            if (!Choose(state_.Model.DriveComboBox1, index)) return;
            DriveComboBox1Click(state_);
        });
    });
    connect(CheckListBox1, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (refreshing_) return;
        size_t row = static_cast<size_t>(CheckListBox1->row(item));
        bool checked = item->checkState() == Qt::Checked;
        Handle([&] {
            if (row >= state_.Model.OptionChecks.size()) return;
            state_.Model.OptionChecks[row] = checked;
            CheckListBox1ClickCheck(state_);
        });
    });
    Label10->on_click = [this] { Handle([&] { Label10Click(state_); }); };
    Label19->on_click = [this] { Handle([&] { Label19Click(state_); }); };
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        Handle([&] {
            SelectInModel(item);
            TreeView1Click(state_);
        });
    });
    connect(TreeView1, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        Handle([&] {
            SelectInModel(item);
            TreeView1DblClick(state_);
        });
    });
    connect(TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // A right click selects the node under the mouse.
        Handle([&] {
            if (auto* item = TreeView1->itemAt(at)) SelectInModel(item);
            state_.Model.FileListBox1Index = -1;  // the menu is about the folder
        });
        PopupMenu2->popup(TreeView1->viewport()->mapToGlobal(at));
    });
    connect(FileListBox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // Opened on a file, the same menu is about that file.
        auto* item = FileListBox1->itemAt(at);
        Handle([&] { state_.Model.FileListBox1Index = item ? FileListBox1->row(item) : -1; });
        PopupMenu2->popup(FileListBox1->viewport()->mapToGlobal(at));
    });
    connect(PopupMenu2, &QMenu::aboutToShow, this,
            [this] { Handle([&] { PopupMenu2Popup(state_); }); });
    connect(RichEdit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu3->popup(RichEdit1->mapToGlobal(at)); });
    const std::pair<QMenu*, std::pair<const char*, void (*)(AppState&)>> actions[] = {
        {PopupMenu1, {"Nieuwebronlijstmaken1", Nieuwebronlijstmaken1Click}},
        {PopupMenu1, {"Bronlijstwissen1", Bronlijstwissen1Click}},
        {PopupMenu1, {"Schema1", Schema1Click}},
        {PopupMenu1, {"MapBij1", MapBij1Click}},
        {PopupMenu1, {"Wisdemap1", Wisdemap1Click}},
        {PopupMenu1, {"Toonmapinfolog1", Toonmapinfolog1Click}},
        {PopupMenu2, {"Verwijderdezemap1", Verwijderdezemap1Click}},
        {PopupMenu2, {"Terugzetten1", Terugzetten1Click}},
        {PopupMenu2, {"Doelbrowsertonen2", Doelbrowsertonen1Click}},
        {PopupMenu3, {"ekstwissen1", ekstwissen1Click}},
        {PopupMenu3, {"Logviewer1", SBShowLogClick}},
        {PopupMenu3, {"Doelbrowsertonen1", Doelbrowsertonen1Click}},
    };
    for (const auto& [menu, entry] : actions)
        on(menu->findChild<QAction*>(entry.first), &QAction::triggered, entry.second);
    run(PopupMenu3->findChild<QAction*>("Verifieertest1"), &QAction::triggered, SpBCompareClick);
    // The window sees F1 before any of its controls does.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, [this] { OpenHelp(2); });
}

void TForm1::SelectInModel(QTreeWidgetItem* item) {
    std::vector<size_t> path;
    for (; item && item->parent(); item = item->parent())
        path.insert(path.begin(), static_cast<size_t>(item->parent()->indexOfChild(item)));
    state_.Model.TreeSelection = std::move(path);
    state_.Model.TreeSelected = true;
}

void TForm1::Refresh() {
    refreshing_ = true;
    setWindowTitle(Shown(state_.Model.Caption));
    RefreshButtons();
    RefreshSourceSide();
    RefreshLastBackup();
    RefreshTargetSide();
    RefreshStatus();
    RefreshBrowser();
    RefreshPane();
    RefreshColours();
    RefreshHints();
    refreshing_ = false;
}

void TForm1::RefreshButtons() {
    const auto& m = state_.Model;
    SetShown(SpB_Start, m.SpB_Start);
    SetShown(SpB_Stop, m.SpB_Stop);
    SetShown(SpBCompare, m.SpBCompare);
    SetShown(SBShowLog, m.SBShowLog);
    SetShown(SpBOpties, m.SpBOpties);
    SpBOpties->setChecked(m.SpBOptiesDown);
    SetShown(SpBHelp, m.SpBHelp);
    SetShown(SB_Close, m.SB_Close);
    SetShown(SB_MousInfo, m.SB_MousInfo);
    SetShown(LbSB_Popup, m.LbSB_Popup);
    SetShown(SB_ResetDrive, m.SB_ResetDrive);
    SetShown(Animate1, m.Animate1);
    SetShown(Animate2, m.Animate2);
    PopupMenu1->findChild<QAction*>("Wisdemap1")->setEnabled(m.Wisdemap1.enabled);
    PopupMenu1->findChild<QAction*>("Toonmapinfolog1")->setEnabled(m.Toonmapinfolog1.enabled);
    PopupMenu2->findChild<QAction*>("Verwijderdezemap1")->setEnabled(m.Verwijderdezemap1.enabled);
    PopupMenu2->findChild<QAction*>("Terugzetten1")->setEnabled(m.Terugzetten1.enabled);
}

void TForm1::RefreshSourceSide() {
    const auto& m = state_.Model;
    SetShown(PanelLeftTop, m.PanelLeftTop);
    SetItems(ComboBox1, m.ComboBox1);
    SetShown(ComboBox1, m.ComboBox1);
    SetItems(ListBox1, m.ListBox1.items);
    MarkNotPresent(ListBox1, m.ListBox1NotPresent);
    SetShown(ListBox1, m.ListBox1);
    auto selected = ListBox1->selectedItems();
    int shown_row = selected.empty() ? -1 : ListBox1->row(selected.front());
    if (shown_row != m.ListBox1.selected) {
        if (m.ListBox1.selected < 0)
            ListBox1->clearSelection();
        else
            ListBox1->setCurrentRow(m.ListBox1.selected);
    }
    if (CheckListBox1->count() != static_cast<int>(m.CheckListBox1.items.size())) {
        CheckListBox1->clear();
        for (const auto& text : m.CheckListBox1.items) {
            auto* item = new QListWidgetItem(Shown(text), CheckListBox1);
            item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setCheckState(Qt::Unchecked);  // without a state, no box is drawn
        }
    }
    for (int i = 0; i < CheckListBox1->count(); ++i) {
        bool on = static_cast<size_t>(i) < m.OptionChecks.size() && m.OptionChecks[i];
        auto* item = CheckListBox1->item(i);
        if ((item->checkState() == Qt::Checked) != on)
            item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    SetShown(CheckListBox1, m.CheckListBox1);
    if (CheckListBox1->isVisible()) CheckListBox1->raise();
    QString memo = Shown([&] {
        std::string all;
        for (const auto& line : m.Memo1) all += line + "\n";
        return all;
    }());
    if (Memo1->toPlainText() != memo) Memo1->setPlainText(memo);
    SetShown(Memo1, m.Memo1Box);
    if (Memo1->isVisible()) Memo1->raise();
    SetShown(Label10, m.Label10);
    SetText(Label10, m.Label10.caption);
    // A style sheet costs a restyle of the label: set only when the colour changes.
    QString totals_style = QStringLiteral("color: %1; text-decoration: underline;")
                               .arg(ToQColor(m.TotalsColour).name());
    if (Label10->styleSheet() != totals_style) Label10->setStyleSheet(totals_style);
    SetText(Label2, m.Label2.caption);
    SetText(Label8, m.Label8.caption);
    SetText(Label3, m.Label3.caption);
    SetText(Label7, m.Label7.caption);
}

void TForm1::RefreshLastBackup() {
    const auto& m = state_.Model;
    SetText(LastBackupLine, m.LastBackupLine.caption);
    SetShown(LastBackupLine, m.LastBackupLine);
    SetLate(LastBackupLine, m.LastBackupLate);
    // The line takes the height its text needs; the folder list (and the
    // options and the information over it) starts below.
    const int width = LastBackupLine->width();
    const int height = m.LastBackupLine.visible ? LastBackupLine->heightForWidth(width) : 0;
    if (LastBackupLine->height() != height) LastBackupLine->resize(width, height);
    const int top = kListTop + (height > 0 ? height + 2 : 0);
    for (QWidget* list : {static_cast<QWidget*>(ListBox1), static_cast<QWidget*>(CheckListBox1)})
        if (list->y() != top) list->setGeometry(list->x(), top, list->width(), kListBottom - top);
    if (Memo1->y() != top) Memo1->move(Memo1->x(), top);
}

void TForm1::RefreshTargetSide() {
    const auto& m = state_.Model;
    SetItems(DriveComboBox1, m.DriveComboBox1);
    SetShown(DriveComboBox1, m.DriveComboBox1);
    CB_Locked->setChecked(m.Locked);
    SetShown(CB_Locked, m.CB_Locked);
    SetShown(Im_LockOpen, m.Im_LockOpen);
    SetShown(Im_LockClosed, m.Im_LockClosed);
    SetText(Label5, m.Label5.caption);
    SetText(Label4, m.Label4.caption);
    SetText(Label11, m.Label11.caption);
    SetText(Label19, m.Label19.caption);
    SetText(Label16, m.Label16.caption);
    SetPie(Gauge1, m.Gauge1);
    SetPie(Gauge2, m.Gauge2);
    SetLamp(Shape3, m.Shape3);
}

void TForm1::RefreshStatus() {
    const auto& m = state_.Model;
    SetText(L_Aktie, m.L_Aktie.caption);
    SetText(LabelInfo, m.LabelInfo.caption);
    SetText(LabelTijd, m.LabelTijd.caption);
    SetText(LabelTimeLeft, m.LabelTimeLeft.caption);
    SetText(L_File, m.L_File.caption);
    SetText(Label1, m.Label1.caption);
    SetShown(Label1, m.Label1);
    SetText(StatusBar1, m.StatusBar1);
    SetLamp(L_Comp, m.L_Comp);
    SetLamp(L_NotPresent, m.L_NotPresent);
    SetLamp(L_Kopieer, m.L_Kopieer);
    int progress = static_cast<int>(std::clamp<std::int64_t>(m.ProgressBar1, 0, 100));
    if (ProgressBar1->value() != progress) ProgressBar1->setValue(progress);
}

void TForm1::RefreshBrowser() {
    const auto& m = state_.Model;
    SetShown(PanelDriveInfo, m.PanelDriveInfo);
    SetShown(FileListBox1, m.FileListBox1Box);
    SetItems(FileListBox1, m.FileListBox1);
    if (shown_tree_ != m.TreeView1) {
        TreeView1->clear();
        for (const auto& root : m.TreeView1) TreeView1->addTopLevelItem(TreeItem(root));
        TreeView1->expandAll();  // no expand buttons: what is loaded is shown
        shown_tree_ = m.TreeView1;
    }
    QTreeWidgetItem* selected = nullptr;
    if (m.TreeSelected && TreeView1->topLevelItemCount() > 0) {
        selected = TreeView1->topLevelItem(0);
        for (size_t i : m.TreeSelection)
            if (selected && static_cast<int>(i) < selected->childCount())
                selected = selected->child(static_cast<int>(i));
    }
    if (TreeView1->currentItem() != selected) TreeView1->setCurrentItem(selected);
}

void TForm1::RefreshPane() {
    const auto& lines = state_.Model.RichEdit1;
    // Lines are only ever added at the end, or the pane is filled anew.
    bool grows =
        pane_lines_ > 0 && lines.size() >= pane_lines_ && lines[pane_lines_ - 1] == pane_last_;
    if (!grows && !(pane_lines_ == 0 && RichEdit1->document()->isEmpty())) {
        RichEdit1->clear();
        pane_lines_ = 0;
    }
    if (lines.size() == pane_lines_) return;
    QStringList added;
    for (size_t i = pane_lines_; i < lines.size(); ++i) added << Shown(lines[i]);
    // appendPlainText is the cheap way to add at the end, and keeps the end in view.
    RichEdit1->appendPlainText(added.join('\n'));
    pane_lines_ = lines.size();
    pane_last_ = lines.back();
}

void TForm1::RefreshColours() {
    const auto& m = state_.Model;
    QColor window = ToQColor(m.WindowColour), list = ToQColor(m.ListColour);
    QPalette pal = palette();
    if (pal.color(QPalette::Window) != window) {
        pal.setColor(QPalette::Window, window);
        setPalette(pal);
        setAutoFillBackground(true);
    }
    SetBase(Memo1, window);
    for (QWidget* w : {static_cast<QWidget*>(FileListBox1), static_cast<QWidget*>(TreeView1),
                       static_cast<QWidget*>(CheckListBox1)})
        SetBase(w, list);
}

void TForm1::RefreshHints() {
    bool show = state_.Model.ShowHints;
    if (hints_shown_ == show) return;
    for (const auto& [widget, text] : hints_) widget->setToolTip(show ? text : QString());
    hints_shown_ = show;
}

QColor TForm1::WindowColour() const {
    return ToQColor(state_.Model.WindowColour);
}

void TForm1::OpenHelp(int context) {
    if (help) help(state_.Model.HelpFile, context);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (state_.StartingUp) Handle([&] { FormShow(state_); });
}

void TForm1::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // The start flow runs once, after the first paint; paints during it do nothing.
    if (state_.StartingUp && !start_scheduled_) {
        start_scheduled_ = true;
        QTimer::singleShot(0, this, [this] { StartFlow(); });
    }
}

void TForm1::StartFlow() {
    Handle([&] { FormPaint(state_); });
    state_.StartingUp = false;  // also when the flow failed: it is not run again
    ListBox1->setFocus();
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool closes = false;
    Handle([&] { closes = FormClose(state_); }, true);
    if (closes)
        event->accept();
    else
        event->ignore();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == RichEdit1->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Handle([&] { SBShowLogClick(state_); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace vaultor::ui
