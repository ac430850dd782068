#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <functional>
#include <optional>
#include <string>

#include "state/ui.h"
#include "ui/controls.h"

namespace vaultor::ui {

// The colour the dialogs take from the main window when they open.
using ColourSource = std::function<QColor()>;

// The question window "Bevestig": it sizes itself to the question.
class TWatnu : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kWidth = 350, kHeight = 150;
    TWatnu(QWidget* parent, ColourSource colour);
    // The label filled and everything placed, the window not shown.
    void Prepare(const std::string& question);
    // kAnswerYes, kAnswerNo, or kAnswerClosed for the close box.
    int Ask(const std::string& question);

    QLabel* VraagLabel;
    ColourButton* Yes;
    ColourButton* No;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

  private:
    ColourSource colour_;
};

// The message window "Opgelet!": always 100 larger than its text each way.
class TShowTextForm : public QDialog {
    Q_OBJECT
  public:
    TShowTextForm(QWidget* parent, ColourSource colour);
    void Prepare(const std::string& text);
    void Show(const std::string& text);

    QLabel* Label1;
    ColourButton* Ok;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    ColourSource colour_;
};

// The name dialog of a new or renamed list, with the import.
class TNieuweLijst : public QDialog {
    Q_OBJECT
  public:
    TNieuweLijst(QWidget* parent, ColourSource colour);
    UserInterface::NameAnswer Ask(const std::string& caption, const std::string& text,
                                  bool import_enabled);

    QLineEdit* Edit1;
    ColourButton *Ok, *Cancel, *Import;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    ColourSource colour_;
    UserInterface::NameAnswer::Button pressed_ = UserInterface::NameAnswer::Button::Cancel;
};

// A list's settings of its own: when it is backed up by itself (a kind, the
// time and day it needs, and the backup on plugging in the target drive), and
// what it keeps of what its runs replace.
class TSchema : public QDialog {
    Q_OBJECT
  public:
    TSchema(QWidget* parent, ColourSource colour);
    // The fields filled from `current`, the window not shown.
    void Prepare(const std::string& list, const ListAutomation& current);
    // The settings the fields give now.
    ListAutomation Chosen() const;
    // The settings chosen with Ok; nullopt for Annuleer and the close box.
    std::optional<ListAutomation> Ask(const std::string& list, const ListAutomation& current);

    QRadioButton *Off, *Daily, *Weekly, *Every;
    QSpinBox* Hours;
    QLabel* TimeLabel;
    QTimeEdit* Time;
    QLabel* DayLabel;
    QComboBox* Day;
    QCheckBox* OnPlug;
    QSpinBox* MinHours;
    QGroupBox* Versions;
    QCheckBox* Keep;
    QSpinBox* Days;
    QCheckBox* MoveDeleted;
    QSpinBox* MaxShare;
    QCheckBox* Sums;
    ColourButton *Ok, *Cancel;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Only the fields the chosen kind and the ticked boxes use can be changed.
    void EnableFields();
    ColourSource colour_;
    ListAutomation current_;
    QLabel* where_;
};

void SetBackground(QWidget* widget, const QColor& colour);
// A modal dialog with a fixed border: its name, and its title when it has one.
void FixedDialog(QDialog* dialog, const char* name, const char* title = nullptr,
                 bool on_top = false);
// Centres `window` on `over` (the screen when there is none).
void CentreOn(QWidget* window, QWidget* over);

}  // namespace vaultor::ui
