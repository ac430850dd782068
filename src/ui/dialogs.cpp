#include "ui/dialogs.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

#include "fs/i18n.h"
#include "ui/text.h"

namespace vaultor::ui {
namespace {

constexpr int kButtonWidth = 75, kButtonHeight = 25;

// Monday first, as Schedule::day counts.
constexpr const char* kDayNames[] = {N_("maandag"), N_("dinsdag"),  N_("woensdag"), N_("donderdag"),
                                     N_("vrijdag"), N_("zaterdag"), N_("zondag")};
// What the dialog proposes for a kind the list does not use yet: midday,
// when a desktop is most likely on, and a few times a working day.
constexpr int kProposedHour = 12, kProposedEveryHours = 6;
constexpr int kMaxMinHours = 9999;  // what the companion file takes

QLabel* IconLabel(QWidget* parent, QStyle::StandardPixmap which, const QString& glyph) {
    auto* icon = new QLabel(parent);
    QIcon themed = Glyph(glyph);
    if (themed.isNull()) themed = parent->style()->standardIcon(which);
    icon->setPixmap(themed.pixmap(32, 32));
    icon->setGeometry(8, 8, 32, 32);
    return icon;
}

ColourButton* DialogButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new ColourButton(caption, parent);
    button->setObjectName(name);
    button->resize(kButtonWidth, kButtonHeight);
    return button;
}

}  // namespace

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void FixedDialog(QDialog* dialog, const char* name, const char* title, bool on_top) {
    dialog->setObjectName(name);
    if (title) dialog->setWindowTitle(Shown(_(title)));
    Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(on_top ? flags | Qt::WindowStaysOnTopHint : flags);
    dialog->setModal(true);
}

void CentreOn(QWidget* window, QWidget* over) {
    QRect area = over && over->isVisible() ? over->geometry()
                                           : QApplication::primaryScreen()->availableGeometry();
    window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
}

TWatnu::TWatnu(QWidget* parent, ColourSource colour) : QDialog(parent), colour_(std::move(colour)) {
    FixedDialog(this, "TWatnu", N_("Bevestig"), true);
    IconLabel(this, QStyle::SP_MessageBoxQuestion, "question");
    VraagLabel = new QLabel(this);
    VraagLabel->setObjectName("VraagLabel");
    Yes = DialogButton(this, "BitBtnWithColor1", Shown(_("&Ja")));
    No = DialogButton(this, "BitBtnWithColor2", Shown(_("&Nee")));
    connect(Yes, &QPushButton::clicked, this, [this] { done(kAnswerYes); });
    connect(No, &QPushButton::clicked, this, [this] { done(kAnswerNo); });
    setFixedSize(kWidth, kHeight);
}

void TWatnu::Prepare(const std::string& question) {
    VraagLabel->setText(Shown(question));
    VraagLabel->adjustSize();
    QApplication::processEvents();
    // Every question starts from the design size: closing resets it.
    int w = kWidth, h = kHeight;
    if (VraagLabel->width() > 250) w = VraagLabel->width() + 100;
    if (VraagLabel->height() > 60) h = VraagLabel->height() + 100;
    setFixedSize(w, h);
    VraagLabel->move((w - VraagLabel->width()) / 2, (h - VraagLabel->height()) / 2 - 33);
    Yes->move(w / 2 - (Yes->width() + 10), h - Yes->height() - 40);
    No->move(w / 2 + 10, Yes->y());
}

int TWatnu::Ask(const std::string& question) {
    Prepare(question);
    CentreOn(this, parentWidget());
    QApplication::processEvents();
    int result = exec();
    return result == kAnswerYes || result == kAnswerNo ? result : kAnswerClosed;
}

void TWatnu::showEvent(QShowEvent* event) {
    QColor colour = colour_();
    SetBackground(this, colour);
    Yes->SetFaceColour(colour);
    No->SetFaceColour(colour);
    QDialog::showEvent(event);
}

void TWatnu::keyPressEvent(QKeyEvent* event) {
    // No cancel button: Escape would answer "closed", which some callers take as yes.
    if (event->key() == Qt::Key_Escape) return event->accept();
    QDialog::keyPressEvent(event);
}

void TWatnu::done(int result) {
    QDialog::done(result);
    // Every question starts again from the design size.
    VraagLabel->clear();
    VraagLabel->resize(0, 0);
    setFixedSize(kWidth, kHeight);
}

TShowTextForm::TShowTextForm(QWidget* parent, ColourSource colour)
    : QDialog(parent), colour_(std::move(colour)) {
    FixedDialog(this, "TShowTextForm", N_("Opgelet!"));
    IconLabel(this, QStyle::SP_MessageBoxWarning, "warning");
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->move(50, 20);
    Ok = DialogButton(this, "BitBtnWithColor1", Shown(_("&Ok")));
    connect(Ok, &QPushButton::clicked, this, &QDialog::reject);
}

void TShowTextForm::Prepare(const std::string& text) {
    Label1->setText(Shown(text));
    Label1->adjustSize();
    int w = Label1->width() + 100, h = Label1->height() + 100;
    setFixedSize(w, h);
    Ok->move((w - Ok->width()) / 2, Label1->y() + Label1->height() + 25);
    Label1->move((w - Label1->width()) / 2, Label1->y());
}

void TShowTextForm::Show(const std::string& text) {
    Prepare(text);
    CentreOn(this, parentWidget());
    QApplication::processEvents();
    exec();
}

void TShowTextForm::showEvent(QShowEvent* event) {
    SetBackground(this, colour_());
    Ok->SetFaceColour(colour_());
    QDialog::showEvent(event);
}

TNieuweLijst::TNieuweLijst(QWidget* parent, ColourSource colour)
    : QDialog(parent), colour_(std::move(colour)) {
    FixedDialog(this, "TNieuweLijst");
    setFixedSize(360, 110);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(16, 16, 328, 24);
    Ok = DialogButton(this, "BitBtnWithColor1", Shown(_("&Ok")));
    Cancel = DialogButton(this, "BitBtnWithColor2", Shown(_("&Annuleer")));
    Import = DialogButton(this, "BitBtnWithColor3", Shown(_("&Import")));
    Ok->move(16, 64);
    Cancel->move(142, 64);
    Import->move(269, 64);
    Ok->setDefault(true);
    using Button = UserInterface::NameAnswer::Button;
    connect(Ok, &QPushButton::clicked, this, [this] { pressed_ = Button::Ok, accept(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { pressed_ = Button::Cancel, reject(); });
    connect(Import, &QPushButton::clicked, this, [this] { pressed_ = Button::Import, accept(); });
}

UserInterface::NameAnswer TNieuweLijst::Ask(const std::string& caption, const std::string& text,
                                            bool import_enabled) {
    setWindowTitle(Shown(caption));
    Edit1->setText(Shown(text));
    Edit1->selectAll();
    Import->setEnabled(import_enabled);
    // A new list takes the main window's colour; a rename keeps the last one.
    if (import_enabled) SetBackground(this, colour_());
    pressed_ = UserInterface::NameAnswer::Button::Cancel;
    CentreOn(this, parentWidget());
    exec();
    return {pressed_, Bytes(Edit1->text())};
}

void TNieuweLijst::showEvent(QShowEvent* event) {
    QColor face = palette().color(QPalette::Window);
    for (auto* b : {Ok, Cancel, Import}) b->SetFaceColour(face);
    Edit1->setFocus();
    QDialog::showEvent(event);
}

TSchema::TSchema(QWidget* parent, ColourSource colour)
    : QDialog(parent), colour_(std::move(colour)) {
    FixedDialog(this, "TSchema");
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);  // a fixed border, as the other dialogs
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(8);
    grid->setColumnMinimumWidth(1, 110);

    auto radio = [this](const char* name, const char* text) {
        auto* button = new QRadioButton(Shown(_(text)), this);
        button->setObjectName(name);
        return button;
    };
    Off = radio("Off", N_("&Niet vanzelf"));
    Daily = radio("Daily", N_("&Dagelijks"));
    Weekly = radio("Weekly", N_("&Wekelijks"));
    Every = radio("Every", N_("&Elke"));
    auto* kinds = new QButtonGroup(this);
    for (auto* button : {Off, Daily, Weekly, Every}) kinds->addButton(button);
    Hours = new QSpinBox(this);
    Hours->setObjectName("Hours");
    Hours->setRange(1, kMaxEveryHours);
    grid->addWidget(Off, 0, 0, 1, 3);
    grid->addWidget(Daily, 1, 0, 1, 3);
    grid->addWidget(Weekly, 2, 0, 1, 3);
    grid->addWidget(Every, 3, 0);
    grid->addWidget(Hours, 3, 1);
    grid->addWidget(new QLabel(Shown(_("uur")), this), 3, 2);

    TimeLabel = new QLabel(Shown(_("&Tijd:")), this);
    Time = new QTimeEdit(this);
    Time->setObjectName("Time");
    Time->setDisplayFormat(QStringLiteral("HH:mm"));
    TimeLabel->setBuddy(Time);
    DayLabel = new QLabel(Shown(_("Da&g:")), this);
    Day = new QComboBox(this);
    Day->setObjectName("Day");
    for (const char* day : kDayNames) Day->addItem(Shown(_(day)));
    DayLabel->setBuddy(Day);
    grid->addWidget(TimeLabel, 4, 0);
    grid->addWidget(Time, 4, 1);
    grid->addWidget(DayLabel, 5, 0);
    grid->addWidget(Day, 5, 1);

    OnPlug = new QCheckBox(Shown(_("Ook &bij aansluiten van de doeldrive")), this);
    OnPlug->setObjectName("OnPlug");
    MinHours = new QSpinBox(this);
    MinHours->setObjectName("MinHours");
    MinHours->setRange(0, kMaxMinHours);
    // "after N hours": a drive plugged in soon after a good backup starts no new one.
    auto* after = new QLabel(Shown(_("na")), this);
    after->setIndent(20);
    grid->addItem(new QSpacerItem(0, 8), 6, 0);
    grid->addWidget(OnPlug, 7, 0, 1, 3);
    grid->addWidget(after, 8, 0);
    grid->addWidget(MinHours, 8, 1);
    grid->addWidget(new QLabel(Shown(_("uur")), this), 8, 2);

    // What the list keeps of what its runs replace, with the schedule so that
    // a list's settings are all in one place.
    Versions = new QGroupBox(Shown(_("Versies")), this);
    Versions->setObjectName("Versions");
    auto* kept = new QGridLayout(Versions);
    kept->setHorizontalSpacing(8);
    auto box = [this](const char* name, const char* text) {
        auto* check = new QCheckBox(Shown(_(text)), Versions);
        check->setObjectName(name);
        return check;
    };
    auto number = [this](const char* name, int low, int high) {
        auto* spin = new QSpinBox(Versions);
        spin->setObjectName(name);
        spin->setRange(low, high);
        return spin;
    };
    // The words before a number, indented under the box that turns it on.
    auto lead = [this](const char* text, QWidget* buddy) {
        auto* label = new QLabel(Shown(_(text)), Versions);
        label->setIndent(20);
        label->setBuddy(buddy);
        return label;
    };
    Keep = box("Keep", N_("&Vervangen versies bewaren"));
    Days = number("Days", 1, kMaxVersionDays);
    MoveDeleted = box("MoveDeleted", N_("Wat uit de bron verdween naar de versies ve&rplaatsen"));
    MaxShare = number("MaxShare", 0, 100);
    Sums = box("Sums", N_("Controle&sommen bijhouden (voor de inhoudscontrole)"));
    kept->addWidget(Keep, 0, 0, 1, 3);
    kept->addWidget(lead(N_("gedurende"), Days), 1, 0);
    kept->addWidget(Days, 1, 1);
    kept->addWidget(new QLabel(Shown(_("dagen")), Versions), 1, 2);
    kept->addWidget(MoveDeleted, 2, 0, 1, 3);
    kept->addWidget(lead(N_("zonder vragen tot"), MaxShare), 3, 0);
    kept->addWidget(MaxShare, 3, 1);
    kept->addWidget(new QLabel(Shown(_("% van de kopie")), Versions), 3, 2);
    kept->addWidget(Sums, 4, 0, 1, 3);
    kept->setColumnStretch(2, 1);
    // Where to look for them: a remark rather than a setting, so it is greyed
    // (its colour follows the window's, see showEvent).
    where_ = new QLabel(Shown(_("Versies staan op de doeldrive in Vaultor_Versions.")), this);
    grid->addItem(new QSpacerItem(0, 8), 9, 0);
    grid->addWidget(Versions, 10, 0, 1, 3);
    grid->addWidget(where_, 11, 0, 1, 3);

    Ok = DialogButton(this, "BitBtnWithColor1", Shown(_("&Ok")));
    Cancel = DialogButton(this, "BitBtnWithColor2", Shown(_("&Annuleer")));
    Ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok);
    buttons->addWidget(Cancel);
    grid->addItem(new QSpacerItem(0, 8), 12, 0);
    grid->addLayout(buttons, 13, 0, 1, 3);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(kinds, &QButtonGroup::buttonToggled, this, [this] { EnableFields(); });
    for (auto* check : {OnPlug, Keep, MoveDeleted})
        connect(check, &QCheckBox::toggled, this, [this] { EnableFields(); });
}

void TSchema::Prepare(const std::string& list, const ListAutomation& current) {
    setWindowTitle(Shown(Printf(_("Automatische back-up en versies van %s"), list.c_str())));
    current_ = current;
    const Schedule& schedule = current.schedule;
    using Kind = Schedule::Kind;
    const bool timed = schedule.kind == Kind::Daily || schedule.kind == Kind::Weekly;
    switch (schedule.kind) {
        case Kind::Daily:
            Daily->setChecked(true);
            break;
        case Kind::Weekly:
            Weekly->setChecked(true);
            break;
        case Kind::Every:
            Every->setChecked(true);
            break;
        case Kind::Off:
            Off->setChecked(true);
            break;
    }
    Time->setTime(timed ? QTime(schedule.hour, schedule.minute) : QTime(kProposedHour, 0));
    Day->setCurrentIndex(schedule.kind == Kind::Weekly ? schedule.day : 0);
    Hours->setValue(schedule.kind == Kind::Every ? schedule.hours : kProposedEveryHours);
    OnPlug->setChecked(schedule.on_plug);
    MinHours->setValue(schedule.min_hours);

    const VersionsSettings& versions = current.versions;
    Keep->setChecked(versions.keep);
    Days->setValue(versions.days);
    MoveDeleted->setChecked(versions.move_deleted);
    MaxShare->setValue(versions.max_share);
    Sums->setChecked(versions.sums);
    EnableFields();
}

ListAutomation TSchema::Chosen() const {
    // What the chosen kind does not use stays as it was.
    ListAutomation chosen = current_;
    Schedule& s = chosen.schedule;
    using Kind = Schedule::Kind;
    s.kind = Daily->isChecked()    ? Kind::Daily
             : Weekly->isChecked() ? Kind::Weekly
             : Every->isChecked()  ? Kind::Every
                                   : Kind::Off;
    if (s.kind == Kind::Daily || s.kind == Kind::Weekly) {
        s.hour = Time->time().hour();
        s.minute = Time->time().minute();
    }
    if (s.kind == Kind::Weekly) s.day = Day->currentIndex();
    if (s.kind == Kind::Every) s.hours = Hours->value();
    s.on_plug = OnPlug->isChecked();
    s.min_hours = MinHours->value();

    // The numbers of a box left unticked cannot be changed, so they are as
    // the list had them.
    VersionsSettings& v = chosen.versions;
    v.keep = Keep->isChecked();
    v.days = Days->value();
    v.move_deleted = MoveDeleted->isChecked();
    v.max_share = MaxShare->value();
    v.sums = Sums->isChecked();
    return chosen;
}

std::optional<ListAutomation> TSchema::Ask(const std::string& list, const ListAutomation& current) {
    Prepare(list, current);
    CentreOn(this, parentWidget());
    if (exec() != QDialog::Accepted) return std::nullopt;
    return Chosen();
}

void TSchema::EnableFields() {
    const bool timed = Daily->isChecked() || Weekly->isChecked();
    TimeLabel->setEnabled(timed);
    Time->setEnabled(timed);
    DayLabel->setEnabled(Weekly->isChecked());
    Day->setEnabled(Weekly->isChecked());
    Hours->setEnabled(Every->isChecked());
    MinHours->setEnabled(OnPlug->isChecked());
    Days->setEnabled(Keep->isChecked());
    MaxShare->setEnabled(MoveDeleted->isChecked());
}

void TSchema::showEvent(QShowEvent* event) {
    QColor colour = colour_();
    SetBackground(this, colour);
    Ok->SetFaceColour(colour);
    Cancel->SetFaceColour(colour);
    // Halfway between the text and the window's colour stays readable on
    // whatever colour the user gave the window, where the theme's disabled
    // grey may all but vanish.
    QPalette pal = where_->palette();
    const QColor text = palette().color(QPalette::WindowText);
    pal.setColor(QPalette::WindowText,
                 QColor((text.red() + colour.red()) / 2, (text.green() + colour.green()) / 2,
                        (text.blue() + colour.blue()) / 2));
    where_->setPalette(pal);
    QDialog::showEvent(event);
}

}  // namespace vaultor::ui
