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

}  // namespace vaultor::ui
