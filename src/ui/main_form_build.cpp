// The main window's widgets and where they stand: a fixed window, as the
// program has always had, so every control is placed in logical pixels.
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>

#include "app/main_window.h"
#include "fs/i18n.h"
#include "ui/main_form.h"
#include "ui/text.h"

namespace vaultor::ui {
namespace {

template <typename W>
W* Named(W* widget, const char* name, int x, int y, int w, int h) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

FlatButton* Button(QWidget* parent, const char* name, const char* glyph, int x, int y, int w,
                   const char* text = nullptr) {
    auto* b = Named(new FlatButton(glyph, parent), name, x, y, w, 30);
    if (text) {
        b->setText(Shown(_(text)));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return b;
}

PieGauge* Lamp(QWidget* parent, const char* name, int x, int y) {
    auto* lamp = Named(new PieGauge(parent), name, x, y, 14, 14);
    lamp->SetRange(0, 1);
    return lamp;
}

}  // namespace

QLabel* TForm1::Caption(const char* text, int x, int y, int w, int h) {
    auto* label = new QLabel(Shown(_(text)), this);
    label->setGeometry(x, y, w, h);
    return label;
}

TForm1::TForm1(AppState& state, const StartedProgram& program) : state_(state) {
    setObjectName("TForm1");
    state_.WindowsColor = FromQColor(palette().color(QPalette::Button));
    FormCreate(state_, program);
    setFixedSize(kWidth, kHeight);
    // The window's controls are placed for a small desktop font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    BuildTopBar();
    BuildSourceSide();
    BuildTargetSide();
    BuildStatusArea();
    BuildMenus();
    LoadHints();
    Connect();
    Refresh();
}

void TForm1::BuildTopBar() {
    auto* bar = Named(new QFrame(this), "Panel1", 0, 0, kWidth, 36);
    bar->setFrameShape(QFrame::StyledPanel);
    bar->lower();
    SpB_Start = Button(this, "SpB_Start", "start", 4, 3, 118, N_("Bereken/Start"));
    SpB_Stop = Button(this, "SpB_Stop", "stop", 4, 3, 118, N_("Stop"));
    SpB_Stop->setStyleSheet("color: red; font-weight: bold;");
    SpBCompare = Button(this, "SpBCompare", "test", 126, 3, 124, N_("Test - Verifieer"));
    SBShowLog = Button(this, "SBShowLog", "log", 256, 3, 32);
    SpBOpties = Button(this, "SpBOpties", "options", 290, 3, 32);
    SpBOpties->setCheckable(true);
    SpBHelp = Button(this, "SpBHelp", "help", 324, 3, 32);
    SB_Close = Button(this, "SB_Close", "close", 596, 3, 32);
    Animate1 = Named(new QProgressBar(this), "Animate1", 372, 11, 120, 14);
    Animate2 = Named(new QProgressBar(this), "Animate2", 372, 11, 120, 14);
    for (auto* busy : {Animate1, Animate2}) {
        busy->setRange(0, 0);  // a bar that moves on its own while work goes on
        busy->setTextVisible(false);
    }
    ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1", 0, 37, kWidth, 8);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
}

void TForm1::BuildSourceSide() {
    PanelLeftTop = Named(new QFrame(this), "PanelLeftTop", 4, 48, 302, 30);
    LbSB_Popup = Button(PanelLeftTop, "LbSB_Popup", "new-list", 0, 0, 30);
    ComboBox1 = Named(new HookedComboBox(PanelLeftTop), "ComboBox1", 32, 3, 236, 24);
    SB_MousInfo = Button(PanelLeftTop, "SB_MousInfo", "info", 272, 0, 30);
    // Right under the list's name, where the eye falls first: for a list backed
    // up by itself, whether that still happens. The folder list makes room
    // while it shows.
    LastBackupLine = Named(new QLabel(this), "LastBackupLine", 4, kListTop, 302, 0);
    LastBackupLine->setWordWrap(true);
    LastBackupLine->setContentsMargins(3, 1, 3, 1);
    LastBackupLine->hide();
    ListBox1 = Named(new QListWidget(this), "ListBox1", 4, kListTop, 302, kListBottom - kListTop);
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    CheckListBox1 =
        Named(new QListWidget(this), "CheckListBox1", 4, kListTop, 302, kListBottom - kListTop);
    Memo1 = Named(new QPlainTextEdit(this), "Memo1", 4, kListTop, 302, 64);
    Memo1->setReadOnly(true);

    Label10 = Named(new ClickLabel(Shown(_("Totalen:")), this), "Label10", 6, 320, 300, 16);
    Label10->setStyleSheet("color: blue; text-decoration: underline;");
    Label10->setCursor(Qt::PointingHandCursor);
    Label2 = Named(new QLabel(this), "Label2", 6, 338, 104, 16);
    Label8 = Named(new QLabel(this), "Label8", 112, 338, 70, 16);
    Label3 = Named(new QLabel(this), "Label3", 184, 338, 62, 16);
    Label7 = Named(new QLabel(this), "Label7", 248, 338, 58, 16);
}

void TForm1::BuildTargetSide() {
    Caption(N_("Doeldrive:"), 312, 52, 68);
    DriveComboBox1 = Named(new HookedComboBox(this), "DriveComboBox1", 380, 49, 160, 24);
    CB_Locked = Named(new QCheckBox(this), "CB_Locked", 546, 51, 20, 20);
    Im_LockOpen = Named(new QLabel(this), "Im_LockOpen", 566, 49, 24, 24);
    Im_LockOpen->setPixmap(Glyph("lock-open").pixmap(20, 20));
    Im_LockClosed = Named(new QLabel(this), "Im_LockClosed", 566, 49, 24, 24);
    Im_LockClosed->setPixmap(Glyph("lock-closed").pixmap(20, 20));
    SB_ResetDrive = Button(this, "SB_ResetDrive", "reset-drive", 596, 46, 30);

    auto legend = [this](const char* colour, int y) {
        auto* square = new QLabel(this);
        square->setGeometry(312, y + 3, 10, 10);
        square->setStyleSheet(QStringLiteral("background: %1; border: 1px solid black;")
                                  .arg(QString::fromLatin1(colour)));
    };
    legend("fuchsia", 80);
    Caption(N_("Vrije ruimte"), 326, 80, 76);
    Label5 = Named(new QLabel(this), "Label5", 404, 80, 86, 16);
    legend("blue", 98);
    Caption(N_("In gebruik"), 326, 98, 76);
    Label4 = Named(new QLabel(this), "Label4", 404, 98, 86, 16);
    Caption(N_("Totale ruimte"), 326, 116, 76);
    Label11 = Named(new QLabel(this), "Label11", 404, 116, 86, 16);
    Caption(N_("Extra nodig:"), 312, 140, 80);
    Label19 = Named(new ClickLabel(this), "Label19", 404, 140, 86, 16);
    Label19->setStyleSheet("color: red;");
    Label19->setCursor(Qt::PointingHandCursor);

    Label16 = Named(new QLabel(this), "Label16", 490, 76, 136, 16);
    Label16->setAlignment(Qt::AlignCenter);
    Gauge1 = Named(new PieGauge(this), "Gauge1", 492, 92, 62, 62);
    Shape3 = Named(new PieGauge(this), "Shape3", 562, 92, 62, 62);
    Shape3->SetRange(0, 1);
    Gauge2 = Named(new PieGauge(this), "Gauge2", 562, 92, 62, 62);
    Caption(N_("Ruimte nu"), 488, 156, 70)->setAlignment(Qt::AlignCenter);
    Caption(N_("Na kopieren"), 558, 156, 70)->setAlignment(Qt::AlignCenter);

    Splitter1Box = Named(new QSplitter(Qt::Vertical, this), "Splitter1Box", 312, 176, 316, 182);
    PanelDriveInfo = new QWidget;
    PanelDriveInfo->setObjectName("PanelDriveInfo");
    Splitter2Box = new QSplitter(Qt::Horizontal, PanelDriveInfo);
    Splitter2Box->setObjectName("Splitter2Box");
    auto* panel_layout = new QHBoxLayout(PanelDriveInfo);
    panel_layout->setContentsMargins(0, 0, 0, 0);
    panel_layout->addWidget(Splitter2Box);
    TreeView1 = new QTreeWidget;
    TreeView1->setObjectName("TreeView1");
    TreeView1->setHeaderHidden(true);
    TreeView1->setIndentation(19);
    TreeView1->setRootIsDecorated(false);
    // No expand buttons at any level: a double click loads or unloads a level.
    TreeView1->setFont(font());  // a style sheet of its own stops the font coming from the window
    TreeView1->setStyleSheet(
        QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));
    TreeView1->setItemsExpandable(false);
    TreeView1->setExpandsOnDoubleClick(false);
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    FileListBox1 = new QListWidget;
    FileListBox1->setObjectName("FileListBox1");
    FileListBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    Splitter2Box->addWidget(TreeView1);
    Splitter2Box->addWidget(FileListBox1);
    Splitter2Box->handle(1)->setObjectName("Splitter2");
    RichEdit1 = new QPlainTextEdit;
    RichEdit1->setObjectName("RichEdit1");
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    RichEdit1->viewport()->installEventFilter(this);
    Splitter1Box->addWidget(PanelDriveInfo);
    Splitter1Box->addWidget(RichEdit1);
    Splitter1Box->handle(1)->setObjectName("Splitter1");
    Splitter1Box->setSizes({90, 92});
}

void TForm1::BuildStatusArea() {
    Bevel2 = Named(new QFrame(this), "Bevel2", 4, 362, 624, 68);
    static_cast<QFrame*>(Bevel2)->setFrameShape(QFrame::Box);
    Bevel2->lower();
    Caption(N_("Status:"), 10, 366, 50);
    L_Aktie = Named(new QLabel(this), "L_Aktie", 62, 366, 150, 16);
    Caption(N_("Laatste doeldrive bewerking:"), 222, 366, 170);
    LabelInfo = Named(new QLabel(this), "LabelInfo", 394, 366, 230, 16);
    Caption(N_("Totale tijd:"), 10, 386, 70);
    LabelTijd = Named(new QLabel(this), "LabelTijd", 82, 386, 70, 16);
    Caption(N_("Resterend:"), 160, 386, 70);
    LabelTimeLeft = Named(new QLabel(this), "LabelTimeLeft", 232, 386, 70, 16);
    L_Comp = Lamp(this, "L_Comp", 330, 387);
    Caption(N_("Veranderd"), 348, 386, 70);
    L_NotPresent = Lamp(this, "L_NotPresent", 424, 387);
    Caption(N_("Aanwezig"), 442, 386, 70);
    L_Kopieer = Lamp(this, "L_Kopieer", 518, 387);
    Caption(N_("Kopieren"), 536, 386, 70);
    Caption(N_("Formaat"), 10, 406, 70);
    L_File = Named(new QLabel(this), "L_File", 82, 406, 220, 16);
    Label1 = Named(new QLabel(this), "Label1", 330, 406, 294, 16);
    StatusBar1 = Named(new QLabel(this), "StatusBar1", 0, kHeight - 20, kWidth, 20);
    StatusBar1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

void TForm1::BuildMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    auto add = [this](QMenu* menu, const char* name, const char* text) {
        QAction* action = menu->addAction(Shown(_(text)));
        action->setObjectName(name);
        return action;
    };
    add(PopupMenu1, "Nieuwebronlijstmaken1", N_("Nieuwe bronlijst maken"));
    add(PopupMenu1, "Bronlijstwissen1", N_("Bronlijst wissen"));
    add(PopupMenu1, "Schema1", N_("Automatische back-up..."));
    PopupMenu1->addSeparator();
    add(PopupMenu1, "MapBij1", N_("Map aan bronlijst toevoegen"));
    add(PopupMenu1, "Wisdemap1", N_("Wis de map uit de bronlijst"));
    PopupMenu1->addSeparator();
    add(PopupMenu1, "Toonmapinfolog1", N_("Toon bestanden uit de map  (log)"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    add(PopupMenu2, "Verwijderdezemap1", N_("Verwijder deze map"));
    add(PopupMenu2, "Terugzetten1", N_("Terugzetten..."));
    add(PopupMenu2, "Doelbrowsertonen2", N_("Doelbrowser aan/uit"));

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName("PopupMenu3");
    add(PopupMenu3, "ekstwissen1", N_("Log wissen"));
    add(PopupMenu3, "Logviewer1", N_("Logviewer"));
    PopupMenu3->addSeparator();
    add(PopupMenu3, "Verifieertest1", N_("Test - Verifieer"));
    PopupMenu3->addSeparator();
    add(PopupMenu3, "Doelbrowsertonen1", N_("Doelbrowser aan/uit"));
}

void TForm1::LoadHints() {
    const std::pair<QWidget*, const char*> hints[] = {
        {SpBCompare,
         N_("Test: Controleer vooraf, of er voldoende ruimte op de doeldrive vrij "
            "is.\r\nVerifieer: "
            "Controleer na het kopieren of de kopie in orde is.\r\nDeze optie maakt een logbestand "
            "aan.")},
        {ComboBox1,
         N_("Kies hier een bronlijstlijst met mappen die naar\r\nde doeldrive gekopieerd moeten "
            "worden.\r\nDubbelklik om naam te wijzigen.")},
        {SpB_Start, N_("De bestanden uit de mappen in het linkervenster\r\nworden gekopieerd naar "
                       "de doeldrive.")},
        {TreeView1, N_("Dit venster geeft de mappen weer\r\ndie op de huidige doeldrive aanwezig "
                       "zijn.\r\nMet de "
                       "rechtermuisknop kunnen Vaultor mappen gewist worden")},
        {ListBox1, N_("Klik met de rechtermuisknop om mappen toe te voegen.\r\nOm een map te "
                      "wissen, selecteer "
                      "dan eerst de bewuste mapregel")},
        {LbSB_Popup, N_("Bronlijst maken en bronlijstopties")},
        {LabelInfo, N_("Indicatie wanneer de doeldrive voor het laatst door Vaultor is bewerkt.")},
        {RichEdit1, N_("Spiekvenster voor logbestand")},
        {Bevel2, N_("Dit statusvenster is alleen aktief tijdens bewerken/kopieren.")},
        {CB_Locked, N_("Zet een vinkje op de drive als doel te vergrendelen")},
        // The hints the other controls have had from the start.
        {SpBOpties, N_("Instellingen")},
        {SB_MousInfo, N_("Ingedrukt houden voor meer info over de bronlijst")},
        {DriveComboBox1, N_("Kies hier de drive waarheen gekopieerd moet worden.")},
        {SB_ResetDrive,
         N_("Lijst met drives opnieuw inlezen (b.v.als een andere CDRW ingevoerd is)")},
        {Gauge2, N_("Ruimte die over is na het kopieren")},
        {Shape3, N_("Ruimte nog niet berekend")},
        {FileListBox1, N_("Dit venster toont bestanden van de map")},
        {Label10, N_("(Her)bereken de totale omvang van de lijst")},
        {SBShowLog, N_("Open log in een grotere viewer")},
        {LabelTijd, N_("Geschatte totale tijd (bytes per seconde)")},
        {LabelTimeLeft, N_("Geschatte resterende tijd")},
        {SpBHelp, N_("Help")},
        {SB_Close, N_("Vaultor sluiten")},
    };
    for (const auto& [widget, text] : hints) {
        hints_[widget] = Shown(_(text));
        widget->setToolTipDuration(6000);
    }
}

}  // namespace vaultor::ui
