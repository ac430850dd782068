#pragma once

#include <QDialog>
#include <QPlainTextEdit>
#include <functional>
#include <string>

namespace vaultor::ui {

// "Vaultor logviewer": the log, or another text file, in a larger view.
class TLogFile : public QDialog {
    Q_OBJECT
  public:
    // `list_name` gives the current list's name for "Log opslaan als...".
    TLogFile(QWidget* parent, std::function<std::string()> list_name);
    // The text and the folder of the file dialogs; Show also opens the viewer, modally.
    void Load(const std::string& caption, const std::string& text, const std::string& folder);
    void Show(const std::string& caption, const std::string& text, const std::string& folder);

    // The menu's commands; the file dialogs are skipped when a file is given.
    void SaveAs(const QString& file = {});
    void OpenFile(const QString& file = {});
    QString ProposedSaveName() const;

    QPlainTextEdit* RichEdit1;

  private:
    std::function<std::string()> list_name_;
    QString folder_;
};

// The help window: the guide of the program's language, opened at an anchor.
class HelpWindow : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent);
    // False when the file is missing; the caller says so.
    bool Open(const std::string& file, int context);
};

// Where the help files lie: beside the program, or in the install's share folder.
std::string FindHelpFile(const std::string& name);

}  // namespace vaultor::ui
