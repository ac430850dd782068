#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
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

// When a list is backed up by itself: a kind, the time and day it needs, and
// the backup on plugging in the target drive.
class TSchema : public QDialog {
    Q_OBJECT
  public:
    TSchema(QWidget* parent, ColourSource colour);
    // The fields filled from `current`, the window not shown.
    void Prepare(const std::string& list, const Schedule& current);
    // The schedule the fields give now.
    Schedule Chosen() const;
    // The schedule chosen with Ok; nullopt for Annuleer and the close box.
    std::optional<Schedule> Ask(const std::string& list, const Schedule& current);

    QRadioButton *Off, *Daily, *Weekly, *Every;
    QSpinBox* Hours;
    QLabel* TimeLabel;
    QTimeEdit* Time;
    QLabel* DayLabel;
    QComboBox* Day;
    QCheckBox* OnPlug;
    QSpinBox* MinHours;
    ColourButton *Ok, *Cancel;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Only the fields the chosen kind uses can be changed.
    void EnableFields();
    ColourSource colour_;
    Schedule current_;
};

void SetBackground(QWidget* widget, const QColor& colour);
// A modal dialog with a fixed border: its name, and its title when it has one.
void FixedDialog(QDialog* dialog, const char* name, const char* title = nullptr,
                 bool on_top = false);
// Centres `window` on `over` (the screen when there is none).
void CentreOn(QWidget* window, QWidget* over);

}  // namespace vaultor::ui
