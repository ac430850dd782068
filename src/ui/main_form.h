#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>

#include "app/start.h"
#include "engine/run_result.h"
#include "state/app_state.h"
#include "ui/controls.h"

namespace vaultor::ui {

// A combo box that tells when its list drops down and when it is double-clicked.
// A box that takes double clicks opens its list only once the double-click
// time has passed without a second click: otherwise the first click's list
// would catch the second.
class HookedComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit HookedComboBox(QWidget* parent);
    std::function<void()> on_drop_down, on_double_click;
    void showPopup() override;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    QTimer single_click_;
    bool double_taken_ = false;
};

// A label that can be clicked, as the totals caption and the space needed are.
class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;
    std::function<void()> on_click;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The main window: Qt widgets bound to the core's presentation model. Every
// event goes to the core's handler, then the widgets show the model again.
class TForm1 : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 632, kHeight = 453;
    TForm1(AppState& state, const StartedProgram& program);

    // The model shown in the widgets; cheap when little changed.
    void Refresh();
    // Runs a core handler; an error it raises is shown in the error box.
    // While another handler runs, only one marked `during_work` is let through.
    bool Handle(const std::function<void()>& handler, bool during_work = false);
    void OpenHelp(int context);
    QColor WindowColour() const;
    // The help opener, replaceable by tests.
    std::function<void(const std::string& file, int context)> help;
    // How the last Start or test ended.
    const RunResult& LastRun() const { return last_run_; }

    // The controls, by the names the core gives them.
    FlatButton *SpB_Start, *SpB_Stop, *SpBCompare, *SBShowLog, *SpBOpties, *SpBHelp, *SB_Close;
    FlatButton *LbSB_Popup, *SB_MousInfo, *SB_ResetDrive;
    QProgressBar *ProgressBar1, *Animate1, *Animate2;
    HookedComboBox *ComboBox1, *DriveComboBox1;
    QListWidget *ListBox1, *CheckListBox1, *FileListBox1;
    QPlainTextEdit *Memo1, *RichEdit1;
    QCheckBox* CB_Locked;
    QLabel *Im_LockOpen, *Im_LockClosed;
    QWidget *PanelLeftTop, *PanelDriveInfo, *Bevel2;
    QSplitter *Splitter1Box, *Splitter2Box;
    QLabel *Label1, *L_Aktie, *LabelInfo, *LabelTijd, *LabelTimeLeft, *Label16, *L_File,
        *StatusBar1;
    QLabel *Label5, *Label4, *Label11, *Label2, *Label8, *Label3, *Label7;
    QLabel* LastBackupLine;
    ClickLabel *Label10, *Label19;
    PieGauge *Gauge1, *Gauge2, *Shape3, *L_Comp, *L_NotPresent, *L_Kopieer;
    QTreeWidget* TreeView1;
    QMenu *PopupMenu1, *PopupMenu2, *PopupMenu3;

  protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Where the folder list and what lies over it begin, and where they end.
    static constexpr int kListTop = 80, kListBottom = 316;
    RunResult last_run_;
    void BuildTopBar();
    void BuildSourceSide();
    void BuildTargetSide();
    void BuildStatusArea();
    void BuildMenus();
    void Connect();
    void LoadHints();
    QLabel* Caption(const char* text, int x, int y, int w, int h = 16);

    void RefreshButtons();
    void RefreshSourceSide();
    void RefreshLastBackup();
    void RefreshTargetSide();
    void RefreshStatus();
    void RefreshBrowser();
    void RefreshPane();
    void RefreshColours();
    void RefreshHints();

    // The node as the model's selection: child indices from the root.
    void SelectInModel(QTreeWidgetItem* item);
    void StartFlow();

    AppState& state_;
    std::map<QWidget*, QString> hints_;
    std::vector<TreeNode> shown_tree_;
    size_t pane_lines_ = 0;
    std::string pane_last_;
    bool start_scheduled_ = false;
    std::optional<bool> hints_shown_;
    bool refreshing_ = false;
    int handling_ = 0;
};

}  // namespace vaultor::ui
