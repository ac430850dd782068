#pragma once

#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>
#include <string>

#include "ui/controls.h"
#include "ui/dialogs.h"

namespace vaultor::ui {

// The folder picker "Mappen toevoegen": one top node per drive letter, then
// its folders, hidden ones included, loaded as they are opened.
class TSelectMap : public QDialog {
    Q_OBJECT
  public:
    TSelectMap(QWidget* parent, ColourSource colour);
    // Modal; the folder in letter form when "&Map toevoegen" was pressed.
    std::optional<std::string> Pick();
    // The drive table read again into the top nodes.
    void FillDrives();
    // The node of a letter-form path, opened down to it; nullptr when absent.
    QTreeWidgetItem* Reveal(const std::string& letter_path);
    void Choose(QTreeWidgetItem* item);

    std::string SelectedPath;
    QTreeWidget* ShellTreeView1;
    QListWidget* FileListBox1;
    QLabel* StaticText1;
    ColourButton *Add, *Close;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void Refresh(bool list_files);
    void LoadChildren(QTreeWidgetItem* item);
    ColourSource colour_;
};

}  // namespace vaultor::ui
