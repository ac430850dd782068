#include "ui/dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>

#include "fs/i18n.h"
#include "ui/text.h"

namespace vaultor::ui {
namespace {

constexpr int kButtonWidth = 75, kButtonHeight = 25;

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

}  // namespace vaultor::ui
